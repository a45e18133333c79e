// Talking with the sidekick: paying and slapping it within its moods, the
// amounts refused, its battle orders, its faces, and what it says.
#include <gtest/gtest.h>

#include <set>

#include "core/colors.h"
#include "core/dice.h"
#include "items/inventory.h"
#include "screens/sidetalk.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

struct Talk {
    test::InGameData data;
    test::TestWorld world;
    Game& g = world.game;
    test::TestRoot root;
    Sidetalk* talk;

    explicit Talk(const std::string& planet = "") {
        g.sidekick.name = "Bob";
        g.sidekick.stats[Level] = 5;
        talk = new Sidetalk(&root, planet);
        root.setSubState(talk);
    }
    std::string type(const std::string& line) {
        root.updateCurrent(line);
        g.screen.clearFrame();
        root.drawCurrent();
        g.screen.render();
        return world.console.frameText();
    }
    std::string newest() const { return g.screen.messages().empty() ? "" : g.screen.messages().front(); }
};

TEST(Sidetalk, MoneyCheersTheSidekickUpByItsLevelAndBadAmountsAreRefused) {
    Talk t;
    t.type("2");
    EXPECT_EQ(t.talk->mode(), Sidetalk::WaitingForMoney);
    std::string screen = t.type("50");  // 50 / level 5
    EXPECT_FLOAT_EQ(t.g.sidekick.mood, 60);
    EXPECT_EQ(t.g.player.money, 250);
    EXPECT_EQ(t.newest(), "Bob became happier!\n");
    EXPECT_NE(screen.find("<1> Chat"), std::string::npos);

    t.type("u");
    t.type("-5");
    EXPECT_EQ(t.newest(), "Invalid amount.\n");
    EXPECT_EQ(t.talk->mode(), Sidetalk::WaitingForMoney);
    t.type("251");
    EXPECT_EQ(t.newest(), "You don't have that much money.\n");
    EXPECT_EQ(t.g.player.money, 250);
    EXPECT_EQ(t.talk->mode(), Sidetalk::WaitingForMoney);
    // Nothing given, typed as "0" or as a word, still pleases the sidekick,
    // and goes back to the menu.
    for (const char* nothing : {"0", "lots"}) {
        if (t.talk->mode() != Sidetalk::WaitingForMoney) t.type("2");
        t.g.screen.clearMessages();
        t.type(nothing);
        EXPECT_EQ(t.talk->mode(), Sidetalk::MainMenu) << nothing;
        EXPECT_EQ(t.newest(), "Bob became happier!\n") << nothing;
        EXPECT_FLOAT_EQ(t.g.sidekick.mood, 60);
        EXPECT_EQ(t.g.player.money, 250);
    }
    // The fraction goes before the purse is asked: "250.5" pays 250.
    t.type("2");
    t.type("250.5");
    EXPECT_EQ(t.newest(), "Bob became happier!\n");
    EXPECT_EQ(t.g.player.money, 0);
    EXPECT_FLOAT_EQ(t.g.sidekick.mood, 99);
    t.g.sidekick.mood = 60;

    // A fortune still stops at 99.
    t.g.player.money = 100000;
    t.type("2");
    t.type("100000");
    EXPECT_FLOAT_EQ(t.g.sidekick.mood, 99);
    EXPECT_NE(t.type("").find("ELATED"), std::string::npos);

    // A sidekick below level 1 (a hand-edited save) is paid as level 1.
    t.g.sidekick.stats[Level] = 0;
    t.g.sidekick.mood = 10;
    t.g.player.money = 5;
    t.type("2");
    t.type("5");
    EXPECT_FLOAT_EQ(t.g.sidekick.mood, 15);
}

TEST(Sidetalk, SlapsTakeTheMoodDownToZeroAndNoFurther) {
    Talk t;
    for (int i = 0; i < 5; ++i) t.type("3");
    EXPECT_FLOAT_EQ(t.g.sidekick.mood, 0);
    EXPECT_EQ(t.newest(), colorRed + "*SLAP*" + colorWhite + " -- You slap Bob! Ouch!\n");
    for (int i = 0; i < 5; ++i) t.type("d");
    EXPECT_FLOAT_EQ(t.g.sidekick.mood, 0);
    const std::string screen = t.type("");
    EXPECT_NE(screen.find("Bob's mood is currently: ANGRY"), std::string::npos);
    EXPECT_NE(screen.find("Angry"), std::string::npos);  // the face's own name beside it
}

TEST(Sidetalk, OrdersForBattleAndTheWayOut) {
    Talk t;
    std::string screen = t.type("4");
    EXPECT_NE(screen.find("<6> Ether Magic"), std::string::npos);
    t.type("7");  // no such order: still choosing
    EXPECT_EQ(t.talk->mode(), Sidetalk::ChoosingBattleMode);
    t.type("3");
    EXPECT_EQ(t.g.sidekick.battleMode, "ice magic");
    EXPECT_EQ(t.newest(), colorRed + "Script selected: " + colorWhite + "ice magic\n");
    t.type(".");
    auto* inventory = dynamic_cast<Inventory*>(t.root.current());
    ASSERT_NE(inventory, nullptr);
    EXPECT_EQ(&inventory->current(), &t.g.sidekick);
    t.type("0");
    t.type("stop");
    EXPECT_EQ(t.root.subState(), nullptr);
}

// Every line of the file may be said, the empty ones too (the sidekick
// then says nothing after its name); a file ending in a line break ends
// with one more, empty line.
TEST(Sidetalk, ChatPicksAnyLineOfThePlanetTheEmptyLastOneIncluded) {
    test::InGameData data;
    test::ScratchDirectory dir;
    dir.write("sidekick/Guelf.txt", "Only this.\n\n");
    test::TestWorld world;
    world.game.sidekick.name = "Bob";
    test::TestRoot root;
    auto* talk = new Sidetalk(&root, "Guelf");
    root.setSubState(talk);
    EXPECT_EQ(talk->responses(), (std::vector<std::string>{"Only this.", "", ""}));
    // The faces are missing here: each says so, and the screen still draws.
    EXPECT_EQ(world.game.screen.messages().back(), "Unable to open file \"art\\sidekick\\angry.txt\".\n");
    world.game.screen.clearFrame();
    root.drawCurrent();
    seedDice(3);
    std::set<std::string> said;
    for (int i = 0; i < 30; ++i) {
        root.updateCurrent("c");
        said.insert(world.game.screen.messages().front());
    }
    EXPECT_EQ(said, (std::set<std::string>{colorYellow + "Bob: " + colorWhite + "Only this.\n",
                                           colorYellow + "Bob: " + colorWhite + "\n"}));
}

}  // namespace
}  // namespace orv
