// One room of a dungeon: its texts, the chest and the monster it may hold,
// and the quest event that may wait in it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "combat/monster.h"
#include "data/entity.h"
#include "items/item.h"

namespace orv {

class Room : public Entity {
public:
    Room(const std::string& roomName, const std::string& firstDescription, const std::string& look,
         std::unique_ptr<Monster> monster, std::unique_ptr<Item> item, const std::string& menuOption,
         const std::string& menuTrigger, bool visible);

    void addDescription(const std::string& text) { descriptions_.push_back(text); }
    const std::string& currentDescription() const { return descriptions_[descIndex_]; }
    void nextDescription();
    void resetDescription() { descIndex_ = 0; }
    std::size_t descriptionCount() const { return descriptions_.size(); }

    Item* item() const { return item_.get(); }
    Monster* monster() const { return monster_.get(); }
    std::unique_ptr<Item> takeItem() { return std::move(item_); }
    // The battle takes the monster; the room is empty of it from now on.
    std::unique_ptr<Monster> releaseMonster() { return std::move(monster_); }

    const std::string& menuOption() const { return menuOption_; }
    const std::string& menuTrigger() const { return menuTrigger_; }
    const std::string& lookText() const { return lookText_; }
    void clearQuestItem();

    // A quest room keeps its event's option, trigger and opening text, so a
    // state that becomes current while the party is down here can be
    // offered at once; a room whose event was used waits for the next trip.
    void keepQuestEvent(const std::string& option, const std::string& trigger, const std::string& before);
    void offerQuestEvent(bool current);

    std::string textBefore;

    void reveal() { visible_ = true; }
    bool isVisible() const { return visible_; }

private:
    std::vector<std::string> descriptions_;
    std::string menuOption_;
    std::string menuTrigger_;
    std::string lookText_;
    bool questRoom_ = false, questEventUsed_ = false;
    std::string questOption_, questTrigger_, questTextBefore_;
    bool visible_;
    std::unique_ptr<Monster> monster_;
    std::unique_ptr<Item> item_;
    std::size_t descIndex_ = 0;
};

}  // namespace orv
