// The space shooter against its frame budget: the time of one frame (the
// rules, the field drawn, the terminal output), the bytes a frame sends
// against a full repaint, and the CPU a mission takes with frames paced by
// sleeping against frames paced by spinning on the clock, with the spread
// of frame times.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/game.h"
#include "core/dice.h"
#include "minigame/engine.h"
#include "pipe_terminal.h"
#include "support/test_pilot.h"

namespace orv {
namespace {

constexpr int kFrameMs = 10;

// A mission flown by the test pilot on the real terminal backend, writing
// into a counted pipe, one frame at a time as the mission screen plays it.
struct MissionRig {
    bench::PipeTerminal terminal;
    Game game{*terminal.console};
    MissionState state;
    Mission mission{state, game.screen, &game.player};
    test::TestPilot pilot{true, 1L << 40};
    HeldKeys keys;

    MissionRig() {
        std::filesystem::current_path(ORVANTIS_SOURCE_DATA);
        seedDice(1);
        game.screen.clearFrame();
        mission.begin(1, "Bench");
        terminal.drain();
    }
    void frame() {
        for (const KeyEvent& key : pilot(terminal.console->readBack())) {
            if (key.key == KeySpace) keys.fire = key.down;
            else if (key.key == KeyUp) keys.up = key.down;
            else if (key.key == KeyDown) keys.down = key.down;
            else if (key.key == KeyLeft) keys.left = key.down;
            else if (key.key == KeyRight) keys.right = key.down;
            else if (key.key == 'd' && key.down) keys.bomb = true;
        }
        mission.fireWeapons(keys);
        mission.moveAndDraw(keys, FrameMode::Play);
        game.screen.writeCells();
        mission.afterFrame(false);
        if (state.won || state.lost) mission.begin(1 + (state.frame % 8), "Bench");
    }
    double fullRepaintBytes() {
        terminal.drain();
        terminal.console->repaint();
        return static_cast<double>(terminal.drain());
    }
};

// What the old way costs: every cell of every row sent each frame, with a
// cursor move per row and a colour change wherever the colour changes.
double everyCellBytes(const Cells& cells) {
    double bytes = 0;
    for (int row = 0; row < kConsoleHeight; ++row) {
        bytes += 8;  // ESC [ row ; 1 H
        std::uint16_t attr = 0xFFFF;
        for (int col = 0; col < kConsoleWidth; ++col) {
            const Cell& cell = cells[row * kConsoleWidth + col];
            if (cell.attr != attr) bytes += 10;  // ESC [ 3x ; 4x m
            attr = cell.attr;
            bytes += cell.ch >= 128 ? 3 : 1;
        }
    }
    return bytes;
}

void BM_MissionFrame(benchmark::State& state) {
    MissionRig rig;
    for (int i = 0; i < 500; ++i) rig.frame();  // into the first waves
    double full = 0, everyCell = 0, bytes = 0, workSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rig.frame();
        bytes += static_cast<double>(rig.terminal.drain());
        workSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        everyCell += everyCellBytes(rig.terminal.console->readBack());
        full += rig.fullRepaintBytes();
        state.ResumeTiming();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["bytes_per_frame"] = bytes / frames;
    state.counters["full_repaint_bytes"] = full / frames;
    state.counters["every_cell_bytes"] = everyCell / frames;
    state.counters["bytes_ratio_to_full_repaint"] = bytes / full;
    state.counters["bytes_ratio_to_every_cell"] = bytes / everyCell;
    state.counters["share_of_10ms_frame"] = workSeconds / frames / (kFrameMs / 1000.0);
}
BENCHMARK(BM_MissionFrame);

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A mission of ORVANTIS_BENCH_MISSION_SECONDS (30 by default) of real
// time. Arg 0: each frame sleeps to its deadline, as the game does. Arg 1:
// each frame spins on the clock until 10 ms have passed, the old way.
void BM_MissionPacing(benchmark::State& state) {
    const char* secondsText = std::getenv("ORVANTIS_BENCH_MISSION_SECONDS");
    const double seconds = secondsText ? std::max(1.0, std::atof(secondsText)) : 30.0;
    const bool spin = state.range(0) == 1;
    MissionRig rig;
    Console& console = *rig.terminal.console;
    std::vector<double> frameMs;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        const double cpuStart = cpuSeconds();
        std::uint64_t deadline = console.nowMs();
        auto last = start;
        while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
            const std::uint64_t frameStart = console.nowMs();
            rig.frame();
            rig.terminal.drain();
            if (spin) {  // NOLINT: the spinning is what is measured
                while (console.nowMs() - frameStart <= static_cast<std::uint64_t>(kFrameMs)) {
                }
            } else {
                deadline += kFrameMs;
                const std::uint64_t now = console.nowMs();
                if (now < deadline) console.sleepMs(static_cast<int>(deadline - now));
                else if (now > deadline + 5 * kFrameMs) deadline = now;
            }
            const auto now = Clock::now();
            frameMs.push_back(std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        }
        cpu = cpuSeconds() - cpuStart;
        wall = std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::sort(frameMs.begin(), frameMs.end());
    state.counters["cpu_share_of_one_core"] = cpu / wall;
    state.counters["frames"] = static_cast<double>(frameMs.size());
    state.counters["frame_ms_mean"] = wall * 1000 / static_cast<double>(frameMs.size());
    state.counters["frame_ms_p99"] = frameMs[frameMs.size() * 99 / 100];
}
BENCHMARK(BM_MissionPacing)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace orv
