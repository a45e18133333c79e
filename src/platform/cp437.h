// The glyphs of the game's character bytes: code page 437 pictures for bytes
// 1-31 and 127-255, shown as Unicode, with plain ASCII stand-ins for
// terminals that cannot show Unicode.
#pragma once

namespace orv {

// The Unicode code point that shows `byte` in a UTF-8 terminal. Byte 0 (a
// cell nothing was drawn in) is a space.
char32_t cp437ToUnicode(unsigned char byte);

// A printable ASCII character that looks most like `byte`, for terminals
// outside a UTF-8 locale.
char cp437ToAscii(unsigned char byte);

}  // namespace orv
