// The main loop: draw the active screen, read a line, hand it over, until
// the title screen's "exit" or the end of input.
#pragma once

namespace orv {

class Game;

class State;

// Runs a whole game on `g` from the title screen; returns the exit status.
int runGame(Game& g);
// The main loop over a chain that already exists (tests open screens below
// the title themselves). `running` is the flag the root's "exit" clears.
int runChain(Game& g, State* root, int& running);

}  // namespace orv
