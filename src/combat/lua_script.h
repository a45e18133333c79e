// One Lua state running one battle script ("scripts\spell_cast.lua" or
// "scripts\enemy_ai.lua"), with the two display functions the game offers
// scripts, and the trace file every script error is appended to.
#pragma once

#include <string>

struct lua_State;

namespace orv {

class LuaScript {
public:
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

    lua_State* state() { return lua_; }

private:
    void traceStack();
    lua_State* lua_;
};

// Appends `text` and a newline to luaTrace.txt (a screen message when it
// cannot be written).
void trace(const std::string& text);

// Whether a script returned something shaped like a record of `fields`
// fields; anything else must not be read into a combatant.
bool looksLikeRecord(const std::string& record, int fields);

}  // namespace orv
