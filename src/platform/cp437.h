// The glyphs of the game's character bytes: code page 437 pictures for bytes
// 1-31 and 127-255, shown as Unicode, with plain ASCII stand-ins for
// terminals that cannot show Unicode.
#pragma once

#include <string>

namespace orv {

// The Unicode code point that shows `byte` in a UTF-8 terminal. Byte 0 (a
// cell nothing was drawn in) is a space.
char32_t cp437ToUnicode(unsigned char byte);
// Append one code point of the glyph table (all below U+10000) as UTF-8.
void appendUtf8(std::string& out, char32_t code);

// A printable ASCII character that looks most like `byte`, for terminals
// outside a UTF-8 locale.
char cp437ToAscii(unsigned char byte);

// The byte 128-255 whose glyph is `codePoint` (é is 0x82), or 0 when code
// page 437 has no such letter or sign.
unsigned char unicodeToCp437(char32_t codePoint);

// A line typed in UTF-8 in the game's own bytes: ASCII as it is, letters and
// signs code page 437 has as their byte, anything else (and broken UTF-8)
// as the substitute byte, so screens that check text can refuse it.
std::string typedToCp437(const std::string& utf8);
constexpr unsigned char kSubstituteByte = 0x1A;

// The game's text (code page 437 bytes) written for a terminal outside the
// game's screen: UTF-8 glyphs where the terminal speaks UTF-8, ASCII
// look-alikes elsewhere. Control bytes come out as their pictures, so no
// text from a file can move the cursor or colour the terminal.
std::string cp437ToTerminalText(const std::string& bytes, bool unicode);

}  // namespace orv
