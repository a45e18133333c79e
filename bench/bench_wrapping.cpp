// Long messages as players meet them: wrapping a message of 4, 32 and 256 KB
// (words, colour codes, glyphs and runs too long for a row) should take time
// in proportion to its length, so the bytes per second stay level across the
// sizes; the naive wrap that inserts each break into the text is measured in
// the same run for the ratio. Telling such a message through the typewriter
// stops where the message area is full, whatever the length.
#include <benchmark/benchmark.h>

#include <string>

#include "app/game.h"
#include "core/colors.h"
#include "core/screen.h"
#include "platform/headless_console.h"

namespace {

// A lesson text gone long: words of three to nine letters, every seventh
// coloured, a glyph now and then, and every fortieth word a run of 120
// letters that has to be broken inside.
std::string longMessage(std::size_t bytes) {
    std::string text;
    unsigned word = 0;
    while (text.size() < bytes) {
        ++word;
        if (word % 40 == 0) {
            text += std::string(120, 'w');
        } else {
            if (word % 7 == 0) text += orv::colorCyan;
            text.append(3 + word % 7, char('a' + word % 26));
            if (word % 11 == 0) text += '\xDB';
            if (word % 7 == 0) text += orv::colorWhite;
        }
        text += ' ';
    }
    text.resize(bytes);
    return text;
}

// The way messages used to wrap: each break inserted into the text in place,
// moving the rest of it every time.
std::string wrapInsertingBreaks(std::string text) {
    int count = 0;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            count = 0;
            lineStart = i + 1;
            continue;
        }
        if (c >= 32 && c <= 127) ++count;
        if (count <= 78) continue;
        std::size_t space = i;
        while (space > lineStart && text[space] != ' ') --space;
        if (text[space] == ' ') {
            text[space] = '\n';
            i = space;
        } else {
            text.insert(i, 1, '\n');
        }
        count = 0;
        lineStart = i + 1;
    }
    return text;
}

void BM_WrapMessage(benchmark::State& state) {
    const std::string text = longMessage(std::size_t(state.range(0)) * 1024);
    for (auto _ : state) benchmark::DoNotOptimize(orv::Screen::wrapMessage(text));
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
}
BENCHMARK(BM_WrapMessage)->Arg(4)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);

// Only the glyph-free runs make the naive wrap insert: the same text with
// its runs broken by inserts shows how that grows.
void BM_WrapMessageInsertingBreaks(benchmark::State& state) {
    const std::string text = longMessage(std::size_t(state.range(0)) * 1024);
    for (auto _ : state) benchmark::DoNotOptimize(wrapInsertingBreaks(text));
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
}
BENCHMARK(BM_WrapMessageInsertingBreaks)->Arg(4)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);

// The typewriter on the headless console (its clock is virtual, so only the
// work is timed), from the first character to the end of the wait.
void BM_NarrateLongMessage(benchmark::State& state) {
    const std::string text = longMessage(std::size_t(state.range(0)) * 1024);
    orv::HeadlessConsole console;
    orv::Game game(console);
    for (auto _ : state) game.screen.narrate(text, 30, 1.0);
}
BENCHMARK(BM_NarrateLongMessage)->Arg(4)->Arg(32)->Arg(256)->Arg(10240)->Unit(benchmark::kMillisecond);

}  // namespace
