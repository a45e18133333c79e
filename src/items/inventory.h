// The inventory screen: one protagonist's statistics, their four equipment
// slots and the party's item list, 17 items a page, with use/equip, drop,
// check and remove.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "data/stat_block.h"

namespace orv {

class BattleTurns;
class Item;
class Protagonist;

constexpr int kItemsPerPage = 17;

class Inventory : public State {
public:
    // With a battle, only consumables are offered and using one is the
    // player's turn in the fight.
    Inventory(State* parent, Protagonist& who, BattleTurns* battle = nullptr);
    void Draw() override;
    void Update(const std::string& command) override;

    int page() const { return page_; }
    bool actionMenu() const { return actionMenu_; }
    const Protagonist& current() const { return *current_; }
    const StatBlock& statChanges() const { return statChanges_; }
    const ResistanceBlock& resistanceChanges() const { return resistanceChanges_; }

private:
    enum class Action { Use, Drop, Check, Remove };

    void rebuildVisible();
    std::string statisticsCell(int row) const;
    std::string rightHandText(int row) const;
    void drawOptions();

    bool run(Action action, const std::string& argument);
    bool use(const std::string& argument);
    bool drop(const std::string& argument);
    bool check(const std::string& argument);
    bool remove(const std::string& argument);
    // The index into the player's list of shown item `number`, when it is
    // on the current page; -1 otherwise.
    long shownItem(const std::string& argument) const;
    void showCheck(const Item& item);
    void useInBattle(std::unique_ptr<Item> item);
    bool inBattle() const { return battle_ != nullptr; }

    std::vector<long> visible_;
    int page_ = 0;
    bool actionMenu_ = true;
    Action pendingAction_ = Action::Use;
    StatBlock statChanges_;
    ResistanceBlock resistanceChanges_;
    Protagonist* current_;
    BattleTurns* battle_;
};

// The item check: its name, level and description, what it restores, or
// how it compares with what `wearer` has in its slot. One message.
void showItemCheck(const Item& item, const Protagonist& wearer);

// The colour an item's name is shown in: consumables magenta, equipment
// green with both affixes, yellow with one, white with none.
const std::string& itemColor(const Item& item);

}  // namespace orv
