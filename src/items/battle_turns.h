// What the inventory needs from a battle when an item is used in a fight:
// the battle's own screen, and the turns that follow the player's action.
#pragma once

namespace orv {

class BattleTurns {
public:
    virtual ~BattleTurns() = default;
    virtual void drawBattleScreen() = 0;
    virtual void monsterTurn() = 0;
    virtual void sidekickTurn() = 0;
};

}  // namespace orv
