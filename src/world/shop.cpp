// Shops, the inn, the common area and the town's special place.
#include "world/shop.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"
#include "items/inventory.h"
#include "items/save.h"
#include "world/quest.h"
#include "world/tutorial.h"

namespace orv {

namespace {

constexpr int kShelfSize = 5;
constexpr int kSellPageSize = 20;

// The three shelves of each kind, in the order they are stocked and shown.
const std::array<std::array<int, 3>, 4> kStockOrder = {{
    {0, 0, 0},
    {TypeBoots, TypeShield, TypeHeadgear},
    {TypeGun, TypeStaff, TypeSword},
    {TypeHp, TypeMp, TypeHybrid},
}};
const std::array<std::array<int, 3>, 4> kShownOrder = {{
    {0, 0, 0},
    {TypeShield, TypeBoots, TypeHeadgear},
    {TypeSword, TypeStaff, TypeGun},
    {TypeHp, TypeMp, TypeHybrid},
}};
const char* const kShelfHeadings[4][3] = {
    {"", "", ""},
    {"     SHIELDS", "     BOOTS", "     HEADGEAR"},
    {"     SWORDS", "     STAFFS", "     GUNS"},
    {"     HP", "     MP", "     HP/MP"},
};

bool contains(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

std::string firstWord(const std::string& command) {
    std::istringstream in(command);
    std::string word;
    in >> word;
    return word;
}

// The colour of an item's name by how many affixes it carries.
const std::string& affixColor(const Item& item) {
    if (item.hasPrefix && item.hasSuffix) return colorGreen;
    if (item.hasPrefix || item.hasSuffix) return colorYellow;
    return colorWhite;
}

std::string itemLine(int number, const Item& item, int price) {
    std::string line = (number < 10 ? " " : "") + toText(number) + ". " + affixColor(item) + item.name + colorWhite;
    while (displayLength(line) < 61) line += ' ';
    return line + "----   " + colorMagenta + toText(price) + colorWhite;
}

}  // namespace

Shop::Shop(State* parent, int kind, const std::string& townName, const std::string& shopName)
    : State(parent), kind_(kind), townName_(townName), shopName_(shopName) {
    Game& g = game();
    g.screen.clearMessages();
    questRow_ = questTableIndex(townName);
    states_ = currentStates(g.player, questRowOf(townName));
    // An event whose scene is not written yet cannot be played: it neither
    // shows nor keeps the player inside.
    questActive_ = isQuestRoomActive(townName, shopName) && questSceneExists(townName, shopName);
    if (questActive_) {
        questDone_ = false;
        readQuestKeys();
    }
    readShopSection();
    static const char* const kWelcome[] = {"", " armor shop.", " weapon shop.", " inn.", "", " common area."};
    // "Welcome to the" brings its own article: a name that starts with one
    // (The Abominable, The Memorial) drops it, never "the The".
    if (kind_ == UniquePlace)
        g.screen.addMessage("Welcome to the " + withoutArticle(townName) + " " + withoutArticle(shopName) + ".");
    else if (kind_ >= ArmorShop && kind_ <= CommonArea)
        g.screen.addMessage("Welcome to the " + withoutArticle(townName) + kWelcome[kind_]);
    if (hasGoods()) stock();
    if (kind_ >= ArmorShop && kind_ <= InnShop) Tutorial::offer(this, HintShop);
}

void Shop::stock() {
    const float playerLevel = game().player.stats[Level];
    const int range = std::max(1, static_cast<int>(std::trunc(playerLevel)));
    for (int type : kStockOrder[kind_]) {
        ItemList& shelf = shelves_[type];
        for (int i = 0; i < kShelfSize; ++i) {
            shelf.add(Item::random(rollDice() % range + 5, type));
            for (std::size_t j = 0; j < shelf.size(); ++j) shelf.at(static_cast<long>(j))->price = shelf.at(static_cast<long>(j))->shopPrice();
        }
    }
    for (int type : kStockOrder[kind_]) shelves_[type].sortByPrice();
}

void Shop::readShopSection() {
    std::ifstream file = openDataFile("towns\\towns.txt", std::ios::in | std::ios::binary);
    if (!file) {
        game().screen.addMessage("unable to open file");
        return;
    }
    std::string line;
    bool inPlanet = false, inSection = false;
    while (std::getline(file, line)) {
        if (endsReading(line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (contains(line, "PLANET:")) inPlanet = true;
        if (!inPlanet) continue;
        if (contains(line, "TOWN_END:")) {
            inPlanet = inSection = false;
            continue;
        }
        const std::string value = valueAfterColon(line);
        if (!inSection && value == townName_) inSection = true;
        if (!inSection) continue;
        if (contains(line, "SHOP_END:")) {
            inSection = false;
            continue;
        }
        if (contains(line, "ARMOR_DESC:")) armorDescription_ = value;
        else if (contains(line, "WEAPON_DESC:")) weaponDescription_ = value;
        else if (contains(line, "INN_DESC:")) innDescription_ = value;
        else if (contains(line, "COMMON_AREA_DESC:")) commonDescription_ = value;
        else if (contains(line, "UNIQUE_SHOP_DESC:")) uniqueDescription_ = value;
        else if (contains(line, "UNIQUE_N:")) uniqueName_ = value;
        else if (contains(line, "UNIQUE_M:")) uniqueArt_ = value;
    }
}

void Shop::readQuestKeys() {
    bool here = false;
    states_ = currentStates(game().player, questRowOf(townName_));
    forEachCurrentStateLine(townName_, states_, [&](int, const std::string& line) {
        const std::string value = valueAfterColon(line);
        if (contains(line, "LOCATION_NAME:")) here = value == shopName_;
        if (!here) return;
        if (contains(line, "QUEST_ITEM_NAME:")) questItemName_ = value;
        else if (contains(line, "QUEST_ITEM_DESC:")) questItemDescription_ = value;
        else if (contains(line, "QUEST_ITEM_QUORIX:")) quorixExit_ = true;
        else if (contains(line, "QUEST_ITEM_MENU_OPTION:")) questOption_ = value;
        else if (contains(line, "QUEST_ITEM_MENU_TRIGGER:")) questTrigger_ = value;
        else if (contains(line, "QUEST_ROOM_TEXT_BEFORE:")) textBefore_ = value;
        else if (contains(line, "QUEST_ROOM_TEXT_AFTER:")) textAfter_ = value;
        // QUEST_ENABLE_DUNGEON is for the town, which reads it itself on its next frame.
    });
}

Item* Shop::shownItem(int number, int* shelfOut, int* indexOut) const {
    if (!hasGoods() || number < 1 || number > 3 * kShelfSize) return nullptr;
    const int shelf = (number - 1) / kShelfSize;
    const int index = (number - 1) % kShelfSize;
    if (shelfOut) *shelfOut = kShownOrder[kind_][shelf];
    if (indexOut) *indexOut = index;
    return shelves_[kShownOrder[kind_][shelf]].at(index);
}

int Shop::promptItemNumber() {
    Game& g = game();
    prompting_ = true;
    g.screen.clearMessages();
    g.screen.clearFrame();
    Draw();
    g.screen.render();
    std::string line;
    g.input.readLine(line);
    prompting_ = false;
    // A line that is no number names no item.
    const auto number = readNumber(line);
    if (!number || !std::isfinite(*number) || std::fabs(*number) > 1e6f) return 0;
    return static_cast<int>(*number);
}

void Shop::buy(int number) {
    Game& g = game();
    int shelf = 0, index = 0;
    Item* item = shownItem(number, &shelf, &index);
    if (number == 0) return;
    if (!item) {
        g.screen.addMessage("That item does not exist, please select another.");
        return;
    }
    const int money = g.player.money;
    if (money < 0) {
        g.screen.addMessage(colorRed + "You have negative money, you cannot buy anything." + colorWhite);
    } else if (money < item->price) {
        g.screen.addMessage(colorRed + "You do not have enough money, you need " + toText(item->price - money) + "*\n" +
                            colorWhite);
    } else {
        g.screen.addMessage(colorGreen + "You have purchased: " + colorYellow + item->name + " --" + colorWhite + " " +
                            item->description + "\n" + colorGreen + "For: " + colorMagenta + toText(item->price) +
                            "*\n" + colorWhite);
        g.player.changeMoney(-static_cast<long long>(item->price));
        g.player.inventory.add(shelves_[shelf].take(index));
    }
}

void Shop::steal(int number) {
    Game& g = game();
    int shelf = 0, index = 0;
    Item* item = shownItem(number, &shelf, &index);
    if (number != 0 && !item) g.screen.addMessage("That item does not exist, please select another.");
    if (item) {
        const char* attempt = kind_ == ArmorShop ? "You have your sidekick attempt to steal: "
                                                 : "You have you sidekick attempt to steal: ";
        std::string text = colorGreen + attempt + colorYellow + item->name + " --" + colorWhite + " " +
                           item->description + "\n\n";
        const int r = rollDice() % 100;
        const float chance = static_cast<float>(g.sidekick.moodLevel()) *
                             (25.0f - item->stats[Level] + g.player.stats[Level]);
        if (chance > static_cast<float>(r)) {
            text += colorGreen + "Success!" + colorWhite;
            g.player.inventory.add(shelves_[shelf].take(index));
        } else {
            // The fine is the price, as the message says.
            text += colorRed + "FAILED!" + colorWhite + "\n\n" + "You are fined " + toText(item->price) + ".";
            g.player.changeMoney(-static_cast<long long>(item->price));
        }
        g.screen.addMessage(text);
    }
    if (kind_ == ArmorShop) g.sidekick.changeMood(-20);
}

void Shop::sell(int number) {
    Game& g = game();
    ItemList& items = g.player.inventory;
    Item* item = items.at(number - 1);
    if (!item) return;
    const int price = item->price / 2;  // as priced on the sell screen
    g.screen.addMessage("You sell the " + colorYellow + item->name + colorWhite + " for " + colorMagenta +
                        toText(price) + "*" + colorWhite + ".");
    g.player.changeMoney(price);
    items.erase(number - 1);
}

void Shop::checkItem(Item* item) {
    Game& g = game();
    if (!item) {
        g.screen.addMessage("No item selected.");
        return;
    }
    showItemCheck(*item, g.player);
}

std::string Shop::description() const {
    switch (kind_) {
        case ArmorShop: return armorDescription_;
        case WeaponShop: return weaponDescription_;
        case InnShop: return innDescription_;
        case CommonArea: return commonDescription_;
        default: return uniqueDescription_;
    }
}

void Shop::Update(const std::string& command) {
    Game& g = game();
    if (questActive_ && !questDone_) {
        const std::string itemLower = lowercase(questItemName_);
        if ((!questTrigger_.empty() && command == lowercase(questTrigger_)) || command == "+" ||
            (!questItemName_.empty() && command == "go " + itemLower)) {
            g.screen.addMessage("You enter the " + questItemName_);
            questDone_ = true;
            textBeforeShown_ = false;  // announced again if the scene leaves the event waiting
            setSubState(new Quest(this, townName_, shopName_));
        } else if ((!questTrigger_.empty() && command == "l " + lowercase(questTrigger_)) ||
                   (!questItemName_.empty() && (command == "l " + itemLower || command == "look " + itemLower))) {
            g.screen.addMessage(questItemDescription_);
        }
    }
    if (sellScreen_) {
        updateSellScreen(command);
        return;
    }
    const std::string word = firstWord(command);
    if (matchesAny(command, {"l", "leave", "0", "leave shop"})) {
        if (!mayLeave()) return;
        g.screen.clearMessages();
        g.screen.addMessage(kind_ == CommonArea ? "You go back." : "You go back outside.");
        closeState();
        return;
    }
    if (hasGoods()) {
        if (matchesAny(word, {"b", "buy"}) || command == "1") return buy(promptItemNumber());
        if (matchesAny(word, {"c", "check"}) || command == "3") {
            const int number = promptItemNumber();
            if (number != 0) checkItem(shownItem(number));  // 0 cancels without a word
            return;
        }
        if (matchesAny(word, {"st", "steal"}) || command == "4") return steal(promptItemNumber());
        if (matchesAny(command, {"s", "sell", "2"})) {
            sellScreen_ = true;
            return;
        }
    }
    if ((kind_ == ArmorShop || kind_ == WeaponShop) && matchesAny(command, {"a", "around", "look around", "5"}))
        return g.screen.addMessage(description());
    if (kind_ == InnShop && matchesAny(command, {"a", "around", "look around", "6"}))
        return g.screen.addMessage(description());
    if (kind_ == InnShop && matchesAny(command, {"save", "sa", "5"})) return setSubState(new Save(this, townName_));
    if (kind_ == CommonArea && matchesAny(command, {"a", "around", "look around", "2"}))
        return g.screen.addMessage(description());
    if (kind_ == CommonArea && matchesAny(command, {"t", "talk", "1"}))
        return g.screen.addMessage(
            "If there was someone around, maybe you could talk to them, but alas you find yourself alone.  Maybe you "
            "should just talk to your trusty sidekick?");
    if (kind_ == UniquePlace && matchesAny(command, {"a", "around", "look around", "1"}))
        return g.screen.addMessage(description());
    if (matchesAny(command, {".", "inventory", "in"})) return setSubState(new Inventory(this, g.player));
    if (kind_ == ArmorShop && matchesAny(command, {"g", "give", "/"})) g.player.changeMoney(1000);
}

void Shop::updateSellScreen(const std::string& command) {
    Game& g = game();
    const std::string word = firstWord(command);
    if (matchesAny(command, {"0", "l", "leave", "leave shop"})) sellScreen_ = false;
    else if (matchesAny(word, {"1", "s", "sell"})) sell(promptItemNumber());
    else if (matchesAny(word, {"2", "c", "check"})) checkItem(g.player.inventory.at(promptItemNumber() - 1));
    else if (matchesAny(command, {"a", "around", "look around"})) g.screen.addMessage(description());
    else if (matchesAny(command, {".", "inventory", "in"})) setSubState(new Inventory(this, g.player));
    else if (matchesAny(command, {"g", "give"})) g.player.changeMoney(1000);
    else if (matchesAny(command, {"+", "page down", "next page", "np", "pd"})) sellPage_ += kSellPageSize;
    else if (matchesAny(command, {"-", "page up", "previous page", "pp", "pu"})) sellPage_ = std::max(0, sellPage_ - kSellPageSize);
}

void Shop::drawHeader(const std::string& title) {
    std::string header = std::string((80 - (title.size() + 2)) / 2, ' ') + colorYellow + title + colorWhite;
    while (displayLength(header) < 80) header += ' ';
    std::string columns = std::string(11, ' ') + colorYellow + "ITEM" + colorWhite;
    while (displayLength(columns) < 71) columns += ' ';
    columns += colorYellow + "PRICE" + colorWhite;
    while (displayLength(columns) < 80) columns += ' ';
    game().screen.addArtLine(header + columns + std::string(80, '='));
}

void Shop::drawGoods() {
    Game& g = game();
    Screen& screen = g.screen;
    static const char* const kTitles[] = {"", "Armor Shop", "Weapon Shop", "Inn"};
    drawHeader(kTitles[kind_]);
    for (int shelf = 0; shelf < 3; ++shelf) {
        screen.addArtLine(colorRed + kShelfHeadings[kind_][shelf] + colorWhite);
        const ItemList& items = shelves_[kShownOrder[kind_][shelf]];
        for (std::size_t i = 0; i < items.size(); ++i) {
            const Item& item = *items.at(static_cast<long>(i));
            screen.addArtLine(itemLine(shelf * kShelfSize + static_cast<int>(i) + 1, item, item.price));
        }
    }
    screen.addArtLine(std::string(60, ' ') + colorYellow + "You have " + colorGreen + toText(g.player.money) + "*" +
                      colorWhite);
}

void Shop::drawSellScreen() {
    Game& g = game();
    ItemList& items = g.player.inventory;
    for (std::size_t i = 0; i < items.size(); ++i) items.at(static_cast<long>(i))->price = items.at(static_cast<long>(i))->shopPrice();
    items.sortByPrice();
    drawHeader("Sell Screen");
    for (std::size_t i = static_cast<std::size_t>(sellPage_); i < items.size(); ++i) {
        const Item& item = *items.at(static_cast<long>(i));
        g.screen.addArtLine(itemLine(static_cast<int>(i) + 1, item, item.price / 2));
    }
    g.screen.addArtLine(std::string(60, ' ') + colorYellow + "You have " + colorGreen + toText(g.player.money) + "*" +
                        colorWhite);
}

void Shop::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    if (questActive_ && isQuestRoomActive(townName_, shopName_) && questSceneExists(townName_, shopName_)) {
        // A scene that did not move the story on leaves its event waiting.
        readQuestKeys();
        questDone_ = false;
        // The event is announced once while it waits, not on every frame.
        if (!textBefore_.empty() && !textBeforeShown_) screen.addMessage(colorCyan + textBefore_ + colorWhite);
        textBeforeShown_ = true;
    }
    if (prompting_) {
        if (sellScreen_) drawSellScreen();
        else if (hasGoods()) drawGoods();
        screen.addMenuOption(colorGreen + "ENTER ITEM NUMBER" + colorWhite + " (0 to cancel)");
        return;
    }
    if (sellScreen_) {
        drawSellScreen();
        for (const char* option : {"<1> Sell", "<2> Check", "<+> Next Page", "<-> Prev Page", "<0> Cancel"})
            screen.addMenuOption(option);
        return;
    }
    if (hasGoods()) {
        drawGoods();
        for (const char* option : {"<1> Buy", "<2> Sell", "<3> Check", "<4> Steal"}) screen.addMenuOption(option);
        if (kind_ == InnShop) {
            screen.addMenuOption("<5> Save");
            screen.addMenuOption("<6> Look Around");
        } else {
            screen.addMenuOption("<5> Look Around");
        }
    } else if (kind_ == CommonArea) {
        screen.loadArt("\\shops\\" + townName_ + "\\commonarea.txt", false);
        screen.addMenuOption("<1> Talk");
        screen.addMenuOption("<2> Look Around");
    } else {
        screen.loadArt("\\shops\\" + townName_ + "\\" + uniqueArt_, false);
        screen.addMenuOption("<1> Look Around");
    }
    screen.addMenuOption("<.> Inventory");
    if (!questOption_.empty() && !questDone_) screen.addMenuOption("<+> " + questOption_);
    if (mayLeave()) screen.addMenuOption("<0> Exit");
}

}  // namespace orv
