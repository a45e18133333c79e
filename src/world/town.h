// A planet's town, the hub of every visit: the shops, the inn, the common
// area and the town's own special place, the way down to the dungeon, the
// ship, and a panel of what the quests ask for next.
#pragma once

#include <array>
#include <string>

#include "core/state.h"
#include "world/quest_log.h"

namespace orv {

class Town : public State {
public:
    Town(State* parent, const std::string& townName);
    void Draw() override;
    void Update(const std::string& command) override;

    bool canGoDown() const { return canGoDown_; }
    bool shipAvailable() const { return shipAvailable_; }
    bool known() const { return questRow_ >= 0; }
    const std::string& planet() const { return townName_; }

private:
    struct LogEntry {
        int colour = 0;
        std::string text;
    };

    void readQuestKeys();
    void readTownBlock();
    bool hasUniquePlace() const { return !uniqueMenuOption_.empty(); }
    void openShop(int kind, const std::string& shopName, const std::string& message);

    void leaveGame();
    bool askingToLeave_ = false;  // "Leave without saving?" is on screen
    bool canGoDown_ = false;
    std::array<LogEntry, 10> log_{};
    int lookIndex_ = 0;
    int lastDescription_ = 0;
    bool shipAvailable_ = false;
    std::string townName_;
    int questRow_ = -1;
    std::string questOption_;
    std::string uniqueTrigger_, displayName_, uniqueName_, map_, uniqueMenuOption_, uniqueDescription_;
    std::array<std::string, 5> descriptions_{};
    QuestStates states_{};
};

}  // namespace orv
