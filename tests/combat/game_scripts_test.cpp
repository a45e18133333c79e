// The game's own battle scripts, run inside the fenced script state: every
// spell effect and every monster move works, hands back records the battle
// can read, and stays far inside the instruction budget.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

extern "C" {
#include <lua.h>
}

#include "combat/combat_content.h"
#include "combat/lua_script.h"
#include "combat/monster.h"
#include "data/record.h"
#include "data/spell.h"
#include "screens/creator.h"

namespace orv {
namespace {

std::string gameFile(const std::string& relative) {
    std::ifstream in(std::string(ORVANTIS_TEST_DATA) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every value of the lines starting with `label` in `text`.
std::set<std::string> valuesOf(const std::string& text, const std::string& label) {
    std::set<std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(label, 0) == 0) values.insert(line.substr(label.size()));
    }
    return values;
}

std::set<std::string> spellsWithScripts(const std::string& spellFile) {
    std::set<std::string> names;
    std::istringstream lines(spellFile);
    std::string line, name;
    while (std::getline(lines, line)) {
        if (line.rfind("Name: ", 0) == 0) name = line.substr(6);
        if (line.rfind("Script: ", 0) == 0 && line.substr(8) != "None") names.insert(name);
    }
    return names;
}

struct GameScripts {
    test::CombatContent content;
    test::TestWorld world;

    GameScripts() {
        content.dir.write("scripts/spell_cast.lua", gameFile("scripts/spell_cast.lua"));
        content.dir.write("scripts/enemy_ai.lua", gameFile("scripts/enemy_ai.lua"));
        content.dir.write("spells/spells.txt", gameFile("spells/spells.txt"));
        applyClass(world.game.player, "Mage", true);
        applyClass(world.game.sidekick, "Fighter", false);
        world.game.player.name = "Zed";
        world.game.sidekick.name = "Bob";
    }

    static Monster monsterOfType(const std::string& type) {
        Monster monster;
        monster.name = "Tester";
        monster.monsterType = type;
        for (std::size_t r = 0; r < ResistanceCount; ++r) monster.resistances[r] = 1;
        monster.setLevel(5);
        return monster;
    }

    // The three records of a finished call, each checked.
    void expectThreeRecords(LuaScript& script, const std::string& what) {
        EXPECT_EQ(recordProblem(script.popString(), kMonsterRecord), "") << what;
        EXPECT_EQ(recordProblem(script.popString(), kProtagonistRecord), "") << what;
        EXPECT_EQ(recordProblem(script.popString(), kProtagonistRecord), "") << what;
        script.clearStack();
        EXPECT_LT(script.instructionsUsed(), LuaScript::kInstructionBudget / 100) << what;
        lua_getglobal(script.state(), "LastScriptError");
        const char* error = lua_tostring(script.state(), -1);
        EXPECT_TRUE(lua_isnil(script.state(), -1)) << what << ": " << (error ? error : "");
        script.clearStack();
    }
};

TEST(GameScripts, EverySpellEffectRunsInsideTheFence) {
    GameScripts game;
    LuaScript script;
    ASSERT_TRUE(script.loadFile("scripts\\spell_cast.lua"));
    const std::set<std::string> spells = spellsWithScripts(gameFile("spells/spells.txt"));
    ASSERT_FALSE(spells.empty());
    const Monster monster = GameScripts::monsterOfType("None");
    for (const std::string& name : spells) {
        for (int caster : {1, 2}) {
            const Spell spell(name);
            script.getFunction("SpellCast");
            script.pushString(game.world.game.player.toRecord());
            script.pushString(game.world.game.sidekick.toRecord());
            script.pushString(monster.toRecord());
            script.pushString(spell.toRecord());
            script.pushNumber(caster);
            ASSERT_TRUE(script.call(5, 3)) << name;
            game.expectThreeRecords(script, name);
        }
    }
    EXPECT_EQ(std::ifstream("luaTrace.txt").good(), false);  // nothing went wrong
}

TEST(GameScripts, EveryMonsterMoveRunsInsideTheFence) {
    GameScripts game;
    LuaScript script;
    ASSERT_TRUE(script.loadFile("scripts\\enemy_ai.lua"));
    std::set<std::string> types;
    for (const auto& file : std::filesystem::directory_iterator(std::string(ORVANTIS_TEST_DATA) + "/monsters"))
        for (const std::string& type : valuesOf(gameFile("monsters/" + file.path().filename().string()), "Type: "))
            types.insert(type);
    ASSERT_GT(types.size(), 5u);
    for (const std::string& type : types) {
        // A few rounds, so moves that remember earlier turns run their later branches.
        for (int round = 0; round < 3; ++round) {
            script.getFunction("MonsterAI");
            script.pushString(game.world.game.player.toRecord());
            script.pushString(game.world.game.sidekick.toRecord());
            script.pushString(GameScripts::monsterOfType(type).toRecord());
            ASSERT_TRUE(script.call(3, 4)) << type;
            script.popNumber();
            game.expectThreeRecords(script, type);
        }
    }
    EXPECT_EQ(std::ifstream("luaTrace.txt").good(), false);
}

}  // namespace
}  // namespace orv
