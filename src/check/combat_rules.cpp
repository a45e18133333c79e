// The fight's content: monster files for every destination, the bosses the
// quests call for, and the two battle scripts with a handler for every spell
// hook and every monster type.
#include <optional>
#include <map>
#include <fstream>
#include <set>
#include <sstream>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "app/game.h"
#include "check/data_checker.h"
#include "check/number_rules.h"
#include "combat/lua_script.h"
#include "core/text.h"
#include "platform/headless_console.h"

namespace orv {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMonsterLines = 20;  // after MONSTER_BEGIN
constexpr std::size_t kPlanetMonstersUsed = 9;
constexpr std::size_t kCommonMonstersUsed = 2;
// Lines 6-16 of a record are numbers: five resistances, then speed,
// attack, magic and the three defences.
constexpr std::size_t kFirstNumber = 4, kLastNumber = 14, kFirstStatistic = 9;
// A resistance is the percentage of an element's damage taken; below 0 the
// element heals. Statistics are scaled up with the level (attack by half the
// level each level) and fight against the heroes' own, which stay in the
// hundreds; negative ones turn blows into healing and speeds into nonsense.
constexpr double kLargestResistance = 1000;
constexpr double kLargestStatistic = 10000;
const char* const kNumberNames[] = {"fire resistance", "ice resistance", "light resistance", "dark resistance",
                                    "ether resistance", "speed", "attack", "magic", "low defence",
                                    "middle defence", "high defence"};
// A script that is still running after this many instructions while it is
// loaded would hang the game at the start of every battle.
constexpr int kLoadInstructionBudget = 20'000'000;
constexpr int kHookEvery = 10'000;
// The battle offers "<1> Atk " + the upper part, "<2> Atk " + the middle
// and "<3> Atk " + the lower one in the left column of the option grid, beside
// the middle column: each column is 24 cells, and an option that fills all
// of them runs straight into its neighbour ("<1> Atk gap-toothed grin<+> ...").
constexpr std::size_t kOptionColumn = 24;
constexpr std::size_t kFirstPart = 15, kLastPart = 17;
const char* const kPartOptions[] = {"<3> Atk ", "<2> Atk ", "<1> Atk "};

struct MonsterEntry {
    int line = 0;
    std::string name;
    std::string type;
};

std::optional<std::string> monsterNumberProblem(std::size_t field, const std::string& value) {
    const std::optional<double> number = check::numberAsCReads(value);
    const std::string what = kNumberNames[field - kFirstNumber];
    if (!number) return what + " \"" + value + "\" is not a number";
    if (field < kFirstStatistic)
        return check::rangeProblem(what, value, *number, -kLargestResistance, kLargestResistance,
                                   "a resistance is the percentage of damage taken, 100 being all of it");
    return check::rangeProblem(what, value, *number, 0, kLargestStatistic,
                               "it grows with the monster's level, and below 0 blows heal and speed makes no sense");
}

std::optional<std::string> partOptionProblem(const std::string& option) {
    const std::size_t width = displayLength(option);
    if (width < kOptionColumn) return std::nullopt;
    return "the battle option \"" + option + "\" is " + toText(int(width)) +
           " characters wide: it runs into the next column (an option column holds " +
           toText(int(kOptionColumn - 1)) + " and a blank)";
}

// Checking must not let a script act on the machine: loading runs its top
// level, so only the harmless part of the standard library is left to it.
void fenceForChecking(lua_State* lua) {
    for (const char* global : {"io", "dofile", "loadfile", "require", "package", "module", "debug"}) {
        lua_pushnil(lua);
        lua_setglobal(lua, global);
    }
    lua_getglobal(lua, "os");
    if (lua_istable(lua, -1))
        for (const char* function : {"exit", "execute", "remove", "rename", "tmpname", "getenv", "setlocale"}) {
            lua_pushnil(lua);
            lua_setfield(lua, -2, function);
        }
    lua_pop(lua, 1);
}

// Counts the instructions of a script being loaded and stops it at the budget.
int instructionsRun = 0;
void stopRunawayScript(lua_State* lua, lua_Debug*) {
    instructionsRun += kHookEvery;
    if (instructionsRun >= kLoadInstructionBudget) luaL_error(lua, "still running after %d instructions", instructionsRun);
}

class CombatChecker {
public:
    explicit CombatChecker(DataChecker& checker) : checker_(checker) {}

    void run() {
        for (const std::string& planet : checker_.listedPlanets())
            readMonsters("monsters/" + planet + ".txt", kPlanetMonstersUsed, "a planet's file");
        readMonsters("monsters/All Planets.txt", kCommonMonstersUsed, "the file of monsters met everywhere");
        const std::vector<MonsterEntry> bosses = readMonsters("monsters/Bosses.txt", 1, "the boss file");
        checkQuestBosses(bosses);
        checkScripts();
    }

private:
    std::vector<MonsterEntry> readMonsters(const std::string& file, std::size_t needed, const char* what) {
        std::vector<MonsterEntry> entries;
        std::vector<std::string> lines;
        if (!checker_.readLines(file, lines)) return entries;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] != "MONSTER_BEGIN") continue;
            MonsterEntry entry;
            entry.line = int(i + 1);
            for (std::size_t f = 0; f < kMonsterLines; ++f) {
                const std::size_t at = i + 1 + f;
                if (at >= lines.size() || lines[at] == "MONSTER_BEGIN") {
                    checker_.problem(file, entry.line, "record ends after " + toText(int(f)) + " of its 20 lines");
                    break;
                }
                const std::size_t colon = lines[at].find(':');
                if (colon == std::string::npos || colon + 1 >= lines[at].size() || lines[at][colon + 1] != ' ') {
                    checker_.problem(file, int(at + 1), "needs \"label: value\"");
                    continue;
                }
                const std::string value = lines[at].substr(colon + 2);
                if (f == 0) entry.name = value;
                if (f == 1) entry.type = value;
                if (f >= kFirstNumber && f <= kLastNumber)
                    if (const auto why = monsterNumberProblem(f, value)) checker_.problem(file, int(at + 1), *why);
                if (value.size() > 255) checker_.problem(file, int(at + 1), "value longer than 255 characters");
                if (f >= kFirstPart && f <= kLastPart)
                    if (const auto why = partOptionProblem(kPartOptions[f - kFirstPart] + value))
                        checker_.problem(file, int(at + 1), *why);
            }
            entries.push_back(entry);
        }
        if (entries.size() < needed)
            checker_.problem(file, 0,
                             std::string(what) + " needs at least " + toText(int(needed)) + " monsters, it has " +
                                 toText(int(entries.size())));
        for (const MonsterEntry& entry : entries) monsterTypes_.insert({entry.type, {file, entry.line}});
        return entries;
    }

    void checkQuestBosses(const std::vector<MonsterEntry>& bosses) {
        std::set<std::string> names;
        for (const MonsterEntry& boss : bosses) names.insert(boss.name);
        for (const std::string& file : checker_.textFilesIn("quests")) {
            std::vector<std::string> lines;
            if (!checker_.readLines(file, lines)) continue;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const std::string key = "QUEST_ROOM_BOSS_BATTLE:";
                const std::size_t at = lines[i].find(key);
                if (at == std::string::npos) continue;
                std::string boss = lines[i].substr(at + key.size());
                if (!boss.empty() && boss.back() == '\r') boss.pop_back();
                if (!boss.empty() && boss.front() == ' ') boss.erase(0, 1);
                if (!boss.empty() && !names.count(boss))
                    checker_.problem(file, int(i + 1), "the boss \"" + boss + "\" is not in monsters/Bosses.txt");
            }
        }
    }

    // The names a script's table holds, or nothing when it has no such table.
    static std::set<std::string> tableKeys(LuaScript& script, const char* table) {
        std::set<std::string> keys;
        lua_State* lua = script.state();
        lua_getglobal(lua, table);
        if (lua_istable(lua, -1)) {
            lua_pushnil(lua);
            while (lua_next(lua, -2) != 0) {
                if (lua_type(lua, -2) == LUA_TSTRING && lua_isfunction(lua, -1)) keys.insert(lua_tostring(lua, -2));
                lua_pop(lua, 1);
            }
        }
        script.clearStack();
        return keys;
    }

    static bool definesFunction(LuaScript& script, const char* name) {
        script.getFunction(name);
        const bool defined = lua_isfunction(script.state(), -1);
        script.clearStack();
        return defined;
    }

    bool loadScript(LuaScript& script, const std::string& file, const char* function) {
        std::string source;
        if (!checker_.readText(file, source)) return false;
        lua_State* lua = script.state();
        fenceForChecking(lua);
        instructionsRun = 0;
        lua_sethook(lua, stopRunawayScript, LUA_MASKCOUNT, kHookEvery);
        const bool loaded = luaL_loadbuffer(lua, source.data(), source.size(), ("@" + file).c_str()) == 0 &&
                            lua_pcall(lua, 0, 0, 0) == 0;
        lua_sethook(lua, nullptr, 0, 0);
        if (!loaded) {
            const char* message = lua_tostring(lua, -1);
            checker_.problem(file, 0, std::string("does not load: ") + (message ? message : "an error that is no text"));
            script.clearStack();
            return false;
        }
        if (!definesFunction(script, function)) {
            checker_.problem(file, 0, std::string("defines no function ") + function);
            return false;
        }
        return true;
    }

    void checkScripts() {
        HeadlessConsole console;
        Game scratch(console);
        LuaScript spells, monsters;
        if (loadScript(spells, "scripts/spell_cast.lua", "SpellCast")) {
            const std::set<std::string> hooks = tableKeys(spells, "SpellEffects");
            std::vector<std::string> lines;
            if (checker_.fileExists("spells/spells.txt") && checker_.readLines("spells/spells.txt", lines)) {
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    std::string line = lines[i];
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    if (line.rfind("Script: ", 0) != 0) continue;
                    const std::string hook = line.substr(8);
                    if (hook != "None" && !hooks.count(hook))
                        checker_.problem("spells/spells.txt", int(i + 1),
                                         "the script hook \"" + hook + "\" has no entry in SpellEffects of "
                                         "scripts/spell_cast.lua");
                }
            }
        }
        if (loadScript(monsters, "scripts/enemy_ai.lua", "MonsterAI")) {
            const std::set<std::string> actions = tableKeys(monsters, "MonsterActions");
            for (const auto& [type, where] : monsterTypes_) {
                if (type == "None" || actions.count(type)) continue;
                checker_.problem(where.first, where.second,
                                 "the monster type \"" + type + "\" has no entry in MonsterActions of "
                                 "scripts/enemy_ai.lua");
            }
        }
    }

    DataChecker& checker_;
    std::map<std::string, std::pair<std::string, int>> monsterTypes_;  // type -> file and line of its first use
};

}  // namespace

void DataChecker::checkCombat() { CombatChecker(*this).run(); }

}  // namespace orv
