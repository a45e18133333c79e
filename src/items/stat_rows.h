// The statistics column shared by the inventory screen and the item check:
// one row per statistic, its value coloured by the sign of the last change.
#pragma once

#include <string>

#include "data/stat_block.h"

namespace orv {

class Entity;

// What a row shows about: a protagonist (current HP, resistances as the
// per cent avoided) or an item (its bonuses, resistances as given).
enum class RowSubject { Protagonist, Item };

// The text of row `row` (0-23) of the statistics column, padded to `width`
// displayed characters.
std::string statRow(int row, const Entity& who, const StatBlock& stats, const ResistanceBlock& resistances,
                    RowSubject subject, const StatBlock& changes, const ResistanceBlock& resistanceChanges,
                    std::size_t width);

// The colour a change is shown in: green above 0, red below, white for none.
const std::string& changeColor(float change);

}  // namespace orv
