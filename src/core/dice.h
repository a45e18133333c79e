// The game's own dice. Everything random in a game — shops, loot, dungeons,
// battles, and the battle scripts' math.random — rolls these and nothing
// else does, so a seed and the typed lines replay the same game in any
// terminal, headless, with music or without (the sound library's synthesiser
// draws thousands of numbers from the C library's rand when music starts).
#pragma once

namespace orv {

// The largest number a roll can give; the same contract as rand().
constexpr int kDiceMax = 0x7fffffff;

// Start the dice again from a seed: the same seed, the same rolls.
void seedDice(unsigned seed);
// One roll, 0 … kDiceMax.
int rollDice();

}  // namespace orv
