// Dungeon rooms.
#include "world/room.h"

namespace orv {

Room::Room(const std::string& roomName, const std::string& firstDescription, const std::string& look,
           std::unique_ptr<Monster> monster, std::unique_ptr<Item> item, const std::string& menuOption,
           const std::string& menuTrigger, bool visible)
    : descriptions_{firstDescription},
      menuOption_(menuOption),
      menuTrigger_(menuTrigger),
      lookText_(look),
      visible_(visible),
      monster_(std::move(monster)),
      item_(std::move(item)) {
    name = roomName;
}

void Room::nextDescription() {
    if (descIndex_ + 1 < descriptions_.size()) ++descIndex_;
}

void Room::clearQuestItem() {
    menuTrigger_.clear();
    menuOption_.clear();
    questEventUsed_ = true;
}

void Room::keepQuestEvent(const std::string& option, const std::string& trigger, const std::string& before) {
    questRoom_ = true;
    questOption_ = option;
    questTrigger_ = trigger;
    questTextBefore_ = before;
}

void Room::offerQuestEvent(bool current) {
    if (!questRoom_ || questEventUsed_) return;
    const bool offered = !menuTrigger_.empty();
    if (current && !offered) {
        menuOption_ = questOption_;
        menuTrigger_ = questTrigger_;
        textBefore = questTextBefore_;
    } else if (!current && offered) {
        menuOption_.clear();
        menuTrigger_.clear();
        textBefore.clear();
    }
}

}  // namespace orv
