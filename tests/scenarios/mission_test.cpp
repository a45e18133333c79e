// The first planet's story reaches its space battle: a new game, the first
// job done, Kettle's window, the mission flown by the test pilot, and the
// quest's reward after it, back in the claims office. And a mission flown
// after another shows nothing of the screen before it.
#include <gtest/gtest.h>

#include "core/dice.h"
#include "data/planet_table.h"
#include "minigame/editor.h"
#include "support/game_driver.h"
#include "support/test_pilot.h"
#include "world/quest.h"
#include "world/shop.h"
#include "world/town.h"

namespace orv {
namespace {

TEST(MissionScenario, TheFirstPlanetsMissionIsFlownAndRewarded) {
    test::GameDriver p;
    seedDice(11);
    for (const char* line : {"1", "zed", "m", "c", "bob", "f", "c", "", "1"}) p.type(line);
    if (p.at<Quest>()) p.type("");  // the arrival scene
    ASSERT_NE(p.at<Town>(), nullptr);
    // The first job is walked elsewhere; here it is done: the work taken,
    // the queen fought, the pay collected.
    const int row = questTableIndex("Empyreon VI");
    for (int state = 1; state <= 4; ++state) p.g.player.questProgress[row][1][state] = 2;

    p.type("claim");
    ASSERT_NE(p.at<Shop>(), nullptr);
    EXPECT_NE(p.world.console.frameText().find("Run for the ship"), std::string::npos);
    p.type("+");
    ASSERT_NE(p.at<Quest>(), nullptr);
    p.world.console.setPilot(test::TestPilot{});
    std::string screen = p.type("run");
    auto* mission = p.at<Editor>();
    ASSERT_NE(mission, nullptr);
    EXPECT_NE(screen.find("<1> Begin the mission"), std::string::npos);
    const std::size_t itemsBefore = p.g.player.inventory.size();
    EXPECT_GE(itemsBefore, 5u);  // the mission's five rewards are already in the pack
    screen = p.type("1");
    ASSERT_TRUE(mission->won());
    EXPECT_NE(screen.find("All enemies have been defeated!"), std::string::npos);
    EXPECT_NE(p.log().find("Kettle here. Scouts over the dock!"), std::string::npos);  // on the radio, typed out

    const float experience = p.g.player.stats[Experience];
    screen = p.type("0");
    ASSERT_NE(p.at<Quest>(), nullptr);
    EXPECT_NE(p.log().find("star chart"), std::string::npos);
    EXPECT_NE(p.log().find("You can now go to Empyreon VIII"), std::string::npos);
    EXPECT_GE(p.g.player.stats[Experience], experience + 2000);
    bool unlocked = false;
    for (const PlanetEntry& planet : p.g.player.planets) unlocked |= planet.orbited == "Empyreon VIII" && planet.unlocked;
    EXPECT_TRUE(unlocked);
    p.type("0");
    ASSERT_NE(p.at<Shop>(), nullptr);
    p.type("0");
    ASSERT_NE(p.at<Town>(), nullptr);
    EXPECT_NE(p.world.console.frameText().find("Owed a favour"), std::string::npos);
}

// A lost mission, "0", the title's practice mission again: the failure
// page's option and dividers must not stand under the new field.
TEST(MissionScenario, AMissionShowsNothingOfTheScreenBeforeIt) {
    test::GameDriver p;
    seedDice(3);
    int framesWithLeftovers = 0, missionFrames = 0;
    p.world.console.setPilot([&](const Cells& cells) {
        // The field's frames, known by their status line (the blank frame
        // drawn as the mission starts is the ordinary screen's).
        std::string statusRow;
        for (int x = 5; x < 12; ++x) statusRow += static_cast<char>(cells[43 * kConsoleWidth + x].ch);
        if (statusRow != "Weapon:") return std::vector<KeyEvent>{};
        ++missionFrames;
        bool leftover = false;
        for (int y = 45; y < kConsoleHeight; ++y)
            for (int x = 0; x < kConsoleWidth; ++x) {
                const unsigned char ch = cells[y * kConsoleWidth + x].ch;
                leftover |= ch != ' ' && ch != 0;
            }
        framesWithLeftovers += leftover;
        return std::vector<KeyEvent>{};  // sits still until the ship is lost
    });
    p.type("editor");
    p.type("1");
    ASSERT_NE(p.at<Editor>(), nullptr);
    ASSERT_TRUE(p.at<Editor>()->lost());
    EXPECT_NE(p.world.console.frameText().find("<0> Exit"), std::string::npos);
    p.type("0");
    p.type("editor");
    p.type("1");
    ASSERT_TRUE(p.at<Editor>()->lost());
    EXPECT_GT(missionFrames, 200);
    EXPECT_EQ(framesWithLeftovers, 0);
}

}  // namespace
}  // namespace orv
