// The run's shared objects.
#include "app/game.h"

#include <cstdlib>

namespace orv {

namespace {
Game* currentGame = nullptr;
}

Game::Game(Console& gameConsole)
    : console(gameConsole), input(gameConsole), screen(gameConsole, input), audio(gameConsole),
      previous_(currentGame) {
    sidekick.setItemKeeper(&player);
    currentGame = this;
}

Game::~Game() { currentGame = previous_; }

Game& game() {
    if (!currentGame) std::abort();  // a programming error: nothing is running
    return *currentGame;
}

bool hasGame() { return currentGame != nullptr; }

}  // namespace orv
