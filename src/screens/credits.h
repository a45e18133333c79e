// The ending: the hero's final sheet, the thanks and the credits told page
// by page, then the choice of seeing them again or playing on.
#pragma once

#include <string>

#include "core/state.h"

namespace orv {

class Credits : public State {
public:
    explicit Credits(State* parent) : State(parent) {}
    void Draw() override;
    void Update(const std::string& command) override;

    static const char* const kDisclaimer;
};

}  // namespace orv
