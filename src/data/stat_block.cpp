// Arithmetic on statistic and resistance blocks.
#include "data/stat_block.h"

namespace orv {

void StatBlock::add(const StatBlock& other) {
    for (std::size_t i = HP; i <= HighDefence; ++i) values[i] += other.values[i];
}

void StatBlock::subtract(const StatBlock& other) {
    for (std::size_t i = HP; i <= HighDefence; ++i) values[i] -= other.values[i];
}

void StatBlock::copy(const StatBlock& other) {
    for (std::size_t i = Level; i <= HighDefence; ++i) values[i] = other.values[i];
    values[Experience] = 0;
}

void ResistanceBlock::add(const ResistanceBlock& other) {
    for (std::size_t i = 0; i < ResistanceCount; ++i) values[i] += other.values[i];
}

void ResistanceBlock::subtract(const ResistanceBlock& other) {
    for (std::size_t i = 0; i < ResistanceCount; ++i) values[i] -= other.values[i];
}

}  // namespace orv
