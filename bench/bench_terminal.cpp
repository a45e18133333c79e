// Bytes the terminal backend sends and time it takes per frame, against the
// naive way of repainting the whole screen every frame.
#include "pipe_terminal.h"
#include "platform/terminal_console.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace orv {
namespace {
using bench::PipeTerminal;

void putText(Cells& cells, int row, const std::string& text, std::uint16_t attr) {
    for (std::size_t col = 0; col < text.size() && col < kConsoleWidth; ++col)
        cells[row * kConsoleWidth + col] = {static_cast<unsigned char>(text[col]), attr};
}

std::string message(int number) {
    return "The cave lurker strikes your middle for " + std::to_string(number % 37 + 3) +
           " damage! (turn " + std::to_string(number) + ")";
}

// A screen laid out like the game's: coloured art of box lines and shades,
// a message log, a menu. `variant` changes every part of it.
Cells gameScreen(int variant) {
    Cells cells{};
    const unsigned char art[] = {0xC9, 0xCD, 0xBB, 0xBA, 0xB0, 0xB1, 0xB2, 0xDB, 0xC4, '*'};
    for (int row = 0; row < 24; ++row)
        for (int col = 0; col < kConsoleWidth; ++col) {
            int pick = (row * 7 + col * 3 + variant * 5) % 13;
            if (pick < 10)
                cells[row * kConsoleWidth + col] = {
                    art[pick], static_cast<std::uint16_t>(1 + (row + col / 8 + variant) % 15)};
        }
    putText(cells, 24, std::string(80, '='), 0x0F);
    putText(cells, 45, std::string(80, '='), 0x0F);
    for (int row = 25; row < 45; ++row) putText(cells, row, message(variant * 20 + row), 0x0F);
    const char* options[] = {"<1> Attack", "<2> Cast a spell", "<3> Use an item", "<4> Flee"};
    for (int i = 0; i < 4; ++i)
        putText(cells, 46 + i, options[(i + variant) % 4], static_cast<std::uint16_t>(0x0E));
    return cells;
}

// Bytes of a forced full repaint of `cells`, the baseline for the ratios.
double fullRepaintBytes(PipeTerminal& terminal, const Cells& cells) {
    terminal.console->writeFrame(cells);
    terminal.drain();
    terminal.console->repaint();
    return static_cast<double>(terminal.drain());
}

void report(benchmark::State& state, double bytes, double fullBytes) {
    double frames = static_cast<double>(state.iterations());
    state.counters["bytes_per_frame"] = bytes / frames;
    state.counters["full_repaint_bytes"] = fullBytes;
    state.counters["bytes_ratio_to_full_repaint"] = bytes / frames / fullBytes;
}

void BM_UnchangedFrame(benchmark::State& state) {
    PipeTerminal terminal;
    Cells screen = gameScreen(0);
    double full = fullRepaintBytes(terminal, screen);
    double bytes = 0;
    for (auto _ : state) {
        terminal.console->writeFrame(screen);
        bytes += static_cast<double>(terminal.drain());
    }
    report(state, bytes, full);
}
BENCHMARK(BM_UnchangedFrame);

void BM_OneMessageChanged(benchmark::State& state) {
    PipeTerminal terminal;
    Cells screen = gameScreen(0);
    double full = fullRepaintBytes(terminal, screen);
    double bytes = 0;
    int turn = 0;
    for (auto _ : state) {
        putText(screen, 44, std::string(80, ' '), 0x0F);
        putText(screen, 44, message(++turn), 0x0C);
        terminal.console->writeFrame(screen);
        bytes += static_cast<double>(terminal.drain());
    }
    report(state, bytes, full);
}
BENCHMARK(BM_OneMessageChanged);

// The log moves up one row and a new message comes in at the bottom.
void BM_MessageLogScrolled(benchmark::State& state) {
    PipeTerminal terminal;
    Cells screen = gameScreen(0);
    double full = fullRepaintBytes(terminal, screen);
    double bytes = 0;
    int turn = 100;
    for (auto _ : state) {
        for (int row = 25; row < 44; ++row)
            for (int col = 0; col < kConsoleWidth; ++col)
                screen[row * kConsoleWidth + col] = screen[(row + 1) * kConsoleWidth + col];
        putText(screen, 44, std::string(80, ' '), 0x0F);
        putText(screen, 44, message(++turn), 0x0F);
        terminal.console->writeFrame(screen);
        bytes += static_cast<double>(terminal.drain());
    }
    report(state, bytes, full);
}
BENCHMARK(BM_MessageLogScrolled);

void BM_NewScreen(benchmark::State& state) {
    PipeTerminal terminal;
    Cells screens[2] = {gameScreen(0), gameScreen(1)};
    double full = fullRepaintBytes(terminal, screens[0]);
    double bytes = 0;
    int shown = 0;
    for (auto _ : state) {
        shown ^= 1;
        terminal.console->writeFrame(screens[shown]);
        bytes += static_cast<double>(terminal.drain());
    }
    report(state, bytes, full);
}
BENCHMARK(BM_NewScreen);

// The naive way: every frame repainted in full.
void BM_ForcedFullRepaint(benchmark::State& state) {
    PipeTerminal terminal;
    Cells screen = gameScreen(0);
    double full = fullRepaintBytes(terminal, screen);
    double bytes = 0;
    for (auto _ : state) {
        terminal.console->repaint();
        bytes += static_cast<double>(terminal.drain());
    }
    report(state, bytes, full);
}
BENCHMARK(BM_ForcedFullRepaint);

}  // namespace
}  // namespace orv
