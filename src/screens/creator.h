// Character creation and the level-up screen. In creation mode it names and
// classes the hero (or spends 20 custom points), then the sidekick; in
// level-up mode the player spends each gained level on one of five
// improvements while the sidekick grows by its class.
#pragma once

#include <string>

#include "core/state.h"

namespace orv {

class Protagonist;

class Creator : public State {
public:
    Creator(State* parent, bool levelUpMode);
    void Draw() override;
    void Update(const std::string& command) override;

    int levelsLeft() const { return levelsLeft_; }
    int choicesLeft() const { return choicesLeft_; }

private:
    void updatePlayerPhase(const std::string& command);
    void updateSidekickPhase(const std::string& command);
    bool takeName(const std::string& line, Protagonist& who);
    void spendLevel(const std::string& command);
    void spendCustomPoint(const std::string& command);
    void startSidekick();

    void drawClassOptions(bool forPlayer);
    void drawPointOptions(bool numberedKeys);

    bool levelUpMode_;
    bool customActive_ = false;
    bool playerNamed_ = false;
    bool playerClassChosen_ = false;
    bool awaitingName_ = false;
    bool playerPhase_ = true;
    bool sidekickPhase_ = false;
    bool sidekickNamed_ = false;
    bool sidekickClassChosen_ = false;
    int choicesLeft_ = 0;
    int levelsLeft_ = 0;
};

// The base build a class gives (the player's or the sidekick's table).
// Returns false for an unknown class name.
bool applyClass(Protagonist& who, const std::string& className, bool forPlayer);

}  // namespace orv
