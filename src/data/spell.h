// A spell read by name from spells\spells.txt: level, power, MP cost,
// element, target and the name of its script hook.
#pragma once

#include <string>

#include "data/entity.h"

namespace orv {

class Spell : public Entity {
public:
    Spell() = default;
    // Reads the record of the first occurrence of `spellName` in the spell file.
    explicit Spell(const std::string& spellName);

    float level = 0;
    float power = 0;
    float mpCost = 0;
    bool battleOnly = false;
    std::string element;
    std::string target;
    std::string script;
    bool found = false;  // false when the spell file did not hold the name

    // The seven-field tagged record handed to the spell script.
    std::string toRecord() const;
};

// The colour a spell's name is shown in, by element.
const std::string& elementColor(const std::string& element);

}  // namespace orv
