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

// The text of row `row` (0-23) of the statistics column, exactly `width`
// displayed characters and ending in a blank, so a divider after it never
// touches the value (a width of 0 leaves the row as long as it is).
std::string statRow(int row, const Entity& who, const StatBlock& stats, const ResistanceBlock& resistances,
                    RowSubject subject, const StatBlock& changes, const ResistanceBlock& resistanceChanges,
                    std::size_t width);

// `text` made one column of a panel: cut to `width` - 1 displayed
// characters and padded with blanks to `width`, so whatever follows (a "||"
// divider, the next column) is always kept apart from it. Colour codes take
// no cell and are kept.
std::string fitColumn(const std::string& text, std::size_t width);

// The colour a change is shown in: green above 0, red below, white for none.
const std::string& changeColor(float change);

}  // namespace orv
