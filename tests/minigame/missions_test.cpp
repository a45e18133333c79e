// Every mission can be won by a simple pilot and none is won by sitting
// still: the missions are neither impossible nor free.
#include <gtest/gtest.h>

#include "core/dice.h"
#include "minigame/editor.h"
#include "support/test_pilot.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

struct Flight {
    bool won = false;
    bool lost = false;
    int score = 0;
    int frames = 0;
    int wave = 0;
    int armor = 0;
};

Flight fly(int mission, unsigned seed, bool piloted) {
    test::InGameData data;
    test::TestWorld world;
    world.game.player.stats[Level] = 1 + (mission - 1) * 9;
    seedDice(seed);
    test::TestRoot root;
    Editor* editor = root.open(new Editor(&root, mission));
    world.console.setPilot(test::TestPilot(piloted));
    editor->Update("1");
    return {editor->won(), editor->lost(), editor->score(), editor->tables().frame, editor->tables().level.wave,
            editor->tables().ship.armor};
}

TEST(Missions, ATestPilotWinsEachAndAnIdlePilotLosesEach) {
    for (int mission = 1; mission <= 8; ++mission) {
        SCOPED_TRACE("mission " + std::to_string(mission));
        bool wonOnce = false;
        for (unsigned seed = 1; seed <= 3 && !wonOnce; ++seed) {
            const Flight flight = fly(mission, seed, true);
            std::printf("mission %d seed %u: %s after %d frames, score %d, armor %d\n", mission, seed,
                        flight.won ? "won" : "lost", flight.frames, flight.score, flight.armor);
            wonOnce = flight.won;
        }
        EXPECT_TRUE(wonOnce);
        const Flight idle = fly(mission, 1, false);
        std::printf("mission %d idle: %s after %d frames, wave %d, armor %d\n", mission, idle.won ? "won" : "lost",
                    idle.frames, idle.wave, idle.armor);
        EXPECT_TRUE(idle.lost);
    }
}

}  // namespace
}  // namespace orv
