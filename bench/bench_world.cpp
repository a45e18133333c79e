// The world as players feel it: generating a planet's dungeon when they go
// down, and walking into a shop (stocking its shelves and drawing the first
// frame).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "core/dice.h"
#include "app/game.h"
#include "data/planet_table.h"
#include "platform/headless_console.h"
#include "screens/creator.h"
#include "world/map.h"
#include "world/shop.h"

namespace {

struct World {
    orv::HeadlessConsole console;
    orv::Game game{console};
    World() {
        std::filesystem::current_path(ORVANTIS_SOURCE_DATA);
        game.player.resetGame();
        orv::applyClass(game.player, "Fighter", true);
        game.player.stats[orv::Level] = 20;
    }
};

void BM_GenerateDungeon(benchmark::State& state) {
    World world;
    const char* planet = orv::kPlanetTable[state.range(0)];
    orv::Map map(false);
    unsigned seed = 1;
    for (auto _ : state) {
        orv::seedDice(seed++);
        map.generate(planet, true);
        benchmark::DoNotOptimize(map.roomCount());
        world.game.screen.clearMessages();
    }
    state.SetLabel(planet);
}
BENCHMARK(BM_GenerateDungeon)->DenseRange(0, 10)->Unit(benchmark::kMicrosecond);

struct Root : orv::State {
    Root() : orv::State(nullptr) {}
    void Draw() override {}
    void Update(const std::string&) override {}
};

void BM_ShopVisit(benchmark::State& state) {
    World world;
    Root root;
    unsigned seed = 1;
    for (auto _ : state) {
        orv::seedDice(seed++);
        auto* shop = new orv::Shop(&root, static_cast<int>(state.range(0)), "Empyreon VI", "Armor");
        root.setSubState(shop);
        world.game.screen.clearFrame();
        root.drawCurrent();
        world.game.screen.render();
        orv::destroyChain(shop);
        root.setSubState(nullptr);
    }
}
BENCHMARK(BM_ShopVisit)->Arg(orv::ArmorShop)->Arg(orv::WeaponShop)->Arg(orv::InnShop)->Unit(benchmark::kMicrosecond);

}  // namespace
