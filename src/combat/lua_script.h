// One Lua state running one battle script ("scripts\spell_cast.lua" or
// "scripts\enemy_ai.lua"), with the two display functions the game offers
// scripts, and the trace file every script error is appended to.
//
// Scripts are data a player can change or be handed, so the state is fenced:
// a script cannot end the program, start other programs or write files; it
// is stopped when it runs too long or grows too large; and what it shows is
// cut to what the screen can hold. Everything the game's own scripts use
// (string, table, math, pcall, setmetatable and the like) is there as usual.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct lua_State;

namespace orv {

class LuaScript {
public:
    // Instructions one load or one call may run before it is stopped: the
    // game's scripts need some thousands per call, an endless loop never ends.
    static constexpr long kInstructionBudget = 20'000'000;
    // Memory one script state may hold while a script runs.
    static constexpr std::size_t kMemoryBudget = 64u * 1024 * 1024;

    LuaScript();
    ~LuaScript();
    LuaScript(const LuaScript&) = delete;
    LuaScript& operator=(const LuaScript&) = delete;

    // Loads and runs the file (a game path); errors are traced. False when
    // the script could not be loaded.
    bool loadFile(const std::string& gamePath);
    void getFunction(const std::string& name);
    void pushString(const std::string& text);
    void pushNumber(double number);
    // A protected call. On an error the message and a stack dump are traced,
    // the stack is emptied and false is returned.
    bool call(int argumentCount, int resultCount);
    std::string popString();
    float popNumber();
    int stackSize() const;
    // Drops whatever a script left behind, so calls never pile values up.
    void clearStack();
    // About how many instructions the last load or call ran.
    long instructionsUsed() const;

    lua_State* state() { return lua_; }

    struct Limits;

private:
    void traceStack();
    // Runs the function under the stack's top `argumentCount` values within
    // the budgets; the Lua status.
    int runGuarded(int argumentCount, int resultCount);

    std::unique_ptr<Limits> limits_;
    lua_State* lua_;
};

// Appends `text` and a newline to luaTrace.txt (a screen message when it
// cannot be written). The file keeps only its most recent part.
void trace(const std::string& text);

// The size past which luaTrace.txt is cut back, and what is then kept.
constexpr std::size_t kTraceLimit = 512 * 1024;
constexpr std::size_t kTraceKept = 256 * 1024;

// What the display functions do to a script's text before showing it: a
// message is cut to what the message log can show at once, a menu option to
// its column of the option grid.
std::string fitMessageToLog(const std::string& text);
std::string fitMenuOption(const std::string& text);

}  // namespace orv
