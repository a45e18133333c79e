// The title screen.
#include "screens/splash.h"

#include "app/game.h"
#include "core/colors.h"
#include "core/text.h"
#include "items/loadscreen.h"
#include "minigame/editor.h"
#include "screens/creator.h"
#include "screens/sysmenu.h"
#include "world/tutorial.h"

namespace orv {


Splash::Splash(State* parent, int* runningFlag) : State(parent), running_(runningFlag) {
    game().audio.playMusic("title.mid");
}

void Splash::Draw() {
    Screen& screen = game().screen;
    screen.clearMessages();
    screen.loadArt("splash.txt", false);
    screen.addMessage(colorRed + "Welcome to ORVANTIS!" + colorWhite);
    screen.addMenuOption("<1> Start a new game");
    screen.addMenuOption("<2> Load game");
    screen.addMenuOption("<0> Exit game");
    screen.addMenuOption("<-> System Menu");
}

void Splash::startNewGame() {
    Game& g = game();
    g.player.spells.clear();
    g.screen.clearMessages();
    // The new game's hints are set before creation asks for its lesson, so
    // a new game begun after playing a loaded one still opens with it.
    g.player.resetGame();
    setSubState(new Creator(this, false));
    g.player.reset();
    g.sidekick.reset();
    g.player.learnSpells(1);
    g.screen.clearMessages();
}

void Splash::Update(const std::string& command) {
    // "editor" (the space shooter's first mission) and "guide" (the lesson
    // on starting a game) are kept off the menu, for whoever looks for them.
    if (matchesAny(command, {"start new game", "sn", "s", "1"})) {
        startNewGame();
    } else if (matchesAny(command, {"load", "l", "2"})) {
        game().screen.clearMessages();
        setSubState(new Loadscreen(this));
    } else if (command == "editor") {
        setSubState(new Editor(this, 1));
    } else if (matchesAny(command, {"exit", "e", "0"})) {
        *running_ = 0;
        closeState();
    } else if (matchesAny(command, {"guide", "g", "3"})) {
        game().screen.clearFrame();
        setSubState(new Tutorial(this, HintIntro));
    } else if (command == "-") {
        game().screen.clearFrame();
        setSubState(new Sysmenu(this));
    }
}

}  // namespace orv
