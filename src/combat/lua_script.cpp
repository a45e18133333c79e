// The Lua bridge.
#include "combat/lua_script.h"

#include <algorithm>
#include <cmath>
#include <fstream>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/text.h"

namespace orv {

namespace {

constexpr int kStackDumpDepth = 10;

// The last argument as text, when it is a string or a number.
bool lastArgumentText(lua_State* lua, std::string& text) {
    if (lua_gettop(lua) == 0 || !lua_isstring(lua, -1)) return false;
    std::size_t length = 0;
    const char* value = lua_tolstring(lua, -1, &length);
    text.assign(value, length);
    return true;
}

void popArgument(lua_State* lua) {
    if (lua_gettop(lua) > 0) lua_pop(lua, 1);
}

int displayAddMenuOption(lua_State* lua) {
    std::string text;
    if (lastArgumentText(lua, text)) game().screen.addMenuOption(text);
    else game().screen.narrate("DisplayAddMenuOption called from Lua with invalid parameter!", 30, 1.0);
    popArgument(lua);
    return 0;
}

int displayAddMessage(lua_State* lua) {
    std::string text;
    if (lastArgumentText(lua, text)) game().screen.narrate(text + colorWhite, 14, 1.5);
    else game().screen.narrate("DisplayAddMessage called from Lua with invalid parameter!", 30, 0.5);
    popArgument(lua);
    return 0;
}

// math.random as Lua 5.1 defines it, but rolling the game's dice, so a
// script's choices replay with the seed like everything else.
int luaRandom(lua_State* lua) {
    const lua_Number r = static_cast<lua_Number>(rollDice() % kDiceMax) / static_cast<lua_Number>(kDiceMax);
    switch (lua_gettop(lua)) {
        case 0:
            lua_pushnumber(lua, r);
            break;
        case 1: {
            const int upper = luaL_checkint(lua, 1);
            luaL_argcheck(lua, 1 <= upper, 1, "interval is empty");
            lua_pushnumber(lua, std::floor(r * upper) + 1);
            break;
        }
        case 2: {
            const int lower = luaL_checkint(lua, 1);
            const int upper = luaL_checkint(lua, 2);
            luaL_argcheck(lua, lower <= upper, 2, "interval is empty");
            lua_pushnumber(lua, std::floor(r * (static_cast<lua_Number>(upper) - lower + 1)) + lower);
            break;
        }
        default:
            return luaL_error(lua, "wrong number of arguments");
    }
    return 1;
}

// The dice are seeded once for the whole game; a script cannot reseed them.
int luaRandomSeed(lua_State* lua) {
    luaL_checknumber(lua, 1);
    return 0;
}

void useGameDice(lua_State* lua) {
    lua_getglobal(lua, "math");
    if (!lua_istable(lua, -1)) {
        lua_pop(lua, 1);
        return;
    }
    lua_pushcfunction(lua, luaRandom);
    lua_setfield(lua, -2, "random");
    lua_pushcfunction(lua, luaRandomSeed);
    lua_setfield(lua, -2, "randomseed");
    lua_pop(lua, 1);
}

}  // namespace

void trace(const std::string& text) {
    std::ofstream file("luaTrace.txt", std::ios::app | std::ios::binary);
    if (!file) {
        game().screen.addMessage("failed to write to luaTrace.txt");
        return;
    }
    file << text << '\n';
}

bool looksLikeRecord(const std::string& record, int fields) {
    return !record.empty() && record.front() == '|' &&
           std::count(record.begin(), record.end(), '|') == 4 * static_cast<long>(fields);
}

LuaScript::LuaScript() : lua_(luaL_newstate()) {
    luaL_openlibs(lua_);
    useGameDice(lua_);
    lua_register(lua_, "DisplayAddMenuOption", displayAddMenuOption);
    lua_register(lua_, "DisplayAddMessage", displayAddMessage);
}

LuaScript::~LuaScript() { lua_close(lua_); }

bool LuaScript::loadFile(const std::string& gamePath) {
    const std::string path = dataPath(gamePath);
    if (luaL_loadfile(lua_, path.c_str()) != 0 || lua_pcall(lua_, 0, LUA_MULTRET, 0) != 0) {
        const char* message = lua_tostring(lua_, -1);
        trace(std::string("Error loading file: ") + (message ? message : "(no message)"));
        lua_settop(lua_, 0);
        return false;
    }
    lua_settop(lua_, 0);
    return true;
}

void LuaScript::getFunction(const std::string& name) { lua_getglobal(lua_, name.c_str()); }
void LuaScript::pushString(const std::string& text) { lua_pushlstring(lua_, text.data(), text.size()); }
void LuaScript::pushNumber(double number) { lua_pushnumber(lua_, number); }
int LuaScript::stackSize() const { return lua_gettop(lua_); }
void LuaScript::clearStack() { lua_settop(lua_, 0); }

bool LuaScript::call(int argumentCount, int resultCount) {
    if (lua_pcall(lua_, argumentCount, resultCount, 0) == 0) return true;
    const char* message = lua_tostring(lua_, -1);
    trace(std::string("Error running function: ") + (message ? message : "(no message)") + "\n");
    traceStack();
    lua_settop(lua_, 0);
    return false;
}

void LuaScript::traceStack() {
    std::string dump;
    for (int i = kStackDumpDepth; i >= 1; --i) {
        dump += toText(i) + ":\t";
        if (i <= lua_gettop(lua_) && lua_isstring(lua_, i)) dump += lua_tostring(lua_, i);
        else if (i <= lua_gettop(lua_)) dump += toText(static_cast<long>(lua_tointeger(lua_, i)));
        else dump += "0";
        dump += "\n";
    }
    trace(dump);
}

std::string LuaScript::popString() {
    std::string text;
    if (!lastArgumentText(lua_, text)) return " ";
    lua_pop(lua_, 1);
    return text;
}

static float popNumberOf(lua_State* lua) {
    const float value = lua_gettop(lua) > 0 ? static_cast<float>(lua_tonumber(lua, -1)) : 0.0f;
    if (lua_gettop(lua) > 0) lua_pop(lua, 1);
    return value;
}

float LuaScript::popNumber() { return popNumberOf(lua_); }

}  // namespace orv
