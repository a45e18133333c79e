// The mission screen: rewards, the results page and what it pays, Escape,
// and missions that replay frame for frame from a seed and a script of key
// presses.
#include <gtest/gtest.h>

#include <sstream>

#include "app/run.h"
#include "core/colors.h"
#include "core/dice.h"
#include "minigame/editor.h"
#include "screens/creator.h"
#include "screens/splash.h"
#include "support/test_pilot.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

std::string plain(std::string text) {
    std::erase_if(text, [](char c) { return isColorCode(static_cast<unsigned char>(c)); });
    return text;
}

TEST(MissionScreen, TheRewardsAreKeptEvenWithoutFlyingAndAZeroScoreEarnsZero) {
    test::InGameData data;
    test::TestWorld world;
    test::TestRoot root;
    Editor* editor = root.open(new Editor(&root, 1));
    world.game.screen.clearFrame();
    editor->Draw();
    world.game.screen.render();
    EXPECT_NE(world.console.frameText().find("<1> Begin the mission"), std::string::npos);
    const auto names = editor->rewardNames();
    editor->Update("0");
    EXPECT_EQ(root.subState(), nullptr);
    ASSERT_EQ(world.game.player.inventory.size(), 5u);

    const std::string page = plain(Editor::resultsPage(0, names));
    EXPECT_NE(page.find("Your score is: 0\n"), std::string::npos);
    EXPECT_NE(page.find("Experience Gained: 0\n"), std::string::npos);
    EXPECT_NE(page.find("Loot Gained: 0\n"), std::string::npos);
    EXPECT_NE(page.find("               You recieve: " + names[4]), std::string::npos);
    EXPECT_NE(plain(Editor::resultsPage(1234, names)).find("Experience Gained: 61.7\n"), std::string::npos);
}

// The number that follows `label` on the screen.
double shownAfter(const std::string& screen, const std::string& label) {
    const std::size_t at = screen.find(label);
    return at == std::string::npos ? -1 : std::stod(screen.substr(at + label.size()));
}

TEST(MissionScreen, TheResultsPagePaysWhatItShowsAndALevelUpFollows) {
    test::InGameData data;
    test::TestWorld world;
    Player& player = world.game.player;
    player.stats[Level] = 1;
    player.stats[Experience] = 19000;  // a little short of level 2
    const long long money = player.money;
    seedDice(1);
    test::TestRoot root;
    Editor* editor = root.open(new Editor(&root, 1));
    world.console.setPilot(test::TestPilot{});
    editor->Update("1");
    ASSERT_TRUE(editor->won());
    world.game.screen.clearFrame();
    editor->Draw();
    world.game.screen.render();
    const std::string page = world.console.frameText();
    const double experience = shownAfter(page, "Experience Gained: ");
    const double loot = shownAfter(page, "Loot Gained: ");
    ASSERT_GT(loot, 0) << page;
    EXPECT_FLOAT_EQ(player.stats[Experience], 19000 + experience);
    // The money powerups picked up in flight pay 50 each at level 1; the
    // rest is the page's loot.
    const long long gained = player.money - money;
    EXPECT_GE(gained, loot);
    EXPECT_EQ((gained - static_cast<long long>(loot)) % 50, 0) << gained << " gained, page says " << loot;

    editor->Update("0");  // the level-up screen takes the mission's place
    EXPECT_NE(dynamic_cast<Creator*>(root.subState()), nullptr);
}

// Plays the title's mission from `script` and returns the last frame and
// what the run left behind.
struct Replay {
    std::string frame;
    int score = 0;
    int armor = 0;
    bool quit = false;
    std::size_t unread = 0;
};

Replay replay(const std::string& script, unsigned seed) {
    test::InGameData data;
    test::TestWorld world;
    std::istringstream in(script);
    world.console.loadScript(in);
    seedDice(seed);
    int running = 1;
    runChain(world.game, new Splash(nullptr, &running), running);
    Replay result;
    result.frame = world.console.frameText();
    result.quit = world.game.quitRequested;
    result.unread = world.console.pendingInputs();
    EXPECT_FALSE(world.console.heldKeyMode());  // the terminal is given back
    return result;
}

TEST(MissionScreen, ScriptedKeysReplayFrameForFrameAndEscapeEndsTheGame) {
    const std::string script =
        "editor\n1\n#down space\n#wait 150\n#down down\n#wait 12\n#up down\n#wait 200\n#down right\n"
        "#wait 30\n#up right\n#down d\n#up d\n#wait 400\n#down escape\n0\n0\n";
    const Replay first = replay(script, 5);
    const Replay second = replay(script, 5);
    EXPECT_TRUE(first.quit);
    EXPECT_EQ(first.unread, 2u);  // nothing after Escape is read: the game has ended
    EXPECT_EQ(first.frame, second.frame);
    // The ship moved: 12 rows down and 30 columns right of its corner.
    std::istringstream rows(first.frame);
    std::string row;
    for (int y = 0; y <= 13; ++y) std::getline(rows, row);
    EXPECT_EQ(row.find('X'), 31u) << first.frame;
    const Replay other = replay(script, 6);
    EXPECT_NE(first.frame, other.frame);  // the seed matters: stars and sparks differ
}

}  // namespace
}  // namespace orv
