// A new player's first visit with the lessons: each one met in its place
// and followed to its end, and then the same road with every lesson
// skipped at its first step. Either way each lesson comes once a game.
#include <gtest/gtest.h>

#include <map>
#include <queue>

#include "combat/battle.h"
#include "core/dice.h"
#include "items/inventory.h"
#include "screens/creator.h"
#include "screens/sidetalk.h"
#include "support/game_driver.h"
#include "world/dungeon.h"
#include "world/quest.h"
#include "world/shop.h"
#include "world/town.h"
#include "world/tutorial.h"

namespace orv {
namespace {

// The first move on the way to the nearest room with a monster in it.
std::string towardsMonster(const Dungeon& dungeon) {
    const Map& map = dungeon.map();
    const std::pair<int, int> start{dungeon.playerX(), dungeon.playerY()};
    std::map<std::pair<int, int>, std::string> firstMove{{start, ""}};
    std::queue<std::pair<int, int>> todo;
    todo.push(start);
    while (!todo.empty()) {
        const auto [x, y] = todo.front();
        todo.pop();
        if (map.roomAt(x, y)->monster()) return firstMove[{x, y}];
        const std::pair<std::pair<int, int>, const char*> steps[] = {
            {{x - 1, y}, "left"}, {{x + 1, y}, "right"}, {{x, y - 1}, "up"}, {{x, y + 1}, "down"}};
        for (const auto& [cell, word] : steps) {
            if (!map.roomAt(cell.first, cell.second) || firstMove.count(cell)) continue;
            firstMove[cell] = firstMove[{x, y}].empty() ? word : firstMove[{x, y}];
            todo.push(cell);
        }
    }
    return "";
}

struct NewPlayer : test::GameDriver {
    // How each lesson is met: followed with the lines it asks for, or skipped.
    bool follow = true;

    NewPlayer() { skipLessons = false; }

    Tutorial* lesson() { return at<Tutorial>(); }

    // The lesson `number` is open over `Opener`; it is followed or skipped,
    // and the opener's own screen is there afterwards.
    template <typename Opener>
    void meet(int number, const std::vector<std::string>& answers) {
        Tutorial* open = lesson();
        ASSERT_NE(open, nullptr) << "lesson " << number << " did not open";
        EXPECT_EQ(open->lesson(), number);
        EXPECT_NE(dynamic_cast<Opener*>(open->parent()), nullptr);
        if (follow) {
            for (const std::string& answer : answers) {
                ASSERT_NE(lesson(), nullptr) << "lesson " << number << " ended before \"" << answer << "\"";
                EXPECT_EQ(world.console.frameText().find("Let's try that again..."), std::string::npos);
                type(answer);
            }
        } else {
            type("0");
        }
        EXPECT_EQ(lesson(), nullptr) << "lesson " << number << " still open";
        EXPECT_NE(at<Opener>(), nullptr);
    }

    void road() {
        seedDice(42);
        type("1");
        meet<Creator>(HintIntro, {"1", "zed", "f", "c", ""});
        for (const char* line : {"zed", "m", "c", "bob", "f", "c", ""}) type(line);
        type("1");
        if (at<Quest>()) type("");  // the arrival scene
        ASSERT_NE(at<Town>(), nullptr);

        type("1");
        meet<Shop>(HintShop, {"3", "1", "1", "2", ""});
        // What the lesson covered is there again: the shop's welcome.
        EXPECT_NE(world.console.frameText().find(" armor shop."), std::string::npos);
        type("0");
        type("2");  // another shop: the lesson was had
        EXPECT_NE(at<Shop>(), nullptr);
        type("0");

        type(".");
        meet<Inventory>(HintInventory, {"3", "1", "1", "4", "."});
        type("0");

        const std::string screen = type("speak");
        meet<Sidetalk>(HintSidekick, {"1", "2", "4", "1", ""});
        EXPECT_NE(world.console.frameText().find("'s mood is currently: NEUTRAL"), std::string::npos) << screen;
        type("0");
        ASSERT_NE(at<Town>(), nullptr);

        for (const char* line : {"claim", "+", "work", "0", "0"}) type(line);
        ASSERT_NE(at<Town>(), nullptr);
        g.player.effective[Attack] = g.player.stats[Attack] = 300;  // a short first fight
        type("5");
        meet<Dungeon>(HintDungeon, {"33", "3", "7", "6", "*", ""});
        // ... and the dungeon's first room.
        const std::string entrance = at<Dungeon>()->map().roomAt(0, 0)->name + ": ";
        EXPECT_NE(world.console.frameText().find(entrance), std::string::npos) << entrance;
        type("8");  // the sidekick talks about this planet now
        ASSERT_NE(at<Sidetalk>(), nullptr);
        EXPECT_FALSE(at<Sidetalk>()->responses().empty());
        type("0");

        for (int step = 0; step < 60 && at<Dungeon>(); ++step) {
            const std::string move = towardsMonster(*at<Dungeon>());
            ASSERT_FALSE(move.empty()) << "no monster left to meet";
            type(move);
        }
        meet<Battle>(HintBattle, {"1", "3", "", ""});
        for (int round = 0; round < 100 && !at<Dungeon>(); ++round) type(at<Battle>() ? "1" : "0");
        ASSERT_NE(at<Dungeon>(), nullptr);
        EXPECT_EQ(g.player.tutorialHints & 0x3Fu, 0u);  // every lesson had
    }
};

TEST(LessonsScenario, EveryLessonFollowedInItsPlace) {
    NewPlayer p;
    p.road();
    // The lessons taught with the game's own words.
    for (const char* text : {"Welcome to ORVANTIS! You play by typing", "Your first shop!", "A dungeon: a map of rooms",
                             "Your first fight!", "An inventory (the picture", "This is a sidekick (an example"})
        EXPECT_NE(p.log().find(text), std::string::npos) << text;
    EXPECT_EQ(p.log().find("Error Reading File!"), std::string::npos);
    EXPECT_EQ(p.log().find("Unable to open file"), std::string::npos);
}

TEST(LessonsScenario, EveryLessonSkippedAtItsFirstStep) {
    NewPlayer p;
    p.follow = false;
    p.road();
    // Each lesson told its first step only.
    EXPECT_NE(p.log().find("Your first shop!"), std::string::npos);
    for (const char* later : {"The shop wants to know which item.", "Looking tells you what waits next door",
                              "A monster guards its upper", "Then its number from the list", "It talks. Mostly"})
        EXPECT_EQ(p.log().find(later), std::string::npos) << later;
}

// The shop lesson shows the shelves of the shop it opens in, whichever
// kind that is, so its "1" is the shelf's 1.
TEST(LessonsScenario, TheShopLessonShowsTheShopItOpensIn) {
    NewPlayer p;
    seedDice(42);
    p.type("1");
    p.type("0");
    for (const char* line : {"zed", "f", "c", "bob", "f", "c", ""}) p.type(line);
    p.type("1");
    if (p.at<Quest>()) p.type("");
    ASSERT_NE(p.at<Town>(), nullptr);
    const std::string screen = p.type("2");
    ASSERT_NE(p.lesson(), nullptr);
    Shop* shop = dynamic_cast<Shop*>(p.lesson()->parent());
    ASSERT_NE(shop, nullptr);
    EXPECT_NE(screen.find("Weapon Shop"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Armor Shop"), std::string::npos) << screen;
    EXPECT_NE(screen.find(" 1. " + shop->shownItem(1)->name + " "), std::string::npos) << screen;
}

// A new game after playing another (a loaded one, say) is new in its
// lessons too.
TEST(LessonsScenario, ANewGameAfterAnotherStartsWithItsLesson) {
    NewPlayer p;
    p.g.player.tutorialHints = 0;  // a game where every lesson was had
    p.type("1");
    ASSERT_NE(p.lesson(), nullptr);
    EXPECT_EQ(p.lesson()->lesson(), HintIntro);
}

}  // namespace
}  // namespace orv
