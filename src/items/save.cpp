// The save screen.
#include "items/save.h"

#include "app/game.h"
#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"
#include "items/save_file.h"
#include "items/slot_file.h"

namespace orv {

namespace {

// Where an unsaved game is compared against its last save: the same text
// the slot would hold, with the resume place left out (it is not progress).
std::string progressText() { return saveText(game(), ""); }

}  // namespace

std::array<bool, 3> addSlotLines() {
    std::array<bool, 3> filled{};
    for (int slot = 1; slot <= kSaveSlots; ++slot) {
        const std::string label = colorRed + "Slot " + toText(slot) + ": ";
        // A folder, a pipe or a link in a slot's place is named, not read,
        // and never hides a game in another slot.
        if (const SlotInput file(dataPath(slotGamePath(slot))); file.kind() == SlotInput::Kind::Unreadable) {
            game().screen.addArtLine(label + colorCyan + "UNREADABLE" + colorWhite + " - this slot " + file.problem() +
                                     "\n");
            continue;
        }
        const std::string header = slotHeader(slotGamePath(slot));
        filled[slot - 1] = !header.empty();
        if (header.empty()) game().screen.addArtLine(label + colorCyan + "EMPTY SLOT\n" + colorWhite);
        else game().screen.addArtLine(label + colorYellow + header + "\n" + colorWhite);
    }
    return filled;
}

void markGameSaved() { game().lastSavedGame = progressText(); }

bool gameHasUnsavedChanges() { return progressText() != game().lastSavedGame; }

Save::Save(State* parent, const std::string& planetName) : State(parent), planetName_(planetName) {}

void Save::Draw() {
    addSlotLines();
    Screen& screen = game().screen;
    for (int slot = 1; slot <= kSaveSlots; ++slot)
        screen.addMenuOption("<" + toText(slot) + "> Save in slot " + toText(slot));
    screen.addMenuOption("<0> Leave");
}

void Save::Update(const std::string& command) {
    if (matchesAny(command, {"1", "2", "3"})) saveToSlot(command[0] - '0');
    else if (matchesAny(command, {"0", "l", "leave"})) closeState();
}

void Save::saveToSlot(int slot) {
    Game& g = game();
    const std::string path = slotGamePath(slot);
    bool opened = false;
    const std::string problem = writeWholeFile(path, saveText(g, planetName_), opened);
    if (!problem.empty()) {
        // Never "saved" when it was not: the old slot is still there. A slot
        // that cannot be opened says so first, in the game's own words.
        const std::string opening = opened ? "" : "failed to open " + path + ". ";
        g.screen.addMessage(opening + colorRed + "The game was NOT saved in slot " + toText(slot) + colorWhite + " (" +
                            problem + "). What slot " + toText(slot) + " held before is untouched.");
        return;
    }
    markGameSaved();
    g.screen.addMessage(colorCyan + "Game saved in slot " + colorRed + toText(slot) + colorWhite);
}

}  // namespace orv
