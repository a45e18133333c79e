// The base of every game object with statistics: characters, monsters,
// items and spells.
#pragma once

#include <string>

#include "data/stat_block.h"

namespace orv {

class Entity {
public:
    virtual ~Entity() = default;

    StatBlock stats;
    ResistanceBlock resistances;
    std::string name;
    std::string description;
    std::string className;  // a protagonist's class: "Fighter", "Mage", "Rogue", "Outlaw", "Custom"
};

}  // namespace orv
