// The title screen, root of every chain of screens: new game, load, the
// system menu, the hidden guide and editor, and the way out.
#pragma once

#include "core/state.h"

namespace orv {

class Splash : public State {
public:
    Splash(State* parent, int* runningFlag);
    void Draw() override;
    void Update(const std::string& command) override;

private:
    void startNewGame();
    int* running_;
};

}  // namespace orv
