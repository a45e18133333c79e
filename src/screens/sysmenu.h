// The system menu: music and sound-effect volumes.
#pragma once

#include "core/state.h"

namespace orv {

class Sysmenu : public State {
public:
    explicit Sysmenu(State* parent);
    void Draw() override;
    void Update(const std::string& command) override;

private:
    enum Mode { WaitingForMusicVolume = 0, WaitingForEffectVolume = 1, ShowingMenu = 2 };
    Mode mode_ = ShowingMenu;
};

}  // namespace orv
