// The inventory screen.
#include "items/inventory.h"

#include <cmath>
#include <sstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/text.h"
#include "items/battle_turns.h"
#include "items/item.h"
#include "items/stat_rows.h"
#include "world/tutorial.h"

namespace orv {

namespace {

constexpr std::size_t kCellWidth = 17;
constexpr std::size_t kCheckCellWidth = 16;
constexpr int kArtRowsShown = 24;
constexpr int kFirstItemRow = 7;

const char* const kSlotHeaders[] = {"         EQUIPPED", " Boots  :", " Shield :", " Visor  :", " Weapon :", " "};

// The whole-number value of a typed argument: 0 when it is not a number.
long wholeArgument(const std::string& argument) {
    const float value = toNumber(argument);
    if (!std::isfinite(value) || std::fabs(value) > 1e9f) return 0;
    return static_cast<long>(value);
}

int slotFromWord(const std::string& word) {
    if (matchesAny(word, {"1", "boots"})) return 0;
    if (matchesAny(word, {"2", "shield"})) return 1;
    if (matchesAny(word, {"3", "visor"})) return 2;
    if (matchesAny(word, {"4", "weapon"})) return 3;
    return -1;
}

int slotForType(int type) { return type <= TypeHeadgear ? type : 3; }

std::string wrapDescription(std::string text) {
    std::size_t threshold = 60;
    while (threshold < text.size()) {
        const std::size_t blank = text.find(' ', threshold);
        if (blank == std::string::npos) break;
        text.replace(blank, 1, "\n" + std::string(14, ' '));
        threshold += 75;
    }
    return text;
}

}  // namespace

const std::string& itemColor(const Item& item) {
    if (item.isConsumable()) return colorMagenta;
    if (item.hasPrefix && item.hasSuffix) return colorGreen;
    if (item.hasPrefix || item.hasSuffix) return colorYellow;
    return colorWhite;
}

Inventory::Inventory(State* parent, Protagonist& who, BattleTurns* battle)
    : State(parent), current_(&who), battle_(battle) {
    ItemList& items = game().player.inventory;
    items.sortByLevel();
    items.sortByType();
    Tutorial::offer(this, HintInventory);
}

void Inventory::rebuildVisible() {
    visible_.clear();
    const ItemList& items = game().player.inventory;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!inBattle() || items.at(static_cast<long>(i))->isConsumable()) visible_.push_back(static_cast<long>(i));
}

std::string Inventory::statisticsCell(int row) const {
    return statRow(row, *current_, current_->effective, current_->effectiveResistances, RowSubject::Protagonist,
                   statChanges_, resistanceChanges_, kCellWidth) +
           "||";
}

std::string Inventory::rightHandText(int row) const {
    if (row <= 5) {
        std::string text = std::string(" ") + kSlotHeaders[row];
        if (row >= 1 && row <= 4) {
            if (const Item* item = current_->equipped(row - 1))
                text += itemColor(*item) + item->name.substr(0, 48) + colorWhite;
        }
        return text;
    }
    if (row == 6) return std::string(61, '=');
    const long i = row - kFirstItemRow + page_;
    if (i >= static_cast<long>(visible_.size())) return "";
    const Item* item = game().player.inventory.at(visible_[i]);
    std::ostringstream number;
    number.width(3);
    number << i + 1;
    return number.str() + ". " + itemColor(*item) + item->name.substr(0, 53) + colorWhite;
}

void Inventory::Draw() {
    rebuildVisible();
    Screen& screen = game().screen;
    for (int row = 0; row < kArtRowsShown; ++row) screen.addArtLine(statisticsCell(row) + rightHandText(row));
    drawOptions();
}

void Inventory::drawOptions() {
    Game& g = game();
    Screen& screen = g.screen;
    if (actionMenu_ && inBattle()) {
        screen.addMenuOption("<1> Use/Equip");
        screen.addMenuOption("<3> Check");
    } else if (actionMenu_) {
        if (!g.player.inventory.empty()) {
            screen.addMenuOption("<1> Use/Equip");
            screen.addMenuOption("<2> Drop");
            screen.addMenuOption("<3> Check");
        }
        screen.addMenuOption("<4> Remove");
    } else if (pendingAction_ == Action::Remove) {
        screen.addMenuOption("<1> Boots");
        screen.addMenuOption("<2> Shield");
        screen.addMenuOption("<3> Visor");
        screen.addMenuOption("<4> Weapon");
    } else {
        screen.addMenuOption("<#> Item Number");
    }
    const bool showingPlayer = current_ == &g.player;
    const Protagonist& other = showingPlayer ? static_cast<const Protagonist&>(g.sidekick) : g.player;
    if (!inBattle()) screen.addMenuOption("<.> " + other.name + "'s Inventory");
    else if (showingPlayer || g.sidekick.effective[HP] > 0) screen.addMenuOption("<.> Use Item on " + other.name);
    if (page_ > 0) screen.addMenuOption("<-> Previous Page");
    if (page_ + kItemsPerPage < static_cast<int>(visible_.size())) screen.addMenuOption("<+> Next Page");
    screen.addMenuOption("<0> Exit");
}

void Inventory::Update(const std::string& command) {
    Game& g = game();
    g.screen.clearMessages();
    rebuildVisible();
    std::istringstream words(command);
    std::string word;
    words >> word;
    const std::size_t afterWord = command.find(word) + word.size();
    const std::string rest = afterWord + 1 <= command.size() ? command.substr(afterWord + 1) : "";

    if (word == ".") {
        if (inBattle() && !(g.sidekick.effective[HP] > 0)) return;  // a fallen sidekick drinks nothing
        current_ = current_ == &g.player ? static_cast<Protagonist*>(&g.sidekick) : &g.player;
        statChanges_.clear();
        resistanceChanges_.clear();
        return;
    }
    if (word == "+") {
        if (page_ + kItemsPerPage < static_cast<int>(visible_.size())) page_ += kItemsPerPage;
        return;
    }
    if (word == "-") {
        if (page_ > 0) page_ -= kItemsPerPage;
        return;
    }
    if (!actionMenu_) {
        if (matchesAny(word, {"0", "exit"})) {
            actionMenu_ = true;
            return;
        }
        actionMenu_ = run(pendingAction_, command.substr(command.find(word)));
        // In a fight, using an item was the player's turn: back to the battle.
        if (inBattle() && pendingAction_ == Action::Use && actionMenu_) closeState();
        return;
    }
    const bool haveItems = !g.player.inventory.empty();
    // Returns true when the screen closed itself.
    auto choose = [&](Action action) {
        if (rest.empty()) {
            pendingAction_ = action;
            actionMenu_ = inBattle() && action == Action::Use && !g.player.inventory.hasConsumable();
            return false;
        }
        const bool done = run(action, rest);
        if (!done) {
            pendingAction_ = action;
            actionMenu_ = false;
            return false;
        }
        if (inBattle() && action == Action::Use) {
            closeState();
            return true;
        }
        return false;
    };
    if (matchesAny(word, {"1", "use"}) && haveItems) choose(Action::Use);
    else if (matchesAny(word, {"2", "drop"}) && haveItems && !inBattle()) choose(Action::Drop);
    else if (matchesAny(word, {"3", "check"}) && haveItems) choose(Action::Check);
    else if (matchesAny(word, {"4", "remove"}) && !inBattle()) choose(Action::Remove);
    else if (matchesAny(word, {"0", "exit"})) closeState();
}

bool Inventory::run(Action action, const std::string& argument) {
    switch (action) {
        case Action::Use: return use(argument);
        case Action::Drop: return drop(argument);
        case Action::Check: return check(argument);
        case Action::Remove: return remove(argument);
    }
    return false;
}

long Inventory::shownItem(const std::string& argument) const {
    const long i = wholeArgument(argument) - 1;
    if (i < 0 || i >= static_cast<long>(visible_.size())) return -1;
    if (i < page_ || i >= page_ + kItemsPerPage) return -1;
    return visible_[i];
}

// Remembers the shown protagonist's effective blocks around a change and
// keeps the difference for the colours of the statistics column.
template <typename Change>
static void trackChanges(Protagonist& who, StatBlock& changes, ResistanceBlock& resistanceChanges, Change change) {
    const StatBlock before = who.effective;
    const ResistanceBlock resistancesBefore = who.effectiveResistances;
    change();
    for (std::size_t i = 0; i < StatCount; ++i) changes[i] = who.effective[i] - before[i];
    for (std::size_t i = 0; i < ResistanceCount; ++i)
        resistanceChanges[i] = who.effectiveResistances[i] - resistancesBefore[i];
}

bool Inventory::use(const std::string& argument) {
    const long index = shownItem(argument);
    if (index < 0) return false;
    ItemList& items = game().player.inventory;
    showCheck(*items.at(index));
    std::unique_ptr<Item> item = items.take(index);
    if (inBattle() && item->isConsumable()) {
        useInBattle(std::move(item));
        return true;
    }
    trackChanges(*current_, statChanges_, resistanceChanges_,
                 [&] { current_->useOrEquip(std::move(item)); });
    return true;
}

void Inventory::useInBattle(std::unique_ptr<Item> item) {
    Game& g = game();
    const float hpBefore = current_->effective[HP];
    const float mpBefore = current_->effective[MP];
    const std::string itemName = item->name;
    const int type = item->type;
    current_->useOrEquip(std::move(item));
    std::string text = "Using " + colorCyan + itemName + ", " + colorYellow;
    text += current_ == &g.player ? "You " + colorWhite + "recharge\n" : current_->name + " recharges\n";
    if (type == TypeHp || type == TypeHybrid)
        text += colorGreen + toText(static_cast<long>(current_->effective[HP] - hpBefore + 0.5f)) + colorWhite + " HP...";
    if (type == TypeMp || type == TypeHybrid)
        text += colorGreen + toText(static_cast<long>(std::trunc(current_->effective[MP] - mpBefore + 0.5f))) +
                colorWhite + " MP";
    Screen& screen = g.screen;
    screen.clearFrame();
    battle_->drawBattleScreen();
    for (std::size_t shown = 1; shown <= text.size(); ++shown) {
        screen.clearMessages();
        screen.addMessage(text.substr(0, shown));
        screen.addMessage(colorWhite);
        screen.render();
        g.console.sleepMs(5);
    }
    g.console.sleepMs(1250);
    battle_->monsterTurn();
    battle_->sidekickTurn();
}

bool Inventory::check(const std::string& argument) {
    const long index = shownItem(argument);
    if (index < 0) return false;
    showCheck(*game().player.inventory.at(index));
    return true;
}

bool Inventory::drop(const std::string& argument) {
    ItemList& items = game().player.inventory;
    const long index = wholeArgument(argument) - 1;
    if (!items.at(index)) return false;
    items.erase(index);
    if (page_ > 0 && page_ >= static_cast<int>(items.size())) page_ -= kItemsPerPage;
    return true;
}

bool Inventory::remove(const std::string& argument) {
    const int slot = slotFromWord(argument);
    if (slot < 0) return false;
    trackChanges(*current_, statChanges_, resistanceChanges_, [&] { current_->unequip(slot); });
    return true;
}

void Inventory::showCheck(const Item& item) { showItemCheck(item, *current_); }

void showItemCheck(const Item& item, const Protagonist& wearer) {
    Screen& screen = game().screen;
    screen.clearMessages();
    std::string text = "  Name    : " + colorYellow + item.name.substr(0, 60) + colorWhite + "\n";
    text += "  Level   : " + toText(item.stats[Level]) + "\n";
    text += "  Desc    : " + colorCyan + wrapDescription(item.description) + colorWhite + "\n\n";
    if (item.type == TypeHp) {
        text += "  Restores: " + toText(item.stats[HP]) + "HP";
    } else if (item.type == TypeMp) {
        text += "  Restores: " + toText(item.stats[MP]) + "MP";
    } else if (item.type == TypeHybrid) {
        text += "  Restores: " + toText(item.stats[HP]) + "HP and " + toText(item.stats[MP]) + " MP";
    } else {
        // What wearing it would change, against what is worn in its slot now.
        StatBlock changes = item.stats;
        ResistanceBlock resistanceChanges = item.resistances;
        if (const Item* worn = wearer.equipped(slotForType(item.type))) {
            for (std::size_t i = 0; i < StatCount; ++i) changes[i] -= worn->stats[i];
            for (std::size_t i = 0; i < ResistanceCount; ++i) resistanceChanges[i] -= worn->resistances[i];
        }
        static constexpr int statRows[] = {4, 6, 8, 9, 10, 11, 12, 13};
        static constexpr int resistanceRows[] = {16, 17, 18, 19, 20};
        for (int line = 0; line < 8; ++line) {
            text += statRow(statRows[line], item, item.stats, item.resistances, RowSubject::Item, changes,
                            resistanceChanges, kCheckCellWidth);
            if (line < 5)
                text += statRow(resistanceRows[line], item, item.stats, item.resistances, RowSubject::Item, changes,
                                resistanceChanges, 0) + "%";
            text += "\n";
        }
    }
    screen.addMessage(text);
}

}  // namespace orv
