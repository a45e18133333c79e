// The town screen.
#include "world/town.h"

#include <fstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"
#include "items/inventory.h"
#include "items/save.h"
#include "screens/sidetalk.h"
#include "screens/sysmenu.h"
#include "world/dungeon.h"
#include "world/quest.h"
#include "world/shop.h"
#include "world/spaceship.h"

namespace orv {

namespace {


int logColour(const std::string& value) {
    if (value == "green") return 1;
    if (value == "teal") return 2;
    if (value == "yellow") return 3;
    if (value == "purple") return 4;
    return -1;
}

const std::string& logColourCode(int colour) {
    switch (colour) {
        case 1: return colorGreen;
        case 2: return colorCyan;
        case 3: return colorYellow;
        case 4: return colorMagenta;
        default: return colorWhite;
    }
}

bool contains(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

}  // namespace

Town::Town(State* parent, const std::string& townName) : State(parent), townName_(townName) {
    Game& g = game();
    for (Protagonist* who : {static_cast<Protagonist*>(&g.player), static_cast<Protagonist*>(&g.sidekick)}) {
        who->effective[HP] = who->effective[MaxHP];
        who->effective[MP] = who->effective[MaxMP];
    }
    g.audio.playMusic("town.mp3");
    questRow_ = questTableIndex(townName);
    if (!known()) {
        // Quest progress has a row for each of the eleven planets only.
        g.screen.addMessage(colorRed + "There is no town called \"" + townName + "\" in the known galaxy." + colorWhite);
        return;
    }
    states_ = currentStates(g.player, questRow_);
    readQuestKeys();
    readTownBlock();
    if (questOption_ == "instant") setSubState(new Quest(this, townName_, "town"));
    g.screen.addMessage(colorCyan + "You enter " + displayName_ + colorWhite);
}

void Town::readQuestKeys() {
    int colours = 0, texts = 0;
    bool atTown = false;
    questOption_.clear();
    forEachCurrentStateLine(townName_, states_, [&](int, const std::string& line) {
        const std::string value = valueAfterColon(line);
        if (contains(line, "TOWN_QUEST_LOG_COLOR:")) {
            if (colours < 10) log_[colours++].colour = logColour(value);
        } else if (contains(line, "TOWN_QUEST_LOG_TEXT:")) {
            if (texts < 10) log_[texts++].text = value;
        } else if (contains(line, "LOCATION_NAME:")) {
            atTown = value == "town";
        } else if (contains(line, "TOWN_ENABLE_DUNGEON:")) {
            canGoDown_ = value == "true";
        } else if (contains(line, "TOWN_ENABLE_SPACESHIP:")) {
            shipAvailable_ = value == "true";
        } else if (atTown && contains(line, "QUEST_ENABLE_DUNGEON:")) {
            if (value == "false") canGoDown_ = false;
            if (value == "true") canGoDown_ = true;
        } else if (atTown && contains(line, "QUEST_ITEM_MENU_OPTION:")) {
            questOption_ = value;
        }
    });
}

void Town::readTownBlock() {
    std::ifstream file = openDataFile("towns\\towns.txt", std::ios::in | std::ios::binary);
    if (!file) {
        game().screen.addMessage("unable to open file");
        return;
    }
    std::string line;
    bool inBlock = false;
    while (std::getline(file, line)) {
        if (endsReading(line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!inBlock && line.find(townName_) == std::string::npos) continue;
        inBlock = true;
        if (line == "TOWN_END:") break;
        const std::string value = valueAfterColon(line);
        if (contains(line, "NAME:") && !contains(line, "UNIQUE_N")) {
            displayName_ = value;
        } else if (contains(line, "DESC_") && !contains(line, "UNIQUE_DESC") && !contains(line, "_SHOP_DESC")) {
            const std::size_t at = line.find("DESC_") + 5;
            const int number = at < line.size() ? line[at] - '1' : -1;
            if (number >= 0 && number < 5) {
                descriptions_[number] = value;
                lastDescription_ = number;
            }
        } else if (contains(line, "MAP:")) {
            map_ = value;
        } else if (contains(line, "UNIQUE_MENU_OPTION:")) {
            uniqueMenuOption_ = value;
        } else if (contains(line, "UNIQUE_N:")) {
            uniqueName_ = value;
        } else if (contains(line, "UNIQUE_DESC:") && !contains(line, "UNIQUE_SHOP_DESC")) {
            uniqueDescription_ = value;
        } else if (contains(line, "UNIQUE_MENU_TRIGGER:")) {
            uniqueTrigger_ = value;
        }
    }
}

void Town::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    if (!known()) {
        screen.addMenuOption("<*> Exit Game");
        return;
    }
    canGoDown_ = shipAvailable_ = false;
    log_ = {};
    states_ = currentStates(g.player, questRow_);
    readQuestKeys();
    if (questOption_ == "instant") {
        // The scene takes the town's place: leaving it goes where the
        // scene sends the player, not back into a town that would only
        // start the same scene again.
        setSubState(new Quest(this, townName_, "town"));
        if (parent()) closeState();
        return;
    }
    screen.loadArt("\\towns\\" + map_, true);
    screen.addSideText("");
    screen.addSideText("  " + colorGreen + "HotSpots");
    screen.addSideText("------------");
    for (const LogEntry& entry : log_)
        if (!entry.text.empty()) screen.addSideText(logColourCode(entry.colour) + entry.text);
    screen.addSideText("------------");
    if (askingToLeave_) {
        screen.addMessageOnce(colorYellow + "Leave without saving?" + colorWhite + " <1> Yes <0> No");
        screen.addMenuOption("<1> Yes");
        screen.addMenuOption("<0> No");
        return;
    }

    screen.addMenuOption("<1> Armor shop");
    screen.addMenuOption("<2> Weapon shop");
    screen.addMenuOption("<3> Inn");
    screen.addMenuOption(shipAvailable_ ? "<" + colorGreen + "4" + colorWhite + ">" + colorMagenta + " Ship" + colorWhite
                                        : colorRed + "Ship Not Available" + colorWhite);
    screen.addMenuOption(canGoDown_ ? "<" + colorGreen + "5" + colorWhite + ">" + colorYellow + " Dungeon" + colorWhite
                                    : colorRed + "Planet Not Available" + colorWhite);
    screen.addMenuOption("<6> Common area");
    screen.addMenuOption("<7> Look around");
    screen.addMenuOption("<8> Speak to " + g.sidekick.name);
    screen.addMenuOption("<.> Inventory");
    screen.addMenuOption("<-> System Menu");
    if (hasUniquePlace()) screen.addMenuOption(uniqueMenuOption_);
    screen.addMenuOption("<*> Exit Game");
}

void Town::openShop(int kind, const std::string& shopName, const std::string& message) {
    game().screen.addMessage(message);
    setSubState(new Shop(this, kind, townName_, shopName));
}

void Town::leaveGame() {
    if (canGoDown_) closeAll();
    else closeState();
}

void Town::Update(const std::string& command) {
    Game& g = game();
    Screen& screen = g.screen;
    if (!known()) {
        if (matchesAny(command, {"e", "exit", "*"})) closeState();
        return;
    }
    if (askingToLeave_) {
        if (matchesAny(command, {"1", "yes", "y"})) return leaveGame();
        if (matchesAny(command, {"0", "no", "n"})) askingToLeave_ = false;
        return;
    }
    const std::string uniqueLower = lowercase(uniqueName_);
    if (matchesAny(command, {"l", "look", "look around", "7"})) {
        screen.addMessage(descriptions_[lookIndex_]);
        if (lookIndex_ < lastDescription_) ++lookIndex_;
    } else if (matchesAny(command, {"72", "look at weapon shop", "l w", "look weapon", "look weapon shop"})) {
        screen.addMessage("It is a normal looking weapons shop with weapons you can use.");
    } else if (matchesAny(command, {"71", "look at armor shop", "l a", "look armor", "look armor shop"})) {
        screen.addMessage("It is a normal looking armor shop with shields you can use.");
    } else if (matchesAny(command, {"77", "look at common area", "l c", "look common", "look common area"})) {
        screen.addMessage("It is a normal looking common area where people gather.");
    } else if (hasUniquePlace() && (command == "710" || command == "look at " + uniqueLower ||
                                     command == "l " + uniqueLower || command == "look " + uniqueLower ||
                                     command == "look u")) {
        screen.addMessage(uniqueDescription_);
    } else if (matchesAny(command, {"73", "look at inn", "l i", "look inn", "look inn shop"})) {
        screen.addMessage("It is a normal looking inn which serves food and can let you rest.");
    } else if (matchesAny(command, {"a", "armor", "armor shop", "1"})) {
        openShop(1, "Armor", "You enter the armor shop.");
    } else if (matchesAny(command, {"w", "weapon", "weapon shop", "2"})) {
        openShop(2, "Weapon", "You enter the weapon shop.");
    } else if (matchesAny(command, {"i", "inn", "3"})) {
        openShop(3, "Inn", "You enter the inn.");
    } else if (hasUniquePlace() && (command == lowercase(uniqueTrigger_) || command == uniqueLower || command == "+")) {
        openShop(4, uniqueName_, "You enter " + uniqueName_);
    } else if (matchesAny(command, {"s", "ship", "4"})) {
        if (shipAvailable_) {
            setSubState(new Spaceship(this, townName_));
            closeState();
            return;
        }
        screen.addMessage("You feel as if there is something you are missing... Maybe you should check around town "
                          "more thoroughly..");
    } else if (matchesAny(command, {"p", "planet", "5"})) {
        if (canGoDown_) {
            screen.clearMessages();
            screen.addMessage("You go down to the planet.");
            // The Omniscope of Sigma VI shows every dungeon whole.
            const bool revealAll = g.player.questProgress[questTableIndex("Sigma VI")][4][1] == 2;
            setSubState(new Dungeon(this, townName_, true, revealAll));
            closeState();
            return;
        }
        screen.addMessage("You can't go down to the planet.");
    } else if (matchesAny(command, {"c", "common", "common area", "c area", "6"})) {
        screen.clearMessages();
        openShop(5, "common area", "You go to the common area.");
    } else if (matchesAny(command, {".", "inventory", "in"})) {
        screen.clearMessages();
        setSubState(new Inventory(this, g.player));
    } else if (matchesAny(command, {"e", "exit", "*"})) {
        // An evening's play is not thrown away by one line typed a screen
        // too far: with anything unsaved, the town asks once.
        if (gameHasUnsavedChanges()) askingToLeave_ = true;
        else leaveGame();
    } else if (command == "-") {
        setSubState(new Sysmenu(this));
    } else if (matchesAny(command, {"sp", "speak", "8"})) {
        setSubState(new Sidetalk(this, ""));
    }
}

}  // namespace orv
