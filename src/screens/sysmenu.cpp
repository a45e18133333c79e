// The system menu.
#include "screens/sysmenu.h"

#include "app/game.h"
#include "core/text.h"

namespace orv {

Sysmenu::Sysmenu(State* parent) : State(parent) { game().screen.clearMessages(); }

void Sysmenu::Draw() {
    Game& g = game();
    g.screen.addArtLine("Music Volume: " + toText(g.audio.getMusicVolume()));
    g.screen.addArtLine("Sound Effect Volume: " + toText(g.audio.getEffectVolume()));
    if (mode_ != ShowingMenu) return;
    g.screen.addMenuOption("<1> Set Music Volume");
    g.screen.addMenuOption("<2> Set Sound Effect Volume");
    g.screen.addMenuOption("<0> Exit");
}

void Sysmenu::Update(const std::string& command) {
    Game& g = game();
    switch (mode_) {
        case ShowingMenu:
            if (command == "0") {
                closeState();
            } else if (command == "1") {
                g.screen.clearMessages();
                mode_ = WaitingForMusicVolume;
                g.screen.addMessage("Enter music volume (0 - 100).");
            } else if (command == "2") {
                g.screen.clearMessages();
                mode_ = WaitingForEffectVolume;
                g.screen.addMessage("Enter sound volume (0 - 100).");
            }
            break;
        // Any line is a volume here, "0" included, and a word reads as the
        // number 0 like it does everywhere else. The question is answered, so
        // it goes with the answer instead of lingering over the menu.
        case WaitingForMusicVolume:
            g.audio.setMusicVolume(toNumber(command));
            g.screen.clearMessages();
            mode_ = ShowingMenu;
            break;
        case WaitingForEffectVolume:
            g.audio.setEffectVolume(toNumber(command));
            g.screen.clearMessages();
            mode_ = ShowingMenu;
            break;
    }
}

}  // namespace orv
