// Colour control characters: a byte from 24 to 31 inside any shown text
// switches the colour of everything after it until the next such byte.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

inline const std::string colorYellow(1, char(24));
inline const std::string colorWhite(1, char(25));
inline const std::string colorMagenta(1, char(27));
inline const std::string colorCyan(1, char(28));
inline const std::string colorGreen(1, char(29));
inline const std::string colorBlue(1, char(30));
inline const std::string colorRed(1, char(31));

constexpr std::uint16_t kDefaultAttribute = 15;

inline bool isColorCode(unsigned char c) { return c >= 24 && c <= 31; }

// Console attribute a colour control byte switches to.
inline std::uint16_t colorCodeAttribute(unsigned char c) {
    static constexpr std::uint16_t table[8] = {14, 15, 8, 13, 11, 10, 9, 12};
    return table[c - 24];
}

}  // namespace orv
