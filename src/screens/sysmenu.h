// The system menu: music and sound-effect volumes, kept for the next game.
#pragma once

#include "core/state.h"

namespace orv {

class Audio;

// Sets the volumes the player chose in an earlier game, when they were
// kept; lines that hold no volume leave the present one as it is.
void applyKeptVolumes(Audio& audio);
// Keeps both volumes for the next game; returns what went wrong, if anything.
std::string keepVolumes(const Audio& audio);

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
