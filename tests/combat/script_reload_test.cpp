// Battle scripts are compiled once a run, yet each fight still reads its
// script afresh: an edited file counts from the next fight on, a broken edit
// is told as before, and what a script remembers never outlives its fight.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "combat/combat_content.h"
#include "combat/lua_script.h"

namespace orv {
namespace {

std::string answerOf(LuaScript& script) {
    script.getFunction("Answer");
    if (!script.call(0, 1)) return "(failed)";
    return script.popString();
}

TEST(ScriptReload, EditsCountFromTheNextLoadAndMemoryStartsEmptyEachTime) {
    test::CombatContent content;
    test::TestWorld world;
    const std::string counting = "Memory = Memory or { calls = 0 }\n"
                                 "function Answer() Memory.calls = Memory.calls + 1 return WORD .. Memory.calls end\n";
    content.dir.write("scripts/enemy_ai.lua", "WORD = 'first'\n" + counting);
    for (int fight = 0; fight < 2; ++fight) {
        LuaScript script;
        ASSERT_TRUE(script.loadFile("scripts\\enemy_ai.lua"));
        EXPECT_EQ(answerOf(script), "first1");  // a fresh state: nothing remembered from before
        EXPECT_EQ(answerOf(script), "first2");
    }
    content.dir.write("scripts/enemy_ai.lua", "WORD = 'second'\n" + counting);
    {
        LuaScript script;
        ASSERT_TRUE(script.loadFile("scripts\\enemy_ai.lua"));
        EXPECT_EQ(answerOf(script), "second1");
    }
    content.dir.write("scripts/enemy_ai.lua", "function Answer( return 1 end\n");
    {
        LuaScript script;
        EXPECT_FALSE(script.loadFile("scripts\\enemy_ai.lua"));
        std::ifstream trace("luaTrace.txt");
        const std::string traced(std::istreambuf_iterator<char>(trace), {});
        EXPECT_NE(traced.find("Error loading file: scripts/enemy_ai.lua:1:"), std::string::npos) << traced;
    }
    content.dir.write("scripts/enemy_ai.lua", "WORD = 'first'\n" + counting);  // back as it was
    LuaScript script;
    ASSERT_TRUE(script.loadFile("scripts\\enemy_ai.lua"));
    EXPECT_EQ(answerOf(script), "first1");
}

}  // namespace
}  // namespace orv
