// The load screen from the title: the three slots, and a picked one read
// back into the player, the sidekick and their things, resuming in the inn.
#pragma once

#include <string>

#include "core/state.h"

namespace orv {

class Loadscreen : public State {
public:
    explicit Loadscreen(State* parent);
    void Draw() override;
    void Update(const std::string& command) override;

    void loadSlot(const std::string& slot);
};

}  // namespace orv
