// The hero: money, the planet list, quest progress and the one-time hints.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/protagonist.h"

namespace orv {

struct PlanetEntry {
    std::string name;     // the station, before the first comma
    std::string orbited;  // the rest of the line: the planet the town is on
    bool unlocked = false;
};

constexpr int kQuestPlanets = 11;
constexpr int kQuestsPerPlanet = 30;
constexpr int kStatesPerQuest = 10;
constexpr int kStartingMoney = 300;
constexpr int kMaxLevel = 100;

enum TutorialHint : int {
    HintIntro = 0,
    HintShop,
    HintDungeon,
    HintSidekick,
    HintInventory,
    HintBattle,
};

using QuestProgress =
    std::array<std::array<std::array<int, kStatesPerQuest>, kQuestsPerPlanet>, kQuestPlanets>;

class Player : public Protagonist {
public:
    Player();

    std::vector<PlanetEntry> planets;
    std::uint32_t tutorialHints = 0xFFFFFFFFu;
    int money = kStartingMoney;
    QuestProgress questProgress{};

    // A new game: name, description, money, quests, planets and hints.
    void resetGame();
    void reset() override;
    void loadPlanetList();

    // Money earned (positive) or paid (negative). The purse holds at most
    // kMoneyLimit either way, so no price, fine or reward can wrap it round.
    void changeMoney(long long amount);
    static constexpr int kMoneyLimit = 2'000'000'000;

    // True the first time hint `n` is asked for in a game.
    bool takeTutorial(int n);

    bool levelUpPending() const;
    // Levels the experience pays for now; the level itself is left as it was.
    int countGainedLevels();

protected:
    std::string learnedSpellPrefix() const override { return "You learned the spell -"; }
    bool alwaysKnows(const std::string& spellName) const override;
};

// The text before the first comma of a planet line (the whole line if none).
std::string planetLineName(const std::string& line);

}  // namespace orv
