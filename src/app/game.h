// The objects that live for a whole run: the console, the screen, the
// input, the sound, the player and the sidekick. They are made once by the
// program (or once per test) and reached through game().
#pragma once

#include <memory>
#include <string>

#include "core/audio.h"
#include "core/command_input.h"
#include "core/screen.h"
#include "data/player.h"
#include "data/sidekick.h"
#include "platform/console.h"

namespace orv {

class Game {
public:
    explicit Game(Console& console);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    Console& console;
    CommandInput input;
    Screen screen;
    Audio audio;
    Player player;
    Sidekick sidekick;
    // The game as it was last saved or loaded, in the save format; empty
    // for a game never saved (see markGameSaved).
    std::string lastSavedGame;
    // Escape in the space shooter ends the program at once, unsaved; the
    // main loop stops as soon as the screen that saw it returns.
    bool quitRequested = false;

private:
    Game* previous_;
};

// The game being played. Making a Game makes it the current one until it
// is destroyed, so each test can build a world of its own.
Game& game();
bool hasGame();

}  // namespace orv
