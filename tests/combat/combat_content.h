// A small, fully known world for fights: spells, scripts, monsters and the
// game-over picture, written into a scratch content directory.
#pragma once

#include <string>

#include "core/dice.h"
#include "support/test_world.h"

namespace orv::test {

std::string monsterRecord(const std::string& name, const std::string& type = "None", int speed = 10, int attack = 10,
                          int defence = 0, int fireResistance = 100);
std::string spellRecord(const std::string& name, int level, float power, int cost, const std::string& element,
                        const std::string& target, const std::string& script = "None");

struct CombatContent {
    ScratchDirectory dir;
    CombatContent();
    void writeSpellScript(const std::string& lua) { dir.write("scripts/spell_cast.lua", lua); }
    void writeAiScript(const std::string& lua) { dir.write("scripts/enemy_ai.lua", lua); }
};

// A seed under which the first draws of rand() satisfy `wanted`.
template <typename Wanted>
unsigned findSeed(Wanted wanted) {
    for (unsigned seed = 1; seed < 200000; ++seed) {
        seedDice(seed);
        if (wanted()) return seed;
    }
    return 0;
}

}  // namespace orv::test
