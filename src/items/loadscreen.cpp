// The load screen.
#include "items/loadscreen.h"

#include "app/game.h"
#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"
#include "items/save.h"
#include "items/save_file.h"
#include "items/slot_file.h"
#include "world/shop.h"
#include "world/town.h"

namespace orv {

Loadscreen::Loadscreen(State* parent) : State(parent) {}

void Loadscreen::Draw() {
    const std::array<bool, 3> filled = addSlotLines();
    Screen& screen = game().screen;
    for (int slot = 1; slot <= kSaveSlots; ++slot)
        if (filled[slot - 1]) screen.addMenuOption("<" + toText(slot) + "> Load Game " + toText(slot));
    screen.addMenuOption("<0> Exit");
}

void Loadscreen::Update(const std::string& command) {
    if (matchesAny(command, {"0", "e", "exit"})) closeState();
    else if (matchesAny(command, {"1", "2", "3"})) loadSlot(command);
}

void Loadscreen::loadSlot(const std::string& slot) {
    Game& g = game();
    SlotInput file(dataPath("saves\\" + slot + ".txt"));
    // What is no saved game loads nothing, and the game in hand stays as it is.
    if (file.kind() == SlotInput::Kind::Unreadable) {
        g.screen.addMessage(colorRed + "Slot " + slot + " cannot be loaded: it " + file.problem() + "." + colorWhite);
        return;
    }
    resetForLoad(g);
    if (file.kind() == SlotInput::Kind::Missing || file.peek() == std::istream::traits_type::eof()) return;
    const SaveReadResult read = readSave(file, g);

    // A slot naming a place with no town (edited, or from a modded game)
    // must not strand the player: the first destination's inn takes them in.
    std::string planet = read.planet;
    std::string strandedNote;
    if (questTableIndex(planet) < 0 && !g.player.planets.empty()) {
        strandedNote = colorRed + "The save names no town at \"" + planet + "\"; you wake up at the inn of " +
                       g.player.planets.front().orbited + " instead." + colorWhite;
        planet = g.player.planets.front().orbited;
    }
    auto* town = new Town(this, planet);
    setSubState(town);
    // A scene the town starts on arrival comes first; otherwise the inn.
    if (!town->subState()) town->setSubState(new Shop(town, InnShop, planet, "Inn"));
    g.player.learnSpells(static_cast<int>(g.player.stats[Level]));
    g.sidekick.learnSpells(static_cast<int>(g.sidekick.stats[Level]));
    g.screen.clearMessages();
    if (!strandedNote.empty()) g.screen.addMessage(strandedNote);
    g.screen.addMessage(colorYellow + "Game loaded." + colorWhite);
    markGameSaved();
    closeState();
}

}  // namespace orv
