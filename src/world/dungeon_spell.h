// Healing outside battles: three fixed healing spells for MP.
#pragma once

#include "core/state.h"

namespace orv {

class DungeonSpell : public State {
public:
    explicit DungeonSpell(State* parent);
    void Draw() override;
    void Update(const std::string& command) override;
};

}  // namespace orv
