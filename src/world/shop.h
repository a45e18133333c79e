// Every place in a town: the armor and weapon shops and the inn (goods to
// buy, sell, check and steal), the common area and the town's own special
// place; any of them can hold a quest event.
#pragma once

#include <array>
#include <string>

#include "core/state.h"
#include "items/item_list.h"
#include "world/quest_log.h"

namespace orv {

enum ShopKind : int { ArmorShop = 1, WeaponShop = 2, InnShop = 3, UniquePlace = 4, CommonArea = 5 };

class Shop : public State {
public:
    Shop(State* parent, int kind, const std::string& townName, const std::string& shopName);
    void Draw() override;
    void Update(const std::string& command) override;

    // Item `number` as the shelves show it (1-5 first shelf, 6-10 second,
    // 11-15 third), or null.
    Item* shownItem(int number, int* shelf = nullptr, int* index = nullptr) const;
    ItemList& shelf(int type) { return shelves_[type]; }
    bool sellScreen() const { return sellScreen_; }
    bool questPending() const { return !questDone_; }

    void buy(int number);
    void steal(int number);
    void sell(int number);

    const std::string& townName() const { return townName_; }
    const std::string& shopName() const { return shopName_; }
    bool questWaiting() const { return questActive_ && !questDone_; }

private:
    bool hasGoods() const { return kind_ >= ArmorShop && kind_ <= InnShop; }
    void readShopSection();
    void readQuestKeys();
    void stock();
    int promptItemNumber();
    void updateSellScreen(const std::string& command);
    void drawGoods();
    void drawSellScreen();
    void drawHeader(const std::string& title);
    void checkItem(Item* item);
    std::string description() const;
    bool mayLeave() const { return questDone_ || quorixExit_; }

    std::array<ItemList, ItemTypeCount> shelves_;
    int sellPage_ = 0;
    int kind_;
    bool quorixExit_ = false;
    bool questActive_ = false;
    bool textBeforeShown_ = false;
    bool questDone_ = true;
    bool sellScreen_ = false;
    bool prompting_ = false;
    int questRow_ = -1;
    std::string uniqueName_, uniqueArt_;
    std::string weaponDescription_, innDescription_, commonDescription_, armorDescription_, uniqueDescription_;
    std::string townName_, shopName_;
    std::string questOption_, questTrigger_, questItemName_, questItemDescription_, textBefore_, textAfter_;
    QuestStates states_{};
};

}  // namespace orv
