// What one spent level adds: the player's five choices and the sidekick's
// growth by class.
#pragma once

#include <string>

#include "data/stat_block.h"

namespace orv {

enum class LevelChoice { Deadlier, Quicker, Wiser, Tougher, Better };

// Includes the max HP +20 and max MP +10 every choice brings (the level
// itself is raised by Protagonist::applyLevel).
StatBlock playerLevelIncrements(LevelChoice choice);
// By the sidekick's class ("Fighter", "Mage", "Rogue", "Outlaw"), with the
// max HP +10 and max MP +5 every class gets.
StatBlock sidekickLevelIncrements(const std::string& type);

}  // namespace orv
