// A quest scene: the event waiting at a room, a shop, the town or the ship,
// with its narration, boss battle, rewards and where it sends the player
// next. The same screen tells the opening story of a new game.
#pragma once

#include <string>

#include "core/state.h"
#include "world/quest_log.h"

namespace orv {

class Quest : public State {
public:
    Quest(State* parent, const std::string& planet, const std::string& room);
    void Draw() override;
    void Update(const std::string& command) override;

    bool introMode() const { return introMode_; }
    bool eventDone() const { return eventDone_; }
    bool questionShown() const { return questionShown_; }
    const std::string& planet() const { return planet_; }
    bool cutscene() const { return isCutscene(); }
    int questNumber() const { return quest_; }
    int stateNumber() const { return state_; }

    // The opening story as told to this party.
    static std::string openingStory(const std::string& playerName, const std::string& sidekickName);

private:
    void loadQuestEvent(const std::string& room);
    void playOpeningStory();
    void event();
    void giveRewards();
    void completeState();
    void exitScene();
    void replaceWithTown(const std::string& planet);
    void openScreen(State* screen);
    bool isCutscene() const { return itemName_ == "intro" || itemName_ == "spaceship"; }
    std::string sceneArt() const { return "\\quests\\" + planet_ + "\\" + sceneMap_; }

    int quest_ = -1, state_ = -1;
    bool askTownFlag_ = false, returnToTown_ = false, questionShown_ = false;
    bool notSkipToDungeon_ = true, goToTown_ = false, introMode_ = false;
    int questRow_ = -1;
    bool eventDone_ = false;
    int experienceReward_ = 0;
    QuestStates states_{};
    std::string minigame_;
    int minigameLevel_ = 0;
    bool rewardsPending_ = false;
    State* levelUpOpened_ = nullptr;  // the level-up screen this Update opened, if any
    std::string itemReward_, randomItemReward_, moneyReward_, planetToEnable_, bossName_;
    std::string planet_;
    std::string room_;
    std::string sceneName_, sceneMap_, textBefore_, textAfter_, roomDescriptionBefore_, roomDescriptionAfter_;
    std::string itemName_, itemDescriptionBefore_, itemDescriptionAfter_, menuOption_, menuTrigger_;
    std::string keyEvent_, planetToLoad_;
};

}  // namespace orv
