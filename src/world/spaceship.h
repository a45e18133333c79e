// The ship: the destinations of the planet list, unlocked ones by name,
// and the flight to the chosen one's town (or its arrival scene first).
#pragma once

#include <string>

#include "core/state.h"

namespace orv {

class Spaceship : public State {
public:
    // An empty planet name: boarded at the end of the opening story, with no
    // way back.
    Spaceship(State* parent, const std::string& planet);
    void Draw() override;
    void Update(const std::string& command) override;

private:
    std::string planet_;
    bool fromStory_;
};

}  // namespace orv
