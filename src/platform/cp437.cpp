// Code page 437 byte-to-glyph tables: the box lines, shades and accented
// letters the game's art is drawn with.
#include "platform/cp437.h"

#include <array>
#include <string>

namespace orv {
namespace {

// Bytes 1-31: the pictographs a PC console shows for control bytes.
constexpr std::array<char32_t, 32> kLowGlyphs = {
    U' ',      U'\u263A', U'\u263B', U'\u2665', U'\u2666', U'\u2663', U'\u2660', U'\u2022',
    U'\u25D8', U'\u25CB', U'\u25D9', U'\u2642', U'\u2640', U'\u266A', U'\u266B', U'\u263C',
    U'\u25BA', U'\u25C4', U'\u2195', U'\u203C', U'\u00B6', U'\u00A7', U'\u25AC', U'\u21A8',
    U'\u2191', U'\u2193', U'\u2192', U'\u2190', U'\u221F', U'\u2194', U'\u25B2', U'\u25BC',
};

// Bytes 128-255.
constexpr std::array<char32_t, 128> kHighGlyphs = {
    // 0x80
    U'\u00C7', U'\u00FC', U'\u00E9', U'\u00E2', U'\u00E4', U'\u00E0', U'\u00E5', U'\u00E7',
    U'\u00EA', U'\u00EB', U'\u00E8', U'\u00EF', U'\u00EE', U'\u00EC', U'\u00C4', U'\u00C5',
    // 0x90
    U'\u00C9', U'\u00E6', U'\u00C6', U'\u00F4', U'\u00F6', U'\u00F2', U'\u00FB', U'\u00F9',
    U'\u00FF', U'\u00D6', U'\u00DC', U'\u00A2', U'\u00A3', U'\u00A5', U'\u20A7', U'\u0192',
    // 0xA0
    U'\u00E1', U'\u00ED', U'\u00F3', U'\u00FA', U'\u00F1', U'\u00D1', U'\u00AA', U'\u00BA',
    U'\u00BF', U'\u2310', U'\u00AC', U'\u00BD', U'\u00BC', U'\u00A1', U'\u00AB', U'\u00BB',
    // 0xB0
    U'\u2591', U'\u2592', U'\u2593', U'\u2502', U'\u2524', U'\u2561', U'\u2562', U'\u2556',
    U'\u2555', U'\u2563', U'\u2551', U'\u2557', U'\u255D', U'\u255C', U'\u255B', U'\u2510',
    // 0xC0
    U'\u2514', U'\u2534', U'\u252C', U'\u251C', U'\u2500', U'\u253C', U'\u255E', U'\u255F',
    U'\u255A', U'\u2554', U'\u2569', U'\u2566', U'\u2560', U'\u2550', U'\u256C', U'\u2567',
    // 0xD0
    U'\u2568', U'\u2564', U'\u2565', U'\u2559', U'\u2558', U'\u2552', U'\u2553', U'\u256B',
    U'\u256A', U'\u2518', U'\u250C', U'\u2588', U'\u2584', U'\u258C', U'\u2590', U'\u2580',
    // 0xE0
    U'\u03B1', U'\u00DF', U'\u0393', U'\u03C0', U'\u03A3', U'\u03C3', U'\u00B5', U'\u03C4',
    U'\u03A6', U'\u0398', U'\u03A9', U'\u03B4', U'\u221E', U'\u03C6', U'\u03B5', U'\u2229',
    // 0xF0
    U'\u2261', U'\u00B1', U'\u2265', U'\u2264', U'\u2320', U'\u2321', U'\u00F7', U'\u2248',
    U'\u00B0', U'\u2219', U'\u00B7', U'\u221A', U'\u207F', U'\u00B2', U'\u25A0', U'\u00A0',
};

// ASCII look-alikes, same order as the tables above.
constexpr char kLowAscii[] = " oo*****ooo%%%%*><|!PS_|^v><L-^v";
constexpr char kHighAscii[] =
    "CueaaaaceeeiiiAA"   // 0x80
    "EaAooouuyOUcLYPf"   // 0x90
    "aiounNao?--%%!<>"   // 0xA0
    ".:#|++++++|+++++"   // 0xB0
    "++++-++++++++=++"   // 0xC0
    "+++++++++++#_||\""  // 0xD0
    "aBGnEoutOOOd8oen"   // 0xE0
    "=+><()/~o..vn2# ";  // 0xF0

static_assert(sizeof(kLowAscii) == 33, "one stand-in per low byte");
static_assert(sizeof(kHighAscii) == 129, "one stand-in per high byte");

}  // namespace

char32_t cp437ToUnicode(unsigned char byte) {
    if (byte < 32) return kLowGlyphs[byte];
    if (byte == 127) return U'\u2302';
    if (byte < 128) return byte;
    return kHighGlyphs[byte - 128];
}

unsigned char unicodeToCp437(char32_t codePoint) {
    if (codePoint < 128) return 0;
    for (std::size_t i = 0; i < kHighGlyphs.size(); ++i)
        if (kHighGlyphs[i] == codePoint) return static_cast<unsigned char>(128 + i);
    return 0;
}

namespace {

// The length of the UTF-8 sequence a lead byte starts, 0 for a byte that
// cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::string typedToCp437(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = sequenceLength(lead);
        if (length == 1) {
            bytes += static_cast<char>(lead);
            ++i;
            continue;
        }
        char32_t codePoint = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        int taken = 1;
        while (length > 0 && taken < length && i + taken < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + taken]) & 0xC0) == 0x80)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[i + taken++]) & 0x3F);
        const bool whole = length > 0 && taken == length;
        const unsigned char byte = whole ? unicodeToCp437(codePoint) : 0;
        bytes += static_cast<char>(byte != 0 ? byte : kSubstituteByte);
        i += static_cast<std::size_t>(taken);
    }
    return bytes;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string cp437ToTerminalText(const std::string& bytes, bool unicode) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!unicode) {
            text += cp437ToAscii(byte);
            continue;
        }
        appendUtf8(text, cp437ToUnicode(byte));
    }
    return text;
}

char cp437ToAscii(unsigned char byte) {
    if (byte < 32) return kLowAscii[byte];
    if (byte == 127) return '^';
    if (byte < 128) return static_cast<char>(byte);
    return kHighAscii[byte - 128];
}

}  // namespace orv
