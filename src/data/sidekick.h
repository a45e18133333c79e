// The hero's companion: a mood that decides how well it obeys, and the
// action it takes in battle.
#pragma once

#include <string>

#include "data/protagonist.h"

namespace orv {

class Sidekick : public Protagonist {
public:
    Sidekick();

    float mood = 50;
    std::string battleMode = "attack";

    void changeMood(float delta);
    int moodLevel() const;
    std::string moodName() const;

    void reset() override;

protected:
    std::string learnedSpellPrefix() const override { return name + " learned the spell -"; }
};

}  // namespace orv
