// The eleven planets of the known galaxy, in the order that indexes the
// quest progress table.
#pragma once

#include <array>
#include <string>

namespace orv {

inline constexpr std::array<const char*, 11> kPlanetTable = {
    "Empyreon VI", "Empyreon VIII", "Vega IV", "Guelf",    "Arcturus Prime", "Titan II",
    "Cronus III",  "Aleph",         "Zivar",   "Sigma VI", "The Abominable",
};

// The planet's row in the quest table, or -1 for a name that is none of them.
inline int questTableIndex(const std::string& planet) {
    for (std::size_t i = 0; i < kPlanetTable.size(); ++i)
        if (planet == kPlanetTable[i]) return static_cast<int>(i);
    return -1;
}

}  // namespace orv
