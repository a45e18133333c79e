// Small sums the parts of a mission share: where a position falls on the
// field's grid of cells, and degrees for the arcs and rings drawn in it.
#pragma once

#include <cmath>

namespace orv {

constexpr double kDegrees = 3.14159265358979 / 180.0;

// The cell a position is drawn in and tested at.
// Ships of a broken level file may fly any distance off the field (or
// carry no number at all); they land on a cell far outside it.
inline int toCell(double v) {
    constexpr double kFarOff = 1e6;
    if (!(v > -kFarOff)) return static_cast<int>(-kFarOff);
    if (v > kFarOff) return static_cast<int>(kFarOff);
    return static_cast<int>(std::floor(v + 0.5));
}

}  // namespace orv
