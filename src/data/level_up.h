// What one spent level adds: the player's five choices and the sidekick's
// growth by class; and how many levels a pile of experience is worth.
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

// The highest spell rank a hero of `level` may learn: rank 1 from the
// start, one rank more every fourteen levels, so a new rank comes about
// once a destination and the seventh with the last of them. Magic caps it
// further (Protagonist::learnSpells).
int spellRankForLevel(int level);

// The highest level experience can bring.
constexpr float kLevelCap = 100;

// Whether `experience` earns the level after `level`: level L + 1 needs
// (L + 1) x 10000 in all, and nothing is earned past the cap. A level or
// experience that is no real number (broken by a script or a file) earns
// nothing.
bool levelUpDue(float level, float experience);
// How many levels, spent one at a time, `experience` brings a hero of
// `level`. Never more than the cap allows, however the numbers were broken:
// a level so large or so negative that adding one no longer changes it
// must not keep the count going for ever.
int levelsGained(float level, float experience);

}  // namespace orv
