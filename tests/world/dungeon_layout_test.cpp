// Every destination's dungeon, generated from the game's own files over
// ten thousand seeds: no crash, no endless loop, no layout problem, and
// every room reachable from the entrance.
#include <gtest/gtest.h>

#include <set>

#include "core/dice.h"
#include "data/planet_table.h"
#include "support/test_world.h"
#include "world/map.h"

namespace orv {
namespace {

using test::InGameData;
using test::TestWorld;

#ifdef ORVANTIS_SANITIZED_BUILD
constexpr unsigned kSeeds = 1000;  // the sanitized build checks memory, the plain one the sweep
#else
constexpr unsigned kSeeds = 10000;
#endif

int reachableRooms(const Map& map) {
    std::set<std::pair<int, int>> seen{{0, 0}};
    std::vector<std::pair<int, int>> todo{{0, 0}};
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        for (const auto& [nx, ny] : {std::pair{x - 1, y}, std::pair{x + 1, y}, std::pair{x, y - 1}, std::pair{x, y + 1}})
            if (map.roomAt(nx, ny) && seen.insert({nx, ny}).second) todo.push_back({nx, ny});
    }
    return static_cast<int>(seen.size());
}

TEST(DungeonLayout, EveryPlanetOverTenThousandSeeds) {
    InGameData data;
    TestWorld world;
    world.game.player.resetGame();
    world.game.player.stats[Level] = 30;
    Map map(false);
    for (const char* planet : kPlanetTable) {
        int rooms = -1;
        for (unsigned seed = 1; seed <= kSeeds; ++seed) {
            seedDice(seed);
            map.generate(planet, true);
            ASSERT_TRUE(map.layoutProblem().empty()) << planet << ", seed " << seed << ": " << map.layoutProblem();
            ASSERT_NE(map.roomAt(0, 0), nullptr) << planet;
            ASSERT_EQ(reachableRooms(map), map.roomCount()) << planet << ", seed " << seed;
            if (rooms < 0) rooms = map.roomCount();
            ASSERT_EQ(map.roomCount(), rooms) << planet << ": every room placed on every seed";
            world.game.screen.clearMessages();
        }
        map.clearRooms();
    }
}

}  // namespace
}  // namespace orv
