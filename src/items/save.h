// The save screen at the inn: the three slots with the hero stored in each,
// and saving the whole game into the one the player picks.
#pragma once

#include <array>
#include <string>

#include "core/state.h"

namespace orv {

class Save : public State {
public:
    Save(State* parent, const std::string& planetName);
    void Draw() override;
    void Update(const std::string& command) override;

    void saveToSlot(int slot);

private:
    std::string planetName_;
};

// The three slot lines shared by the save and load screens; true for each
// slot that holds a game.
std::array<bool, 3> addSlotLines();

// Remembers the game as it is now as saved, so leaving asks nothing until
// something changes.
void markGameSaved();
// Whether anything that a save would keep has changed since the last save,
// load or new game.
bool gameHasUnsavedChanges();

}  // namespace orv
