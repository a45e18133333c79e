// The Lua bridge.
#include "combat/lua_script.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_map>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/screen.h"
#include "core/text.h"

namespace orv {

struct LuaScript::Limits {
    std::size_t memoryUsed = 0;
    // Only a running script is held to the memory budget: the game's own
    // pushes between calls must never fail.
    bool scriptRunning = false;
    long instructionsUsed = 0;
    // What the game's functions have shown or written during this call.
    int messagesShown = 0;
    std::size_t messageBytes = 0;
    int optionsAdded = 0;
    std::size_t printedBytes = 0;
    bool toldOfCut = false;
};

namespace {

constexpr int kStackDumpDepth = 10;
// How often the instruction count is taken.
constexpr int kCountEvery = 1000;
// One option column of the grid is 24 cells; one is left blank so an
// option never runs into the next.
constexpr std::size_t kOptionCells = 23;
// No single trace (an error message, a dump) is allowed to crowd out the rest.
constexpr std::size_t kLongestTrace = 16 * 1024;
constexpr std::size_t kLongestDumpEntry = 2048;

LuaScript::Limits& limitsOf(lua_State* lua) {
    void* limits = nullptr;
    lua_getallocf(lua, &limits);
    return *static_cast<LuaScript::Limits*>(limits);
}

void* allocate(void* userData, void* block, std::size_t oldSize, std::size_t newSize) {
    auto& limits = *static_cast<LuaScript::Limits*>(userData);
    if (newSize == 0) {
        std::free(block);
        limits.memoryUsed -= oldSize;
        return nullptr;
    }
    // Lua turns a refused allocation into a memory error the call reports.
    if (limits.scriptRunning && newSize > oldSize &&
        limits.memoryUsed + (newSize - oldSize) > LuaScript::kMemoryBudget)
        return nullptr;
    void* grown = std::realloc(block, newSize);
    if (grown) limits.memoryUsed = limits.memoryUsed - oldSize + newSize;
    return grown;
}

int panic(lua_State* lua) {
    const char* message = lua_tostring(lua, -1);
    trace(std::string("Lua failed outside any script: ") + (message ? message : "(no message)"));
    return 0;
}

void countInstructions(lua_State* lua, lua_Debug*);

[[noreturn]] void stopScript(lua_State* lua) {
    // From here on every instruction fails, so a script's own pcall cannot
    // swallow the stop and carry on looping.
    lua_sethook(lua, countInstructions, LUA_MASKCOUNT, 1);
    luaL_error(lua, "the script ran too long (over %d instructions) and was stopped",
               static_cast<int>(LuaScript::kInstructionBudget));
    std::abort();  // luaL_error never returns
}

// Counts the instructions a load or call runs, across every coroutine the
// script starts, and stops the script at the budget.
void countInstructions(lua_State* lua, lua_Debug*) {
    LuaScript::Limits& limits = limitsOf(lua);
    limits.instructionsUsed += lua_gethookcount(lua);
    if (limits.instructionsUsed > LuaScript::kInstructionBudget) stopScript(lua);
    if (lua_gethookcount(lua) != kCountEvery) lua_sethook(lua, countInstructions, LUA_MASKCOUNT, kCountEvery);
}

// The game's own functions run outside the instruction count, so each call
// is charged for its work, in instructions of about the same time: a call,
// and every byte it handles. Charged by work rather than by the clock, the
// same script stops at the same point on every machine and in every replay.
void chargeGameCall(lua_State* lua, std::size_t bytesHandled) {
    constexpr long kCallCost = 10'000;
    constexpr long kCostPerByte = 20;
    LuaScript::Limits& limits = limitsOf(lua);
    limits.instructionsUsed += kCallCost + kCostPerByte * static_cast<long>(bytesHandled);
    if (limits.instructionsUsed > LuaScript::kInstructionBudget) stopScript(lua);
}

// Once a call has shown or written all it may, the rest is dropped, and
// the trace says so once.
void noteCut(lua_State* lua, const char* what) {
    LuaScript::Limits& limits = limitsOf(lua);
    if (limits.toldOfCut) return;
    limits.toldOfCut = true;
    trace(std::string("A script call went past what it may show or write: ") + what);
}

// The last argument as text, when it is a string or a number; at most its
// first `longest` bytes.
bool lastArgumentText(lua_State* lua, std::string& text, std::size_t longest = std::string::npos) {
    if (lua_gettop(lua) == 0 || !lua_isstring(lua, -1)) return false;
    std::size_t length = 0;
    const char* value = lua_tolstring(lua, -1, &length);
    text.assign(value, std::min(length, longest));
    return true;
}

void popArgument(lua_State* lua) {
    if (lua_gettop(lua) > 0) lua_pop(lua, 1);
}

// The grid shows fifteen options; a script call adds no more than that.
constexpr int kOptionsPerCall = 15;
// Enough colour codes around 23 cells of text for any option.
constexpr std::size_t kLongestOptionRead = 1024;
// The typewriter shows each message in turn: a call may tell about a full
// log's worth, in a few messages, and no more.
constexpr int kMessagesPerCall = 6;
constexpr std::size_t kMessageBytesPerCall = kMessageRows * kConsoleWidth;
// What print may add to the trace in one call.
constexpr std::size_t kPrintBytesPerCall = 64 * 1024;

int displayAddMenuOption(lua_State* lua) {
    LuaScript::Limits& limits = limitsOf(lua);
    std::string text;
    const bool isText = lastArgumentText(lua, text, kLongestOptionRead);
    chargeGameCall(lua, text.size());
    if (limits.optionsAdded >= kOptionsPerCall) {
        noteCut(lua, "more than 15 menu options");
    } else if (isText) {
        ++limits.optionsAdded;
        game().screen.addMenuOption(fitMenuOption(text));
    } else {
        ++limits.optionsAdded;
        game().screen.narrate("DisplayAddMenuOption called from Lua with invalid parameter!", 30, 1.0);
    }
    popArgument(lua);
    return 0;
}

int displayAddMessage(lua_State* lua) {
    LuaScript::Limits& limits = limitsOf(lua);
    std::string text;
    const bool isText = lastArgumentText(lua, text, kMessageBytesPerCall - limits.messageBytes);
    chargeGameCall(lua, text.size());
    if (limits.messagesShown >= kMessagesPerCall || limits.messageBytes >= kMessageBytesPerCall) {
        noteCut(lua, "more messages than the log holds");
    } else if (isText) {
        ++limits.messagesShown;
        limits.messageBytes += std::max<std::size_t>(text.size(), 1);
        game().screen.narrate(fitMessageToLog(text) + colorWhite, 14, 1.5);
    } else {
        ++limits.messagesShown;
        game().screen.narrate("DisplayAddMessage called from Lua with invalid parameter!", 30, 0.5);
    }
    popArgument(lua);
    return 0;
}

// print goes to the trace: the terminal belongs to the game's frame.
int printToTrace(lua_State* lua) {
    LuaScript::Limits& limits = limitsOf(lua);
    if (limits.printedBytes >= kPrintBytesPerCall) {
        chargeGameCall(lua, 0);
        noteCut(lua, "more than 64 KB printed");
        return 0;
    }
    const int count = lua_gettop(lua);
    lua_getglobal(lua, "tostring");
    luaL_Buffer line;
    luaL_buffinit(lua, &line);
    for (int i = 1; i <= count; ++i) {
        if (i > 1) luaL_addchar(&line, '\t');
        lua_pushvalue(lua, count + 1);
        lua_pushvalue(lua, i);
        lua_call(lua, 1, 1);
        if (!lua_isstring(lua, -1)) return luaL_error(lua, "'tostring' must return a string to 'print'");
        luaL_addvalue(&line);
    }
    luaL_pushresult(&line);
    std::size_t length = 0;
    const char* text = lua_tolstring(lua, -1, &length);
    length = std::min(length, kPrintBytesPerCall - limits.printedBytes);
    chargeGameCall(lua, length);
    limits.printedBytes += std::max<std::size_t>(length, 1);
    trace(std::string(text, length));
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

// Run once in every new state, before any script. The originals it replaces
// live on only as locals of this chunk, out of a script's reach.
constexpr const char* kFence = R"lua(
local contentPath = ...
local rawLoadString, rawOpen, rawLines, rawGetfenv = loadstring, io.open, io.lines, getfenv
local getinfo, traceback = debug.getinfo, debug.traceback
local byte, gsub, gmatch, concat, type, error = string.byte, string.gsub, string.gmatch, table.concat, type, error
local COMPILED = "compiled Lua is not run; a battle script must be text"

-- Every file a script names is the game's: found in its folder, never outside.
local function openInside(path, mode)
  local inside, problem = contentPath(path)
  if not inside then return nil, problem end
  return rawOpen(inside, mode)
end

-- Compiled chunks can break the interpreter itself: only text is loaded.
loadstring = function(text, name)
  if type(text) == "string" and byte(text, 1) == 27 then return nil, COMPILED end
  return rawLoadString(text, name)
end
load = function(reader, name)
  local parts = {}
  while true do
    local piece = reader()
    if piece == nil or piece == "" then break end
    if type(piece) ~= "string" then return nil, "reader function must return a string" end
    parts[#parts + 1] = piece
  end
  return loadstring(concat(parts), name or "=(load)")
end
local function loadTextFile(path)
  if type(path) ~= "string" then return nil, "loadfile needs a file name" end
  local file, problem = openInside(path, "rb")
  if not file then return nil, problem end
  local text = file:read("*a") or ""
  file:close()
  -- A first line such as "#!..." is skipped, as the interpreter does.
  if byte(text, 1) == 35 then text = "--" .. text end
  if byte(text, 1) == 27 then return nil, COMPILED end
  return rawLoadString(text, "@" .. path)
end
loadfile = loadTextFile
dofile = function(path)
  local chunk, problem = loadTextFile(path)
  if not chunk then error(problem, 2) end
  return chunk()
end

-- Files may be read, never written; nothing reads the game's own input.
io.open = function(path, mode)
  mode = mode or "r"
  if mode ~= "r" and mode ~= "rb" then return nil, "battle scripts may only read files" end
  return openInside(path, mode)
end
io.lines = function(path)
  if type(path) ~= "string" then error("io.lines needs a file name", 2) end
  local inside, problem = contentPath(path)
  if not inside then error(problem, 2) end
  return rawLines(inside)
end
for _, name in ipairs({"close", "flush", "input", "output", "popen", "read", "tmpfile", "write",
                       "stdin", "stdout", "stderr"}) do
  io[name] = nil
end

-- No ending the game, running programs or touching files through os.
for _, name in ipairs({"exit", "execute", "remove", "rename", "tmpname", "setlocale"}) do
  os[name] = nil
end

-- require finds Lua text only: no C libraries.
package.loadlib = nil
package.cpath = ""
package.loaders[2] = function(name)
  local file = gsub(name, "%.", "/")
  local tried = {}
  for template in gmatch(package.path, "[^;]+") do
    local path = gsub(template, "%?", file)
    local handle = openInside(path, "rb")
    if handle then
      handle:close()
      local chunk, problem = loadTextFile(path)
      if not chunk then error("error loading module '" .. name .. "' from file '" .. path .. "':\n\t" .. problem, 0) end
      return chunk
    end
    tried[#tried + 1] = "\n\tno file '" .. path .. "'"
  end
  return concat(tried)
end
package.loaders[3] = nil
package.loaders[4] = nil

-- The debug library could lift the instruction count; only traceback stays.
debug = { traceback = traceback }
package.loaded.debug = debug

-- The environments of the library's own functions hold the game's terminal.
getfenv = function(f)
  if type(f) == "function" and getinfo(f, "S").what == "C" then return nil end
  if type(f) == "number" and f > 0 then f = f + 1 end
  if f == nil then f = 2 end
  return rawGetfenv(f)
end
)lua";

std::string cutTo(const char* text, std::size_t length, std::size_t limit);

int appendChunk(lua_State*, const void* bytes, std::size_t size, void* out) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(bytes), size);
    return 0;
}

// Compiling a battle script costs far more than running it, and every fight
// opens two fresh script states: each text is compiled once a run and its
// compiled form loaded from then on. A file edited between fights is
// compiled afresh, and every state still runs the chunk itself, so what a
// fight's script remembers is new for every fight as before.
int loadText(lua_State* lua, const std::string& text, const std::string& chunkName) {
    struct Compiled {
        std::string text;
        std::string chunk;
    };
    static std::unordered_map<std::string, Compiled> compiled;
    const auto known = compiled.find(chunkName);
    if (known != compiled.end() && known->second.text == text)
        return luaL_loadbuffer(lua, known->second.chunk.data(), known->second.chunk.size(), chunkName.c_str());
    const int status = luaL_loadbuffer(lua, text.data(), text.size(), chunkName.c_str());
    if (status != 0) return status;
    std::string chunk;
    if (lua_dump(lua, appendChunk, &chunk) == 0) compiled[chunkName] = {text, std::move(chunk)};
    return 0;
}

// The file name a script asks for, as the game opens it; nil and the
// reason when the name leads outside the content folder.
int contentPath(lua_State* lua) {
    std::size_t length = 0;
    const char* name = luaL_checklstring(lua, 1, &length);
    const std::string path(name, length);
    if (!staysInContent(path)) {
        lua_pushnil(lua);
        lua_pushstring(lua, (cutTo(name, length, kLongestDumpEntry) + ": " + kOutsideContentNote).c_str());
        return 2;
    }
    const std::string inside = dataPath(path);
    lua_pushlstring(lua, inside.data(), inside.size());
    return 1;
}

void fence(lua_State* lua) {
    if (loadText(lua, kFence, "=fence") != 0 ||
        (lua_pushcfunction(lua, contentPath), lua_pcall(lua, 1, 0, 0)) != 0) {
        const char* message = lua_tostring(lua, -1);
        trace(std::string("Could not fence the script state: ") + (message ? message : "(no message)"));
    }
    lua_settop(lua, 0);
}

std::string cutTo(const char* text, std::size_t length, std::size_t limit) {
    if (length <= limit) return std::string(text, length);
    return std::string(text, limit) + " ... (cut)";
}

// Keeps the trace to its most recent part, starting at a whole line.
void keepTraceShort(const std::string& traceFile) {
    std::error_code error;
    const auto size = std::filesystem::file_size(traceFile, error);
    if (error || size <= kTraceLimit) return;
    std::string tail;
    {
        std::ifstream in(traceFile, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(size - kTraceKept));
        tail.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::size_t lineEnd = tail.find('\n');
    tail.erase(0, lineEnd == std::string::npos ? tail.size() : lineEnd + 1);
    std::ofstream out(traceFile, std::ios::binary | std::ios::trunc);
    out << tail;
}

bool fitsTheLog(const std::string& text) {
    // As the typewriter shows it: the text and a white reset, wrapped, in a
    // log whose messages each take a blank row after them.
    return Screen::rowsOf(Screen::wrapMessage(text + colorWhite + colorWhite) + "\n") + 1 <= kMessageRows;
}

}  // namespace

void trace(const std::string& text) {
    // The trace lives in the player's own folder, made the first time a
    // script has something to say.
    const std::string traceFile = traceFilePath();
    if (const std::filesystem::path folder = std::filesystem::path(traceFile).parent_path(); !folder.empty())
        makePrivateFolder(folder);
    {
        std::ofstream file(traceFile, std::ios::app | std::ios::binary);
        if (!file) {
            game().screen.addMessage("failed to write to luaTrace.txt");
            return;
        }
        file << cutTo(text.data(), text.size(), kLongestTrace) << '\n';
    }
    keepTraceShort(traceFile);
}

std::string fitMessageToLog(const std::string& text) {
    // No message longer than the log's every cell, colour codes allowed for,
    // can show; the longest prefix that fits is then found by halving.
    constexpr std::size_t kRoughLimit = 4 * static_cast<std::size_t>(kMessageRows * kConsoleWidth);
    std::size_t fits = 0;
    std::size_t tooLong = std::min(text.size(), kRoughLimit) + 1;
    if (text.size() <= kRoughLimit && fitsTheLog(text)) return text;
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        if (fitsTheLog(text.substr(0, middle))) fits = middle;
        else tooLong = middle;
    }
    return text.substr(0, fits);
}

std::string fitMenuOption(const std::string& text) {
    std::string fitted;
    std::size_t cells = 0;
    for (char c : text) {
        if (c == '\n' || c == '\r') break;  // an option is one row of the grid
        const bool takesCell = !isColorCode(static_cast<unsigned char>(c));
        if (takesCell && cells == kOptionCells) break;
        cells += takesCell;
        fitted += c;
    }
    return fitted;
}

LuaScript::LuaScript() : limits_(std::make_unique<Limits>()), lua_(lua_newstate(allocate, limits_.get())) {
    lua_atpanic(lua_, panic);
    luaL_openlibs(lua_);
    useGameDice(lua_);
    lua_register(lua_, "print", printToTrace);
    fence(lua_);
    lua_register(lua_, "DisplayAddMenuOption", displayAddMenuOption);
    lua_register(lua_, "DisplayAddMessage", displayAddMessage);
    lua_sethook(lua_, countInstructions, LUA_MASKCOUNT, kCountEvery);
}

LuaScript::~LuaScript() { lua_close(lua_); }

int LuaScript::runGuarded(int argumentCount, int resultCount) {
    limits_->instructionsUsed = 0;
    limits_->messagesShown = 0;
    limits_->messageBytes = 0;
    limits_->optionsAdded = 0;
    limits_->printedBytes = 0;
    limits_->toldOfCut = false;
    limits_->scriptRunning = true;
    lua_sethook(lua_, countInstructions, LUA_MASKCOUNT, kCountEvery);
    const int status = lua_pcall(lua_, argumentCount, resultCount, 0);
    limits_->scriptRunning = false;
    // Lua 5.1 does not collect before it gives up on memory: after a greedy
    // script the garbage is cleared at once, or the next call would find no
    // room left.
    if (status == LUA_ERRMEM || limits_->memoryUsed > kMemoryBudget / 2) lua_gc(lua_, LUA_GCCOLLECT, 0);
    return status;
}

long LuaScript::instructionsUsed() const { return limits_->instructionsUsed; }

bool LuaScript::loadFile(const std::string& gamePath) {
    const std::string path = dataPath(gamePath);
    int status = 0;
    {
        // Compiled Lua can break the interpreter: only script text is run.
        std::ifstream file(path, std::ios::binary);
        std::string text;
        if (file) {
            std::ostringstream whole;  // read in one piece: every fight reads both scripts
            whole << file.rdbuf();
            text = whole.str();
        }
        if (!text.empty() && text[0] == '#') text.insert(0, "--");
        if (!file.is_open()) {
            status = luaL_loadfile(lua_, path.c_str());  // its own "cannot open" message
        } else if (!text.empty() && text[0] == LUA_SIGNATURE[0]) {
            lua_pushstring(lua_, (path + " is compiled Lua; a battle script must be text").c_str());
            status = LUA_ERRSYNTAX;
        } else {
            status = loadText(lua_, text, "@" + path);
        }
    }
    if (status == 0) status = runGuarded(0, LUA_MULTRET);
    if (status != 0) {
        std::size_t length = 0;
        const char* message = lua_tolstring(lua_, -1, &length);
        trace("Error loading file: " + (message ? cutTo(message, length, kLongestTrace) : "(no message)"));
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
    if (runGuarded(argumentCount, resultCount) == 0) return true;
    std::size_t length = 0;
    const char* message = lua_tolstring(lua_, -1, &length);
    trace("Error running function: " + (message ? cutTo(message, length, kLongestTrace) : "(no message)") + "\n");
    traceStack();
    lua_settop(lua_, 0);
    return false;
}

void LuaScript::traceStack() {
    std::string dump;
    for (int i = kStackDumpDepth; i >= 1; --i) {
        dump += toText(i) + ":\t";
        std::size_t length = 0;
        if (i <= lua_gettop(lua_) && lua_isstring(lua_, i)) {
            const char* text = lua_tolstring(lua_, i, &length);
            dump += cutTo(text, length, kLongestDumpEntry);
        } else if (i <= lua_gettop(lua_)) {
            dump += toText(static_cast<long>(lua_tointeger(lua_, i)));
        } else {
            dump += "0";
        }
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

float LuaScript::popNumber() {
    const float value = lua_gettop(lua_) > 0 ? static_cast<float>(lua_tonumber(lua_, -1)) : 0.0f;
    if (lua_gettop(lua_) > 0) lua_pop(lua_, 1);
    return value;
}

}  // namespace orv
