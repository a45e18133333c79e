// The main loop: draw the active screen, read a line, hand it over, until
// the title screen's "exit" or the end of input.
#pragma once

namespace orv {

class Game;

// Runs a whole game on `g` from the title screen; returns the exit status.
int runGame(Game& g);

}  // namespace orv
