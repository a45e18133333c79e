// The fight's content: monster files for every destination, the bosses the
// quests call for, and the two battle scripts with a handler for every spell
// hook and every monster type.
#include <filesystem>
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
#include "combat/lua_script.h"
#include "core/text.h"
#include "platform/headless_console.h"

namespace orv {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMonsterLines = 20;  // after MONSTER_BEGIN
constexpr std::size_t kPlanetMonstersUsed = 9;
constexpr std::size_t kCommonMonstersUsed = 2;
// Lines 6-16 of a record are numbers (resistances, speed, attack, magic, defences).
constexpr std::size_t kFirstNumber = 4, kLastNumber = 14;

struct MonsterEntry {
    int line = 0;
    std::string name;
    std::string type;
};

bool isNumber(const std::string& text) {
    std::istringstream in(text);
    float value;
    return static_cast<bool>(in >> value);
}

class CombatChecker {
public:
    explicit CombatChecker(DataChecker& checker) : checker_(checker) {}

    void run() {
        for (const std::string& planet : planetsOfTheList())
            readMonsters("monsters/" + planet + ".txt", kPlanetMonstersUsed, "a planet's file");
        readMonsters("monsters/All Planets.txt", kCommonMonstersUsed, "the file of monsters met everywhere");
        const std::vector<MonsterEntry> bosses = readMonsters("monsters/Bosses.txt", 1, "the boss file");
        checkQuestBosses(bosses);
        checkScripts();
    }

private:
    std::vector<std::string> planetsOfTheList() {
        std::vector<std::string> planets;
        std::ifstream in(checker_.root() / "planets" / "Planet List.txt", std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t comma = line.find(',');
            if (comma != std::string::npos) planets.push_back(line.substr(comma + 1));
        }
        return planets;
    }

    std::vector<MonsterEntry> readMonsters(const std::string& file, std::size_t needed, const char* what) {
        std::vector<MonsterEntry> entries;
        std::vector<std::string> lines;
        if (!checker_.readLines(file, lines)) return entries;
        for (std::string& line : lines)
            if (!line.empty() && line.back() == '\r') line.pop_back();
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
                if (f >= kFirstNumber && f <= kLastNumber && !isNumber(value))
                    checker_.problem(file, int(at + 1), "\"" + value + "\" is not a number");
                if (value.size() > 255) checker_.problem(file, int(at + 1), "value longer than 255 characters");
            }
            entries.push_back(entry);
        }
        if (entries.size() < needed)
            checker_.problem(file, 0,
                             std::string(what) + " needs at least " + toText(int(needed)) + " monsters, it has " +
                                 toText(int(entries.size())));
        for (const MonsterEntry& entry : entries) monsterTypes_.insert({entry.type, file + ":" + toText(entry.line)});
        return entries;
    }

    void checkQuestBosses(const std::vector<MonsterEntry>& bosses) {
        std::set<std::string> names;
        for (const MonsterEntry& boss : bosses) names.insert(boss.name);
        const fs::path quests = checker_.root() / "quests";
        std::error_code error;
        if (!fs::is_directory(quests, error)) return;
        for (const auto& entry : fs::directory_iterator(quests, error)) {
            if (entry.path().extension() != ".txt") continue;
            const std::string file = "quests/" + entry.path().filename().string();
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
        std::ifstream probe(checker_.root() / file);
        if (!probe) {
            checker_.problem(file, 0, "missing or unreadable");
            return false;
        }
        lua_State* lua = script.state();
        const std::string path = (checker_.root() / file).string();
        if (luaL_loadfile(lua, path.c_str()) != 0 || lua_pcall(lua, 0, 0, 0) != 0) {
            checker_.problem(file, 0, std::string("does not load: ") + lua_tostring(lua, -1));
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
            if (checker_.readLines("spells/spells.txt", lines)) {
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
                const std::size_t colon = where.rfind(':');
                checker_.problem(where.substr(0, colon), std::stoi(where.substr(colon + 1)),
                                 "the monster type \"" + type + "\" has no entry in MonsterActions of "
                                 "scripts/enemy_ai.lua");
            }
        }
    }

    DataChecker& checker_;
    std::map<std::string, std::string> monsterTypes_;  // type -> where it is first used
};

}  // namespace

void DataChecker::checkCombat() { CombatChecker(*this).run(); }

}  // namespace orv
