// A player hammering random commands at every screen of a new game, with a
// fixed seed: nothing crashes, nothing hangs, every frame stays whole.
#include <gtest/gtest.h>

#include <set>
#include <typeinfo>

#include "core/dice.h"
#include "combat/battle.h"
#include "screens/splash.h"
#include "world/dungeon.h"
#include "support/game_driver.h"

namespace orv {
namespace {

// Menu keys and words of every screen; moves and fights come up often.
const char* const kCommands[] = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "11", "22", "33", "55", "+", "-", ".", "*", "t", "d",
    "dd", "a", "w", "s", "look around", "claim", "", "1 1", "3 2", "buy", "sell", "check", "steal", "work",
    "remove", "e", "p", "c", "71", "f", "250", "g", "i", "fly", "1", "2", "3", "5", "d", "s", "a", "w", "1",
};

void startNewGame(test::GameDriver& d) {
    for (const char* line : {"1", "zed", "m", "c", "bob", "f", "c", "", "1", ""}) d.type(line);
}

TEST(RandomPlay, RandomCommandsNeverBreakTheGame) {
    std::set<std::string> screensSeen;
    for (unsigned seed : {7u, 99u, 2024u}) {
        test::GameDriver d;
        seedDice(seed);
        startNewGame(d);
        State* lastScreen = nullptr;
        int stepsThere = 0;
        for (int step = 0; step < 2000; ++step) {
            if (d.at<Splash>()) {
                startNewGame(d);  // back at the title: "0" there would end the game
                continue;
            }
            // A player who has had enough of a screen leaves it.
            stepsThere = d.current() == lastScreen ? stepsThere + 1 : 0;
            lastScreen = d.current();
            static const char* const kWaysOut[] = {"0", "+", "work", "0", "exit", "0", "1"};
            const char* command = stepsThere > 15 ? kWaysOut[stepsThere % std::size(kWaysOut)]
                                                  : kCommands[rollDice() % std::size(kCommands)];
            const std::string frame = d.type(command);
            screensSeen.insert(typeid(*d.current()).name());
            ASSERT_EQ(std::count(frame.begin(), frame.end(), '\n'), 53) << "seed " << seed << ", step " << step;
            ASSERT_NE(frame.find(std::string(80, '=')), std::string::npos);
        }
    }
    // The walk reached the fights, not just the menus.
    EXPECT_TRUE(screensSeen.count(typeid(Dungeon).name()));
    EXPECT_TRUE(screensSeen.count(typeid(Battle).name()));
}

}  // namespace
}  // namespace orv
