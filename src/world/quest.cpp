// Quest scenes and the opening story.
#include "world/quest.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "app/game.h"
#include "screens/credits.h"
#include "combat/battle.h"
#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"
#include "items/inventory.h"
#include "minigame/editor.h"
#include "screens/creator.h"
#include "world/dungeon.h"
#include "world/map.h"
#include "world/spaceship.h"
#include "world/town.h"

namespace orv {

namespace {

constexpr int kFirstFrame = 24, kLastFrame = 102, kHeldFrame = 56, kResumeFrame = 80;

int digitAfterColon(const std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon + 1 >= line.size()) return -1;
    const char digit = line[colon + 1];
    return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

bool contains(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

std::string cyan(const std::string& text) { return colorCyan + text + colorWhite; }

}  // namespace

std::string Quest::openingStory(const std::string& playerName, const std::string& sidekickName) {
    return "     Long ago, during the " + colorGreen + "Corsair War" + colorWhite + ", the " + colorMagenta +
           "Space Forces" + colorWhite + " and the " + colorMagenta + "Pirates" + colorWhite +
           " fought over every rock, moon and asteroid of the frontier. The war ended in a single afternoon, "
           "when the Space Forces fired the " +
           colorRed + "Stillwave" + colorWhite +
           ": a pulse that stopped every reactor it touched. The pirate armada went dark and drifted off into "
           "the void. So did the lights of the " +
           colorYellow + "Lumen colonists" + colorWhite +
           ", who happened to be in the way, and to whom nobody ever apologised. The war was declared won, "
           "there was a parade, and everyone stopped paying attention.  Forty years later, " +
           colorGreen + playerName + colorWhite +
           " owns one second-hand courier ship with a painted-on fuel gauge, no money, and one sidekick, " +
           colorGreen + sidekickName + colorWhite +
           ", who has just won a raffle for A Lifetime of Adventure. The galaxy is quiet, the pirates are a "
           "bedtime story, and the frontier of " +
           colorGreen + "ORVANTIS" + colorWhite +
           " is exactly as dull as it looks, which is to say: not at all.  You currently are in your ship on "
           "the way to " +
           colorGreen + "Empyreon VI" + colorWhite + ".";
}

Quest::Quest(State* parent, const std::string& planet, const std::string& room)
    : State(parent), planet_(planet), room_(room) {
    Game& g = game();
    questRow_ = questTableIndex(planet);
    if (planet == "begin") {
        introMode_ = true;
        questRow_ = -1;
    }
    if (questRow_ >= 0) states_ = currentStates(g.player, questRow_);
    g.screen.clearMessages();
    if (questRow_ >= 0) loadQuestEvent(room);
    if (introMode_) return;
    g.screen.clearFrame();
    Draw();
    g.screen.render();
    if (isCutscene()) {
        g.screen.narrate(cyan(textBefore_), 30, 40.0);
        // The last text stays under "Press enter to continue.", and that
        // prompt is the wait: the Enter that answers it moves on at once
        // instead of only ending a pause before the same page.
        g.screen.narrate(cyan(textAfter_), 30, 0.0);
    } else {
        g.screen.narrate(cyan(textBefore_), 30, 0.0);
    }
}

void Quest::loadQuestEvent(const std::string& room) {
    std::ifstream file = openDataFile("quests\\" + planet_ + ".txt", std::ios::in | std::ios::binary);
    if (!file) {
        game().screen.addMessage("unable to open file");
        return;
    }
    std::string line;
    int quest = -1, state = -1;
    bool atPlace = false, inScene = false, found = false;
    while (std::getline(file, line)) {
        if (endsReading(line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inScene) {
            if (contains(line, "END_QUEST_ROOM")) break;
            const std::string value = valueAfterColon(line);
            if (contains(line, "QUEST_ROOM_NAME:")) sceneName_ = value;
            else if (contains(line, "QUEST_ROOM_MAP:")) sceneMap_ = value;
            else if (contains(line, "QUEST_ROOM_SKIP_TO_DUNGEON:")) notSkipToDungeon_ = value != "true";
            else if (contains(line, "QUEST_ROOM_LOAD_PLANET:")) planetToLoad_ = value;
            else if (contains(line, "QUEST_ROOM_GO_TO_TOWN:")) goToTown_ = value == "true";
            else if (contains(line, "QUEST_ITEM_NAME:")) itemName_ = value;
            else if (contains(line, "QUEST_ITEM_DESC_BEFORE:")) itemDescriptionBefore_ = value;
            else if (contains(line, "QUEST_ITEM_DESC_AFTER:")) itemDescriptionAfter_ = value;
            else if (contains(line, "QUEST_ROOM_MENU_OPTION:")) menuOption_ = value;
            else if (contains(line, "QUEST_ROOM_MENU_TRIGGER:")) menuTrigger_ = value;
            else if (contains(line, "QUEST_ROOM_DESC_BEFORE:")) roomDescriptionBefore_ = value;
            else if (contains(line, "QUEST_ROOM_DESC_AFTER:")) roomDescriptionAfter_ = value;
            else if (contains(line, "QUEST_ROOM_QUEST_TEXT_BEFORE:")) textBefore_ = value;
            else if (contains(line, "QUEST_ROOM_RETURN_TO_TOWN:")) returnToTown_ = value == "true";
            else if (contains(line, "QUEST_ROOM_QUEST_TEXT_AFTER:")) textAfter_ = value;
            else if (contains(line, "QUEST_ROOM_BOSS_BATTLE:")) bossName_ = value;
            else if (contains(line, "QUEST_ROOM_GET_ITEM:")) itemReward_ = value;
            else if (contains(line, "QUEST_ROOM_ENABLE_PLANET:")) planetToEnable_ = value;
            else if (contains(line, "QUEST_ROOM_GET_MONEY:")) moneyReward_ = value;
            else if (contains(line, "QUEST_ROOM_GET_RANDOM_ITEM:")) randomItemReward_ = value;
            else if (contains(line, "QUEST_ROOM_KEY_EVENT:")) keyEvent_ = value;
            else if (contains(line, "QUEST_ROOM_START_QUORIX:")) minigame_ = value;
            else if (contains(line, "QUEST_ROOM_QUORIX_LEVEL:")) minigameLevel_ = std::atoi(value.c_str());
            else if (contains(line, "QUEST_ROOM_GET_EXP:")) experienceReward_ = std::atoi(value.c_str());
            continue;
        }
        if (found) continue;
        if (contains(line, "BEGIN_QUEST_ROOM")) {
            if (atPlace && quest >= 0 && quest < kQuestsPerFile && digitAfterColon(line) == states_[quest]) {
                inScene = true;
                found = true;
                quest_ = quest;
                state_ = states_[quest];
            }
        } else if (contains(line, "BEGIN_QUEST")) {
            quest = digitAfterColon(line);
            atPlace = false;
        } else if (contains(line, "BEGIN_STATE")) {
            state = digitAfterColon(line);
        } else if (contains(line, "END_STATE")) {
            atPlace = false;
        } else if (contains(line, "LOCATION_NAME:")) {
            atPlace = valueAfterColon(line) == room;
            // The state taking place here, so it can be completed even
            // where its scene has not been written.
            if (atPlace && quest_ < 0 && quest >= 0 && quest < kQuestsPerFile && state == states_[quest]) {
                quest_ = quest;
                state_ = state;
            }
        }
    }
}

void Quest::completeState() {
    if (questRow_ < 0 || quest_ < 0 || quest_ >= kQuestsPerPlanet || state_ < 0 || state_ >= kStatesPerQuest) return;
    game().player.questProgress[questRow_][quest_][state_] = 2;
}

void Quest::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    if (questionShown_) {
        screen.loadArt(sceneArt(), false);
        screen.addMenuOption("<1> Yes");
        screen.addMenuOption("<0> No");
        screen.narrate(colorYellow + "Would you like to be transported directly to town? Y/N\n" + colorCyan +
                           "*The dungeon will be reset, so be sure you want this*" + colorWhite,
                       30, 40.0);
        return;
    }
    if (introMode_) {
        playOpeningStory();
        return;
    }
    screen.loadArt(sceneArt(), false);
    if (rewardsPending_) {
        // The closing text and the rewards are left on screen to be read
        // for a while; meanwhile the player is told how to go on, rather
        // than looking at a screen with nothing to choose.
        screen.addMenuOption(colorGreen + "Press enter to continue." + colorWhite);
        screen.narrate(cyan(textAfter_), 30, 40.0);
        giveRewards();
        screen.clearMenuOptions();
        rewardsPending_ = false;
    }
    if (isCutscene()) {
        screen.addMenuOption(colorGreen + "Press enter to continue." + colorWhite);
        return;
    }
    if (!eventDone_ && !menuOption_.empty()) screen.addMenuOption("<+> " + menuOption_);
    if (sceneMap_.empty()) {
        screen.clearFrame();
        screen.addArtLine(colorRed + "This is not a valid quest." + colorWhite);
        screen.addArtLine("Your quest checking function is faulty, but mine is superior!");
        screen.addArtLine("All your quest are belong to us.  HAHAHA make your time.");
    } else {
        screen.addMenuOption("<.> Inventory");
    }
    screen.addMenuOption("<1> Look around");
    if (eventDone_ || !minigame_.empty() || sceneMap_.empty()) screen.addMenuOption("<0> Leave");
}

void Quest::playOpeningStory() {
    Game& g = game();
    Screen& screen = g.screen;
    for (int frame = kFirstFrame; frame <= kLastFrame; ++frame) {
        screen.clearFrame();
        if (g.input.keyPressed(true)) break;
        screen.loadArt("animations\\" + toText(frame) + ".txt", false);
        screen.render();
        g.console.sleepMs(100);
        if (frame == kHeldFrame) {
            g.console.sleepMs(1500);
            frame = kResumeFrame - 1;
        }
    }
    screen.clearFrame();
    screen.loadArt("introstatic.txt", false);
    screen.addMenuOption("Press spacebar to skip intro.");
    screen.addMenuOption("Press enter to begin game.");
    screen.render();
    // The story stays on screen under "Press enter to begin game.", and that
    // prompt is the wait: the Enter that answers it boards the ship.
    screen.narrate(openingStory(g.player.name, g.sidekick.name), 30, 0.0);
}

void Quest::replaceWithTown(const std::string& planet) {
    openScreen(new Town(this, planet));
    closeState();
}

// A level earned in the scene is spent first: its screen, opened earlier in
// this same Update, stays in front of whatever the command opens next.
void Quest::openScreen(State* screen) {
    State* levelUp = subState();
    if (levelUp && levelUp == levelUpOpened_) {
        State* innermost = screen->current();
        innermost->setSubState(levelUp);
        levelUp->setParent(innermost);
    }
    setSubState(screen);
}

void Quest::Update(const std::string& command) {
    Game& g = game();
    levelUpOpened_ = nullptr;
    if (questionShown_) {
        // The question itself says Y/N.
        if (matchesAny(command, {"0", "no", "n"})) {
            questionShown_ = false;
            exitScene();
            return;
        }
        if (matchesAny(command, {"1", "yes", "y"})) {
            if (itemName_ == "intro") {
                eventDone_ = true;
                completeState();
            }
            replaceWithTown(planet_);
            return;
        }
    }
    if (g.player.levelUpPending()) {
        g.screen.render();
        g.audio.playEffect("level_up.wav");
        g.console.sleepMs(1300);
        // The level-up screen comes first; the command still acts.
        levelUpOpened_ = new Creator(this, true);
        setSubState(levelUpOpened_);
    }
    if (introMode_) {
        openScreen(new Spaceship(this, ""));
        closeState();
        return;
    }
    // An arrival always ends in the town, even one whose scene is missing.
    if (itemName_ == "spaceship" || (room_ == "spaceship" && sceneMap_.empty())) {
        eventDone_ = true;
        completeState();
        replaceWithTown(planet_);
        return;
    }
    if (itemName_ == "intro" || (matchesAny(command, {"l", "leave", "0"}) && eventDone_)) {
        if (askTownFlag_) questionShown_ = true;
        else exitScene();
        return;
    }
    const bool triggered = command == "+" || (!menuTrigger_.empty() && command == lowercase(menuTrigger_));
    if (triggered && !eventDone_ && !menuOption_.empty()) {
        event();
        return;
    }
    const std::string itemLower = lowercase(itemName_);
    if (!itemName_.empty() && (command == "look " + itemLower || command == "l " + itemLower)) {
        g.screen.addMessage(colorYellow + (eventDone_ ? itemDescriptionAfter_ : itemDescriptionBefore_) + colorWhite);
    } else if (matchesAny(command, {"a", "look around", "la", "look room", "1"})) {
        g.screen.addMessage(colorYellow + (eventDone_ ? roomDescriptionAfter_ : roomDescriptionBefore_) + colorWhite);
    } else if (matchesAny(command, {"inventory", "."})) {
        openScreen(new Inventory(this, g.player));
    } else if (command == "0" && (!minigame_.empty() || sceneMap_.empty())) {
        // A scene with nothing to offer can always be left.
        closeState();
    }
}

void Quest::event() {
    Game& g = game();
    rewardsPending_ = true;
    eventDone_ = true;
    completeState();
    if (!bossName_.empty()) {
        const int line = planetIndexOf(planet_);
        auto boss = std::make_unique<Monster>(Monster::boss(bossName_, line * 9 + 3));
        openScreen(new Battle(this, std::move(boss)));
        if (returnToTown_) askTownFlag_ = true;
        g.screen.clearMessages();
    }
    if (!minigame_.empty()) {
        openScreen(new Editor(this, minigameLevel_));
        g.screen.clearMessages();
    }
}

void Quest::giveRewards() {
    Game& g = game();
    Screen& screen = g.screen;
    auto receive = [&](std::unique_ptr<Item> item) {
        screen.narrate(colorWhite + "You recieve " + colorYellow + item->name + colorWhite + " -- " + colorGreen +
                           item->description + colorWhite,
                       30, 40.0);
        g.player.inventory.add(std::move(item));
    };
    if (!itemReward_.empty()) receive(Item::fromName(itemReward_));
    if (!randomItemReward_.empty())
        receive(Item::random(static_cast<int>(std::trunc(g.player.stats[Level] * 0.1f + g.player.stats[Level]))));
    if (!moneyReward_.empty()) {
        screen.narrate(colorRed + "You get " + moneyReward_ + "*" + colorWhite, 30, 40.0);
        g.player.changeMoney(std::strtoll(moneyReward_.c_str(), nullptr, 10));
    }
    if (!planetToEnable_.empty()) {
        screen.narrate(colorGreen + "You can now go to " + planetToEnable_ + colorWhite, 30, 40.0);
        for (PlanetEntry& entry : g.player.planets)
            if (entry.name == planetToEnable_ || entry.orbited == planetToEnable_) entry.unlocked = true;
    }
    if (experienceReward_ != 0) {
        g.player.stats[Experience] += static_cast<float>(experienceReward_);
        screen.narrate(colorGreen + " You gain " + colorYellow + toText(experienceReward_) + colorGreen +
                           " experience points!" + colorWhite + "\n\n" + " You now have " + colorRed +
                           toText(g.player.stats[Experience]) + colorWhite + " experience.",
                       30, 40.0);
    }
}

void Quest::exitScene() {
    if (itemName_ == "intro") {
        eventDone_ = true;
        completeState();
    }
    if (keyEvent_ == "finish") openScreen(new Credits(this));
    if (!notSkipToDungeon_) openScreen(new Dungeon(parent(), planet_, false, false));
    // Closing what opened the scene, never the title screen at the root.
    auto closeOpener = [this] {
        if (parent() && parent()->parent()) parent()->closeState();
    };
    if (goToTown_) closeOpener();
    if (planetToLoad_.empty()) {
        closeState();
        return;
    }
    closeOpener();
    openScreen(new Town(this, planetToLoad_));
    closeState();
}

}  // namespace orv
