// The level file reader, quirks included: the files we write rely on them.
#include <gtest/gtest.h>

#include "minigame/level_file.h"
#include "support/test_world.h"

namespace orv {
namespace {

// A level with two waves and a boss; `afterLevelBegin` is the line the
// reader never looks at, `afterFiringBegin` the one it skips.
std::string level(const std::string& afterLevelBegin, const std::string& afterFiringBegin) {
    return "LEVEL_BEGIN:1\n" + afterLevelBegin +
           "\n"
           "WAVE_BEGIN:2\n"
           "WAVE_WAIT_AFTER:30\n"
           "WAVE_TEXT:Second wave\n"
           "GROUP_BEGIN:\n"
           "GROUP_SHIP_NUMBER:3\nGROUP_SHIP_HEALTH:150\nGROUP_SHIP_LOC_X:80\nGROUP_SHIP_LOC_Y:10\n"
           "GROUP_SHIP_INTERVAL:2\nGROUP_SHIP_TYPE:2\nGROUP_SHIP_SPEED:0.25\n"
           "GROUP_END:\n"
           "START_AI:\nAI_MOVE:4\nAI_X:40\nAI_Y:12\nAI_AFTER_TIMER:100\nEND_AI:\n"
           "START_AI:\nAI_MOVE:9\nAI_X:-10\nAI_Y:12\nEND_AI:\n"
           "END_AI_SET:\n"
           "WAVE_END:\n"
           "END_ALL_WAVES:\n"
           "BOSS_BEGIN:\nREAD_BOSS_STATS:\nBOSS_TYPE:1\nBOSS_X:60\nBOSS_Y:12\nBOSS_HEALTH:4000\n"
           "BEGIN_FIRING_LOCATIONS:\n" +
           afterFiringBegin +
           "\nFIRING_X:0\nFIRING_Y:3\nFIRING_X:0\nFIRING_Y:5\nEND_FIRING_LOCATIONS:\n"
           "BEGIN_AI_SET:\nAI_MOVE:8\nAI_X:60\nAI_Y:12\nAI_SPEED:0.2\nAI_FIRE:1\nAI_FIRE_DELAY:20\n"
           "AI_FIRING_LOCATION:0\nAI_FIRING_LOCATION:1\nAI_AFTER_TIMER:200\nEND_AI:\n"
           "END_AI_SET:\nBOSS_END:\n";
}

TEST(LevelFile, WavesAndBossAreReadAsWrittenWithTheirDefaults) {
    test::ScratchDirectory dir;
    dir.write("quorix/level_1.txt", level("# the line no one reads", "# skipped"));
    MissionState state;
    state.reset(1, "Zoe");
    ASSERT_TRUE(loadWave(state, 1, 2, nullptr));
    EXPECT_EQ(state.level.waveWait, 30);
    EXPECT_EQ(state.level.waveText, "Second wave");
    EXPECT_EQ(state.liveEnemies, 3);
    // Ship i starts i intervals along the diagonal.
    EXPECT_DOUBLE_EQ(state.enemies[2].x, 84);
    EXPECT_DOUBLE_EQ(state.enemies[2].y, 14);
    EXPECT_EQ(state.enemies[1].health, 150);
    EXPECT_EQ(state.enemies[1].fire, 0);  // never given: 0
    EXPECT_EQ(state.enemies[0].stepCount, 2);
    EXPECT_EQ(state.enemies[0].steps[0].duration, 0);  // the empty step 0
    EXPECT_EQ(state.enemies[0].steps[1].move, 4);
    EXPECT_EQ(state.enemies[0].steps[2].move, 9);

    // The boss comes with the first pass, and only once.
    ASSERT_TRUE(state.level.bossRead);
    EXPECT_EQ(state.boss.health, 4000);
    EXPECT_EQ(state.boss.firingPointCount, 2);
    EXPECT_EQ(state.boss.firingY[1], 5);
    EXPECT_EQ(state.boss.stepCount, 1);
    EXPECT_EQ((std::array<int, 3>{state.boss.steps[0].firingPoints[0], state.boss.steps[0].firingPoints[1],
                                  state.boss.steps[0].firingPoints[2]}),
              (std::array<int, 3>{0, 1, -1}));
    EXPECT_EQ(state.boss.steps[0].fireDelay, 20);
    state.boss.health = 1;
    loadWave(state, 1, 2, nullptr);
    EXPECT_EQ(state.boss.health, 1);

    // Wave 1 is not in the file: missing, nothing spawned.
    EXPECT_FALSE(loadWave(state, 1, 1, nullptr));
    EXPECT_FALSE(loadWave(state, 7, 2, nullptr));
}

TEST(LevelFile, TheLinesAfterLevelBeginAndFiringBeginAreNeverRead) {
    test::ScratchDirectory dir;
    // A wave written straight after LEVEL_BEGIN: is never found.
    dir.write("quorix/level_1.txt", level("WAVE_BEGIN:1\nWAVE_WAIT_AFTER:5\nWAVE_END:", "FIRING_X:9\nFIRING_Y:9"));
    MissionState state;
    state.reset(1, "Zoe");
    EXPECT_FALSE(loadWave(state, 1, 1, nullptr));
    // The first firing point's column was on the skipped line; its row
    // completed a point with the column left at 0, and the others shifted.
    EXPECT_EQ(state.boss.firingPointCount, 3);
    EXPECT_EQ(state.boss.firingX[0], 0);
    EXPECT_EQ(state.boss.firingY[0], 9);
    EXPECT_EQ(state.boss.firingY[1], 3);
}

TEST(LevelFile, AMissingFileSaysSoAndHugeGroupsStayInTheTable) {
    test::ScratchDirectory dir;
    test::TestWorld world;
    MissionState state;
    state.reset(3, "Zoe");
    EXPECT_FALSE(loadWave(state, 3, 1, &world.game.screen));
    EXPECT_EQ(world.game.screen.messages().back(), "unable to open file\n");

    dir.write("quorix/level_3.txt",
              "LEVEL_BEGIN:3\n#\nWAVE_BEGIN:1\nWAVE_WAIT_AFTER:1\nGROUP_BEGIN:\nGROUP_SHIP_NUMBER:1000000000\n"
              "GROUP_SHIP_TYPE:10\nGROUP_END:\nEND_AI_SET:\nWAVE_END:\nEND_ALL_WAVES:\n");
    EXPECT_TRUE(loadWave(state, 3, 1, nullptr));
    EXPECT_EQ(state.liveEnemies, kEnemySlotsUsed);
    EXPECT_EQ(state.enemies[kEnemySlotsUsed].type, kShipGone);  // the last slot is never used
    EXPECT_NE(state.enemies[0].type, kShipGone);                // "gone" is no ship to spawn
}

}  // namespace
}  // namespace orv
