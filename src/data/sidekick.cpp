// The sidekick's mood.
#include "data/sidekick.h"

#include <cmath>

#include "core/colors.h"

namespace orv {

Sidekick::Sidekick() {
    name = "Sidekick";
    description = "Your sidekick is an idiot.";
}

void Sidekick::changeMood(float delta) {
    mood += delta;
    if (mood > 99) mood = 99;
    if (mood < 0) mood = 0;
}

int Sidekick::moodLevel() const { return static_cast<int>(std::trunc(mood)) / 20; }

std::string Sidekick::moodName() const {
    switch (moodLevel()) {
        case 0: return colorRed + "ANGRY" + colorWhite;
        case 1: return colorMagenta + "SAD" + colorWhite;
        case 2: return colorYellow + "NEUTRAL" + colorWhite;
        case 3: return colorCyan + "HAPPY" + colorWhite;
        case 4: return colorGreen + "ELATED" + colorWhite;
        default: return "ERROR, WHAT THE HECK HAVE YOU DONE";
    }
}

void Sidekick::reset() {
    Protagonist::reset();
    name = "Sidekick";
    mood = 50;
    battleMode = "attack";
}

}  // namespace orv
