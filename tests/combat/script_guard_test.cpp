// Battle scripts that misbehave: endless loops, greedy memory, numbers no
// statistic can be, texts too long for the screen, reaching for the disk or
// the program itself. The fight goes on and the trace says what happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "combat/battle.h"
#include "combat/combat_content.h"
#include "combat/lua_script.h"
#include "core/screen.h"
#include "core/text.h"
#include "screens/creator.h"
#include "support/test_root.h"

namespace orv {
namespace {

using test::CombatContent;
using test::TestWorld;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A script state over a scratch file, with the game world it shows on.
struct Sandbox {
    CombatContent content;
    TestWorld world;
    LuaScript script;

    bool load(const std::string& lua) {
        content.dir.write("scripts/probe.lua", lua);
        return script.loadFile("scripts\\probe.lua");
    }
    // Calls a global function of no arguments and one result, as text.
    std::string run(const std::string& function) {
        script.getFunction(function);
        if (!script.call(0, 1)) return "(failed)";
        const std::string result = script.popString();
        script.clearStack();
        return result;
    }
    std::string traceFile() const { return readFile("luaTrace.txt"); }
};

struct Fight {
    CombatContent content;
    TestWorld world;
    test::TestRoot root;
    Battle* battle = nullptr;
    Game& g = world.game;

    Fight() {
        applyClass(g.player, "Fighter", true);
        applyClass(g.sidekick, "Rogue", false);
    }
    void open() {
        Monster monster;
        monster.name = "Rust Mite";
        monster.monsterType = "Sneaky";
        for (std::size_t r = 0; r < ResistanceCount; ++r) monster.resistances[r] = 1;
        monster.weapon = "mandible";
        monster.weaponType = "sword";
        monster.setLevel(2);
        battle = new Battle(&root, std::make_unique<Monster>(std::move(monster)));
        root.setSubState(battle);
    }
    std::string records() const { return g.player.toRecord() + g.sidekick.toRecord() + battle->monster()->toRecord(); }
};

TEST(ScriptTime, EndlessLoopsAreStoppedAtLoadAndInCallsAndTheStateStaysUsable) {
    Sandbox box;
    EXPECT_FALSE(box.load("while true do end\n"));
    EXPECT_NE(box.traceFile().find("Error loading file: "), std::string::npos);
    EXPECT_NE(box.traceFile().find("ran too long"), std::string::npos);

    // A loop that catches its own stop with pcall, one that hides in
    // coroutines, one inside a sort: all stopped, none ends the test.
    ASSERT_TRUE(box.load(R"lua(
function Stubborn() while true do pcall(function() while true do end end) end end
function Spawner()
  while true do coroutine.resume(coroutine.create(function() for i = 1, 1e12 do end end)) end
end
function Sorter()
  local t = {} for i = 1, 50 do t[i] = i end
  table.sort(t, function(a, b) while true do end end)
end
function Fine() return "still here" end
)lua"));
    for (const char* function : {"Stubborn", "Spawner", "Sorter"}) {
        EXPECT_EQ(box.run(function), "(failed)") << function;
        EXPECT_GE(box.script.instructionsUsed(), LuaScript::kInstructionBudget) << function;
        EXPECT_EQ(box.script.stackSize(), 0);
    }
    // The budget is per call: the next call runs as usual.
    EXPECT_EQ(box.run("Fine"), "still here");
    EXPECT_LT(box.script.instructionsUsed(), 10000);
    const std::string trace = box.traceFile();
    EXPECT_NE(trace.find("Error running function: "), std::string::npos);
}

TEST(ScriptTime, AMonsterWhoseScriptNeverEndsStillFightsOn) {
    Fight fight;
    fight.content.writeAiScript("function MonsterAI(p, s, m) while true do end end\n");
    fight.open();
    const std::string before = fight.records();
    EXPECT_EQ(fight.battle->runMonsterAI(), -1);
    EXPECT_EQ(fight.records(), before);
    EXPECT_TRUE(fight.battle->battleOn());
    EXPECT_NE(readFile("luaTrace.txt").find("ran too long"), std::string::npos);
}

TEST(ScriptTime, FloodsOfGameCallsAreChargedAndCutSoTheCallEndsSoon) {
    Sandbox box;
    ASSERT_TRUE(box.load(R"lua(
function MessageFlood() for i = 1, 1e4 do DisplayAddMessage("Bite " .. i) end end
function CaughtFlood() for i = 1, 1e4 do pcall(DisplayAddMessage, "Nip " .. i) end end
function OptionFlood() for i = 1, 1e5 do DisplayAddMenuOption("<1> Bite") end end
function PrintFlood() local big = string.rep("p", 16384) for i = 1, 1e4 do print(big) end end
function Fine() DisplayAddMessage("The mite hisses.") print("fine") return "ok" end
)lua"));
    Screen& screen = box.world.game.screen;
    HeadlessConsole& console = box.world.console;
    // Each flood is stopped like an endless loop, having shown no more than
    // a player can follow: a few typed-out messages, one grid of options.
    for (const char* flood : {"MessageFlood", "CaughtFlood"}) {
        const auto startMs = console.nowMs();
        EXPECT_EQ(box.run(flood), "(failed)") << flood;
        EXPECT_LT(console.nowMs() - startMs, 60'000u) << flood;
    }
    screen.clearFrame();
    EXPECT_EQ(box.run("OptionFlood"), "(failed)");
    EXPECT_LE(screen.menuOptions().size(), 15u);
    std::filesystem::remove("luaTrace.txt");
    EXPECT_EQ(box.run("PrintFlood"), "(failed)");
    const std::string trace = box.traceFile();
    EXPECT_LE(std::count(trace.begin(), trace.end(), 'p'), 64 * 1024 + 1000);
    EXPECT_NE(trace.find("ran too long"), std::string::npos);

    // The limits are per call: the next one shows and prints as usual.
    EXPECT_EQ(box.run("Fine"), "ok");
    EXPECT_EQ(screen.messages()[0].rfind("The mite hisses.", 0), 0u);
    EXPECT_EQ(box.traceFile().substr(box.traceFile().size() - 5), "fine\n");
}

TEST(ScriptMemory, AScriptCannotGrowWithoutBound) {
    Sandbox box;
    ASSERT_TRUE(box.load(R"lua(
function Huge() return #string.rep("x", 2^27) end
function Hoard() local t = {} for i = 1, 1e8 do t[i] = {i} end return #t end
function Small() return #string.rep("x", 1000) end
)lua"));
    EXPECT_EQ(box.run("Huge"), "(failed)");
    EXPECT_EQ(box.run("Hoard"), "(failed)");
    EXPECT_EQ(box.run("Small"), "1000");
    // What the game hands over between calls is never refused.
    box.script.pushString(std::string(1000, 'r'));
    EXPECT_EQ(box.script.popString().size(), 1000u);
}

TEST(ScriptFence, NoEndingTheGameRunningProgramsOrWritingFiles) {
    Sandbox box;
    box.content.dir.write("readable.txt", "first line\nsecond line\n");
    ASSERT_TRUE(box.load(R"lua(
function Reachable()
  local found = {}
  local function check(name, value) if value ~= nil then found[#found + 1] = name end end
  check("os.exit", os.exit) check("os.execute", os.execute) check("os.remove", os.remove)
  check("os.rename", os.rename) check("os.tmpname", os.tmpname) check("os.setlocale", os.setlocale)
  check("io.popen", io.popen) check("io.output", io.output) check("io.write", io.write)
  check("io.read", io.read) check("io.stdout", io.stdout) check("io.tmpfile", io.tmpfile)
  check("package.loadlib", package.loadlib) check("debug.sethook", debug.sethook)
  check("debug.getupvalue", debug.getupvalue) check("io.type fenv", getfenv(io.type))
  if io.open("written.txt", "w") then found[#found + 1] = "io.open w" end
  if io.open("written.txt", "a+") then found[#found + 1] = "io.open a+" end
  if io.open("readable.txt", "r+") then found[#found + 1] = "io.open r+" end
  if pcall(require, "socket.core") then found[#found + 1] = "require C" end
  if loadstring(string.dump(function() return 1 end)) then found[#found + 1] = "compiled loadstring" end
  if load(function() return nil end) == nil then found[#found + 1] = "empty load" end
  return table.concat(found, ",")
end
function StillThere()
  local f = io.open("readable.txt")
  local first = f:read("*l")
  f:close()
  local lines = 0
  for _ in io.lines("readable.txt") do lines = lines + 1 end
  local fn = loadstring("return 40 + 2")
  return first .. "|" .. lines .. "|" .. fn() .. "|" .. string.format("%d", math.floor(math.max(1, 2.5)))
    .. "|" .. type(os.time()) .. "|" .. type(debug.traceback) .. "|" .. type(getfenv(1))
end
function Chatty() print("hello", 42, nil) return "ok" end
)lua"));
    EXPECT_EQ(box.run("Reachable"), "");
    EXPECT_FALSE(std::filesystem::exists("written.txt"));
    EXPECT_EQ(box.run("StillThere"), "first line|2|42|2|number|function|table");
    // print lands in the trace, not on the game's screen.
    EXPECT_EQ(box.run("Chatty"), "ok");
    EXPECT_NE(box.traceFile().find("hello\t42\tnil\n"), std::string::npos);

    // A compiled file is not run either.
    box.content.dir.write("scripts/compiled.lua", std::string("\x1bLua\x51\x00garbage", 12));
    EXPECT_FALSE(box.script.loadFile("scripts\\compiled.lua"));
    EXPECT_NE(box.traceFile().find("compiled Lua"), std::string::npos);
}

TEST(ScriptFence, FilesOutsideTheGameFolderAreNeverRead) {
    Sandbox box;
    const std::filesystem::path scratch = box.content.dir.path();
    const std::filesystem::path secret = scratch.parent_path() / (scratch.filename().string() + "-secret.lua");
    std::ofstream(secret) << "return 'the machine secret'\n";
    const std::string relative = "../" + secret.filename().string();
    ASSERT_TRUE(box.load("OUT = '" + relative + "'\nABS = '" + secret.string() + "'\n" + R"lua(
function Outside()
  local found = {}
  for _, name in ipairs({OUT, ABS, "scripts/../" .. OUT, "scripts\\..\\" .. OUT}) do
    local file, problem = io.open(name)
    if file then found[#found + 1] = "io.open " .. name end
    if pcall(io.lines, name) then found[#found + 1] = "io.lines " .. name end
    if loadfile(name) then found[#found + 1] = "loadfile " .. name end
    if pcall(dofile, name) then found[#found + 1] = "dofile " .. name end
  end
  package.path = "../?.lua;" .. package.path
  if pcall(require, string.sub(OUT, 4, -5)) then found[#found + 1] = "require" end
  local _, why = io.open(OUT)
  return table.concat(found, ",") .. "|" .. tostring(why)
end
)lua"));
    const std::string result = box.run("Outside");
    std::filesystem::remove(secret);
    EXPECT_EQ(result.substr(0, 1), "|") << result;
    EXPECT_NE(result.find("outside the game's folder"), std::string::npos) << result;
}

TEST(ScriptRecords, NumbersNoStatisticCanBeAreRefusedAndNobodyChanges) {
    // Each script breaks one number of one record the way a careless script
    // would; the whole answer is refused.
    const char* const breaks[] = {
        "p = p:gsub('|NUM|modHP|[^|]*|', '|NUM|modHP|nan|')",
        "s = s:gsub('|NUM|maxMP|[^|]*|', '|NUM|maxMP|inf|', 1)",
        "m = m:gsub('|NUM|HP|[^|]*|', '|NUM|HP|1e30|', 1)",
        "p = p:gsub('|NUM|lv|[^|]*|', '|NUM|lv|-1e38|')",
        "m = m:gsub('|NUM|lv|[^|]*|', '|NUM|lv|5000|')",
        "p = p:gsub('|NUM|modAtk|[^|]*|', '|NUM|modAtk|0x1p200|')",
    };
    for (const char* brokenLine : breaks) {
        Fight fight;
        fight.content.writeAiScript(std::string("function MonsterAI(p, s, m)\n  ") + brokenLine +
                                    "\n  return p, s, m, 0\nend\n");
        fight.open();
        const std::string before = fight.records();
        fight.battle->runMonsterAI();
        EXPECT_EQ(fight.records(), before) << brokenLine;
        EXPECT_NE(readFile("luaTrace.txt").find("nothing was changed"), std::string::npos) << brokenLine;
    }
    // Large but sane numbers still go through.
    Fight fight;
    fight.content.writeAiScript(
        "function MonsterAI(p, s, m) return p:gsub('|NUM|modHP|[^|]*|', '|NUM|modHP|12345.5|'), s, m, 1e30 end\n");
    fight.open();
    fight.g.player.effective[MaxHP] = 20000;
    EXPECT_EQ(fight.battle->runMonsterAI(), 0);  // a result no whole number holds reads as 0
    EXPECT_EQ(fight.g.player.effective[HP], 12345.5f);
}

TEST(ScriptText, MessagesAndOptionsAreCutToWhatTheScreenShows) {
    Sandbox box;
    ASSERT_TRUE(box.load(R"lua(
function Long() DisplayAddMessage(string.rep("stars ", 1000) .. "END") end
function LongOption() DisplayAddMenuOption(string.rep("option ", 50)) end
function Short() DisplayAddMessage("The mite hisses.") end
)lua"));
    box.run("Long");
    Screen& screen = box.world.game.screen;
    ASSERT_FALSE(screen.messages().empty());
    const std::string& shown = screen.messages()[0];
    EXPECT_EQ(shown.rfind("stars stars", 0), 0u);
    EXPECT_EQ(shown.find("END"), std::string::npos);
    EXPECT_LE(Screen::rowsOf(shown) + 1, kMessageRows);
    // ... and it really is on the screen.
    screen.clearFrame();
    screen.render();
    EXPECT_NE(box.world.console.frameText().find("stars stars"), std::string::npos);

    box.run("LongOption");
    ASSERT_FALSE(screen.menuOptions().empty());
    EXPECT_LT(displayLength(screen.menuOptions().back()), 24u);

    box.run("Short");
    EXPECT_EQ(screen.messages()[0].rfind("The mite hisses.", 0), 0u);

    // The cut never breaks a short text and never overflows the log,
    // newlines included.
    EXPECT_EQ(fitMessageToLog("plain"), "plain");
    EXPECT_LE(Screen::rowsOf(Screen::wrapMessage(fitMessageToLog(std::string(100000, '\n')))), kMessageRows);
    EXPECT_EQ(fitMenuOption("<1> Bite\nmore"), "<1> Bite");
}

TEST(ScriptTrace, TheTraceKeepsOnlyItsLatestPartFromAWholeLine) {
    Sandbox box;
    {
        std::ofstream old("luaTrace.txt", std::ios::binary);
        for (int i = 0; old.tellp() < static_cast<std::streamoff>(kTraceLimit); ++i)
            old << "old line " << i << " of an error long forgotten\n";
    }
    trace("the newest error");
    const std::string kept = box.traceFile();
    EXPECT_LE(kept.size(), kTraceKept);
    EXPECT_GT(kept.size(), kTraceKept / 2);
    EXPECT_EQ(kept.rfind("old line ", 0), 0u);  // starts with a whole line
    EXPECT_EQ(kept.substr(kept.size() - 17), "the newest error\n");

    // Below the limit nothing is cut.
    trace("one more");
    EXPECT_EQ(box.traceFile(), kept + "one more\n");
}

}  // namespace
}  // namespace orv
