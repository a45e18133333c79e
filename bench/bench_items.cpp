// Item generation: a shop's shelves (15 items of three types) and 1000
// random items, with the item files kept in memory against reopening and
// reading them for every item. Reported side by side with their ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "core/dice.h"
#include "app/game.h"
#include "items/item_files.h"
#include "items/item_list.h"
#include "platform/headless_console.h"

namespace {

using Clock = std::chrono::steady_clock;

struct World {
    orv::HeadlessConsole console;
    orv::Game game{console};
    World() { std::filesystem::current_path(ORVANTIS_SOURCE_DATA); }
};

void stockArmorShop(int level) {
    for (int type : {orv::TypeShield, orv::TypeBoots, orv::TypeHeadgear}) {
        orv::ItemList shelf(5, level, type);
        benchmark::DoNotOptimize(shelf.size());
    }
}

void thousandRandomItems() {
    for (int i = 0; i < 1000; ++i) benchmark::DoNotOptimize(orv::Item::random(i % 110 + 1));
}

// Times `work` once with each source, from the same seed.
template <typename Work>
void compareSources(benchmark::State& state, Work work) {
    World world;
    orv::DiskItemFiles disk;
    double cachedSeconds = 0, diskSeconds = 0;
    unsigned seed = 1;
    for (auto _ : state) {
        orv::seedDice(seed);
        orv::setItemFileSource(nullptr);
        auto start = Clock::now();
        work();
        cachedSeconds += std::chrono::duration<double>(Clock::now() - start).count();

        orv::seedDice(seed++);
        orv::setItemFileSource(&disk);
        start = Clock::now();
        work();
        diskSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    orv::setItemFileSource(nullptr);
    const double runs = static_cast<double>(state.iterations());
    state.counters["cached_ms"] = cachedSeconds / runs * 1e3;
    state.counters["reopened_ms"] = diskSeconds / runs * 1e3;
    state.counters["reopened_over_cached"] = cachedSeconds > 0 ? diskSeconds / cachedSeconds : 0;
}

void BM_StockArmorShop(benchmark::State& state) {
    compareSources(state, [] { stockArmorShop(30); });
}
BENCHMARK(BM_StockArmorShop)->Unit(benchmark::kMillisecond);

void BM_ThousandRandomItems(benchmark::State& state) {
    compareSources(state, thousandRandomItems);
}
BENCHMARK(BM_ThousandRandomItems)->Unit(benchmark::kMillisecond);

}  // namespace
