// The figures of the space shooter: enemy ships by type, the boss ships by
// type, and the shapes of shots. Enemy figures hang off the ship's position
// as their left-middle cell; boss figures off their top-left cell.
#pragma once

#include <string_view>

namespace orv {

struct Figure {
    const std::string_view* rows = nullptr;
    int rowCount = 0;
    int firstRow = 0;  // row offset of rows[0] from the anchor
};

// The player's ship: "(" and ">" in cyan, "=" in red, the "X" cockpit in
// green; enemy fire is dark red.
constexpr int kShipNoseColour = 3;
constexpr int kShipHullColour = 4;
constexpr int kShipCockpitColour = 2;
constexpr int kEnemyShotColour = 4;

constexpr int kBossWidth = 12;
constexpr int kBossHeight = 7;

// The figure of an enemy ship type; an unknown type is drawn as type 0.
Figure enemyFigure(int type);
// The figure of a boss type; an unknown type is the plain hulk of type 0.
Figure bossFigure(int type);
// The character a shot of this type is drawn with (0 for nothing).
unsigned char shotGlyph(int type, int owner, bool particle);

}  // namespace orv
