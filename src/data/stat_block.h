// The statistics every combatant and item carries: a block of 13 values and
// a block of 5 elemental resistances.
#pragma once

#include <array>
#include <cstddef>

namespace orv {

enum Stat : std::size_t {
    Level = 0,
    HP,
    MaxHP,
    MP,
    MaxMP,
    Speed,
    Strength,
    Attack,
    Magic,
    LowDefence,
    MidDefence,
    HighDefence,
    Experience,
    StatCount
};

enum Resistance : std::size_t { Fire = 0, Ice, Light, Dark, Ether, ResistanceCount };

struct StatBlock {
    std::array<float, StatCount> values{};

    float& operator[](std::size_t i) { return values[i]; }
    float operator[](std::size_t i) const { return values[i]; }

    // HP to high defence only: level and experience are never summed.
    void add(const StatBlock& other);
    void subtract(const StatBlock& other);
    // Copies level to high defence; experience starts again at 0.
    void copy(const StatBlock& other);
    void clear() { values.fill(0); }
    bool operator==(const StatBlock&) const = default;
};

struct ResistanceBlock {
    std::array<float, ResistanceCount> values{};

    float& operator[](std::size_t i) { return values[i]; }
    float operator[](std::size_t i) const { return values[i]; }

    void add(const ResistanceBlock& other);
    void subtract(const ResistanceBlock& other);
    void copy(const ResistanceBlock& other) { values = other.values; }
    void clear() { values.fill(0); }
    bool operator==(const ResistanceBlock&) const = default;
};

}  // namespace orv
