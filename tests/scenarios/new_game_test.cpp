// A first visit as a new player makes it, headless with a fixed seed: the
// creation, the opening story, the ship, the first town, a shop, the
// dungeon with its rooms, a chest, a fight and field healing, and the flight
// back to town.
#include <gtest/gtest.h>

#include <map>
#include <queue>
#include <set>

#include "core/dice.h"
#include "combat/battle.h"
#include "core/text.h"
#include "items/inventory.h"
#include "screens/creator.h"
#include "screens/splash.h"
#include "support/game_driver.h"
#include "world/dungeon.h"
#include "world/dungeon_spell.h"
#include "world/quest.h"
#include "world/shop.h"
#include "world/spaceship.h"
#include "world/town.h"

namespace orv {
namespace {


struct Newcomer : test::GameDriver {
    // Fights whatever attacks until the dungeon is back.
    void winFights() {
        for (int round = 0; round < 200 && !at<Dungeon>(); ++round) {
            if (at<Battle>()) type("1");
            else type("");  // victory screen, level-up screen
            if (auto* levelUp = at<Creator>()) type(levelUp->levelsLeft() > 0 ? "1" : "0");
        }
    }
};

// The moves that lead from the player's cell to the entrance.
std::vector<std::string> pathHome(const Dungeon& dungeon) {
    const Map& map = dungeon.map();
    std::map<std::pair<int, int>, std::pair<std::pair<int, int>, std::string>> cameFrom;
    std::queue<std::pair<int, int>> todo;
    const std::pair<int, int> start{dungeon.playerX(), dungeon.playerY()};
    todo.push(start);
    cameFrom[start] = {start, ""};
    while (!todo.empty()) {
        const auto [x, y] = todo.front();
        todo.pop();
        const std::pair<std::pair<int, int>, std::string> steps[] = {
            {{x - 1, y}, "left"}, {{x + 1, y}, "right"}, {{x, y - 1}, "up"}, {{x, y + 1}, "down"}};
        for (const auto& [cell, word] : steps) {
            if (!map.roomAt(cell.first, cell.second) || cameFrom.count(cell)) continue;
            cameFrom[cell] = {{x, y}, word};
            todo.push(cell);
        }
    }
    std::vector<std::string> path;
    for (std::pair<int, int> at{0, 0}; at != start; at = cameFrom[at].first) path.insert(path.begin(), cameFrom[at].second);
    return path;
}

TEST(NewGameScenario, AFirstVisitToTheFirstPlanet) {
    Newcomer p;
    seedDice(42);
    for (const char* line : {"1", "zed", "m", "c", "bob", "f"}) p.type(line);
    std::string screen = p.type("c");
    ASSERT_NE(p.at<Quest>(), nullptr);  // the opening story
    EXPECT_NE(p.frames.str().find("Long ago, during the"), std::string::npos);
    EXPECT_NE(p.frames.str().find("BARGAIN BIN"), std::string::npos);  // the animation played
    screen = p.type("");
    ASSERT_NE(p.at<Spaceship>(), nullptr);
    EXPECT_NE(screen.find("Halcyon Dock"), std::string::npos);
    EXPECT_NE(screen.find("???????????????????"), std::string::npos);
    p.type("2");  // locked: nothing happens
    ASSERT_NE(p.at<Spaceship>(), nullptr);
    screen = p.type("1");
    if (p.at<Quest>()) screen = p.type("");  // the arrival scene, when the story has one here
    ASSERT_NE(p.at<Town>(), nullptr);
    EXPECT_NE(p.frames.str().find("You enter "), std::string::npos);
    EXPECT_NE(screen.find("HotSpots"), std::string::npos);
    EXPECT_EQ(screen.find("Unable to open"), std::string::npos);
    screen = p.type("7");
    EXPECT_EQ(screen.find("unable to open file"), std::string::npos);

    // The armor shop: buy the cheapest shield, sell it back, check a pair of boots.
    p.type("1");
    ASSERT_NE(p.at<Shop>(), nullptr);
    const int money = p.g.player.money;
    screen = p.typeThenAnswer("buy", "1");
    EXPECT_NE(screen.find("You have purchased:"), std::string::npos);
    EXPECT_LT(p.g.player.money, money);
    ASSERT_EQ(p.g.player.inventory.size(), 1u);
    p.type("2");
    EXPECT_TRUE(p.at<Shop>()->sellScreen());
    screen = p.typeThenAnswer("sell", "1");
    EXPECT_NE(screen.find("You sell the "), std::string::npos);
    EXPECT_TRUE(p.g.player.inventory.empty());
    p.type("0");
    screen = p.typeThenAnswer("check", "6");
    EXPECT_NE(screen.find("  Name    : "), std::string::npos);
    p.type("0");
    ASSERT_NE(p.at<Town>(), nullptr);

    // The claims office has work: the mine opens once it is taken.
    screen = p.type("5");
    EXPECT_NE(screen.find("You can't go down to the planet."), std::string::npos);
    p.type("claim");
    ASSERT_NE(p.at<Shop>(), nullptr);
    EXPECT_NE(p.world.console.frameText().find("Ask about work"), std::string::npos);
    p.type("0");  // a waiting event keeps the player inside
    ASSERT_NE(p.at<Shop>(), nullptr);
    p.type("+");
    ASSERT_NE(p.at<Quest>(), nullptr);
    const float experienceBeforeJob = p.g.player.stats[Experience];
    p.type("work");
    EXPECT_EQ(p.g.player.stats[Experience], experienceBeforeJob + 2000);
    EXPECT_NE(p.frames.str().find("Rats,"), std::string::npos);
    p.type("0");
    ASSERT_NE(p.at<Shop>(), nullptr);
    p.type("0");
    ASSERT_NE(p.at<Town>(), nullptr);

    // Down to the planet.
    p.g.player.effective[Attack] = p.g.player.stats[Attack] = 300;  // short fights: this walk is about the world
    screen = p.type("5");
    auto* dungeon = p.at<Dungeon>();
    ASSERT_NE(dungeon, nullptr) << screen;
    EXPECT_NE(screen.find("- Your player"), std::string::npos);
    p.type("t");
    bool lookedAround = false;
    std::set<std::pair<int, int>> visited;
    for (int step = 0; step < 40; ++step) {
        dungeon = p.at<Dungeon>();
        ASSERT_NE(dungeon, nullptr);
        const Map& map = dungeon->map();
        const int x = dungeon->playerX(), y = dungeon->playerY();
        visited.insert({x, y});
        if (map.roomAt(x, y)->item()) p.type("6");
        if (!lookedAround && map.roomAt(x + 1, y)) {
            screen = p.type("33");
            EXPECT_NE(screen.find("You look right and see"), std::string::npos);
            lookedAround = true;
        }
        // Wander: prefer rooms not yet seen.
        std::string move = "right";
        for (const auto& [dx, dy, word] : {std::tuple{1, 0, "right"}, std::tuple{0, 1, "down"}, std::tuple{-1, 0, "left"},
                                           std::tuple{0, -1, "up"}})
            if (map.roomAt(x + dx, y + dy) && !visited.count({x + dx, y + dy})) {
                move = word;
                break;
            }
        p.type(move);
        p.winFights();
    }
    EXPECT_NE(p.frames.str().find("attacks you!"), std::string::npos);
    EXPECT_NE(p.frames.str().find("has been defeated!"), std::string::npos);

    // Field healing.
    p.g.player.effective[HP] = 1;
    p.type("*");
    ASSERT_NE(p.at<DungeonSpell>(), nullptr);
    screen = p.type("1");
    EXPECT_NE(screen.find("health healed."), std::string::npos);
    EXPECT_GT(p.g.player.effective[HP], 1.0f);
    p.type("0");

    // Home to the entrance and fly back.
    for (const std::string& move : pathHome(*p.at<Dungeon>())) {
        p.type(move);
        p.winFights();
    }
    ASSERT_NE(p.at<Dungeon>(), nullptr);
    EXPECT_EQ(p.at<Dungeon>()->playerX(), 0);
    EXPECT_EQ(p.at<Dungeon>()->playerY(), 0);
    screen = p.type("4");
    ASSERT_NE(p.at<Town>(), nullptr);
    EXPECT_NE(screen.find("You enter "), std::string::npos);
    EXPECT_EQ(p.g.player.effective[HP], p.g.player.effective[MaxHP]);  // rested in town
}

}  // namespace
}  // namespace orv
