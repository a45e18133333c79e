// The cost of one fight of the balance simulation: an ordinary fight and a
// boss fight played quietly, against the same fight told with narration, and
// what opening a battle alone costs (its two script states are made and
// their files run afresh for every fight).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "app/game.h"
#include "balance_fight.h"
#include "combat/battle.h"
#include "core/state.h"
#include "platform/headless_console.h"

namespace {

struct Root : orv::State {
    Root() : orv::State(nullptr) {}
    ~Root() override { orv::destroyChain(subState()); }
    void Draw() override {}
    void Update(const std::string&) override {}
};

struct World {
    orv::HeadlessConsole console;
    orv::Game game{console};
    orv::balance::Simulator sim{game};
    explicit World(bool quiet) {
        std::filesystem::current_path(ORVANTIS_SOURCE_DATA);
        game.audio.init(false);
        game.screen.setQuiet(quiet);
        // The second destination: a Fighter and a Mage sidekick of level 8.
        sim.buildParty({0, 1, 8, 1, 2000, 7});
    }
};

void fights(benchmark::State& state, bool quiet, bool boss) {
    World world(quiet);
    std::vector<orv::Monster> monsters;
    if (boss) monsters.push_back(world.sim.boss("Captain Hoarfrost", 12).monster);
    else
        for (auto& opponent : world.sim.planetMonsters("Empyreon VIII", 8)) monsters.push_back(opponent.monster);
    unsigned seed = 1;
    long rounds = 0;
    for (auto _ : state) {
        const auto result = world.sim.fight(monsters[seed % monsters.size()], seed, true);
        rounds += result.rounds;
        ++seed;
    }
    state.counters["turns_per_fight"] = static_cast<double>(rounds) / static_cast<double>(state.iterations());
}

void BM_OrdinaryFightQuiet(benchmark::State& state) { fights(state, true, false); }
void BM_OrdinaryFightNarrated(benchmark::State& state) { fights(state, false, false); }
void BM_BossFightQuiet(benchmark::State& state) { fights(state, true, true); }

void BM_OpenBattleOnly(benchmark::State& state) {
    World world(true);
    const orv::Monster monster = world.sim.planetMonsters("Empyreon VIII", 8).front().monster;
    for (auto _ : state) {
        Root root;
        root.setSubState(new orv::Battle(&root, std::make_unique<orv::Monster>(monster)));
    }
}

BENCHMARK(BM_OrdinaryFightQuiet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BossFightQuiet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OrdinaryFightNarrated)->Unit(benchmark::kMicrosecond)->Iterations(50);
BENCHMARK(BM_OpenBattleOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
