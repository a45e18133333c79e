// A thousand saves killed at random moments: how often the slot was left
// holding anything but one whole game (the answer must be never), and how
// long a crash-safe save takes.
//   build/orvantis_bench --benchmark_filter=Save
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "../tests/items/save_crash_trials.h"
#include "platform/headless_console.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for the slots, removed afterwards.
struct ScratchSaves {
    fs::path previous = fs::current_path();
    fs::path path = fs::temp_directory_path() / ("orvantis-bench-saves-" + std::to_string(::getpid()));
    ScratchSaves() {
        fs::create_directories(path);
        fs::current_path(path);
    }
    ~ScratchSaves() {
        fs::current_path(previous);
        fs::remove_all(path);
    }
};

void SaveKilledAThousandTimes(benchmark::State& state) {
    ScratchSaves scratch;
    orv::HeadlessConsole console;
    orv::Game game(console);
    const std::string first = orv::crash::distinctGame(game, "Aldra", 1234, 1);
    const std::string second = orv::crash::distinctGame(game, "Borin", 98765, 2);
    orv::crash::CrashTrials total;
    for (auto _ : state) {
        const orv::crash::CrashTrials run = orv::crash::killWhileSaving(1, first, second, 1000, std::random_device{}());
        total.trials += run.trials;
        total.failures += run.failures;
        total.finishedSaves += run.finishedSaves;
        total.found[0] += run.found[0];
        total.found[1] += run.found[1];
        if (total.firstFailure.empty()) total.firstFailure = run.firstFailure;
    }
    state.counters["trials"] = total.trials;
    state.counters["failures"] = total.failures;
    state.counters["old_game_found"] = total.found[0];
    state.counters["new_game_found"] = total.found[1];
    state.counters["saves_finished"] = static_cast<double>(total.finishedSaves);
    if (total.failures > 0) state.SkipWithError(total.firstFailure.c_str());
}
BENCHMARK(SaveKilledAThousandTimes)->Iterations(1)->Unit(benchmark::kSecond);

// One whole save of a long slot, synced to the disk, against writing the
// same text straight over the slot with no temporary file and no sync.
void SaveOneSlot(benchmark::State& state) {
    ScratchSaves scratch;
    orv::HeadlessConsole console;
    orv::Game game(console);
    const std::string text = orv::crash::distinctGame(game, "Aldra", 1234, 1);
    for (auto _ : state) benchmark::DoNotOptimize(orv::writeWholeFile(orv::slotGamePath(1), text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(SaveOneSlot)->Unit(benchmark::kMillisecond);

void SaveOneSlotUnsafely(benchmark::State& state) {
    ScratchSaves scratch;
    orv::HeadlessConsole console;
    orv::Game game(console);
    const std::string text = orv::crash::distinctGame(game, "Aldra", 1234, 1);
    fs::create_directories("saves");
    for (auto _ : state) std::ofstream("saves/1.txt", std::ios::binary | std::ios::trunc) << text;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(SaveOneSlotUnsafely)->Unit(benchmark::kMillisecond);

}  // namespace
