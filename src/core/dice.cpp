// A PCG-32 generator: small, fast, well mixed in its low bits (the game
// takes rolls modulo small numbers), and owned by the game alone.
#include "core/dice.h"

#include <cstdint>

namespace orv {

namespace {

std::uint64_t state = 0x853c49e6748fea9bULL;
constexpr std::uint64_t kIncrement = 0xda3e39cb94b95bdbULL;

std::uint32_t next() {
    const std::uint64_t old = state;
    state = old * 6364136223846793005ULL + kIncrement;
    const auto xorShifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<std::uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

}  // namespace

void seedDice(unsigned seed) {
    state = 0;
    next();
    state += seed;
    next();
}

int rollDice() { return static_cast<int>(next() >> 1); }

}  // namespace orv
