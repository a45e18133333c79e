// The hero's own data.
#include "data/player.h"
#include "data/level_up.h"

#include <algorithm>

#include <fstream>

#include "core/paths.h"

namespace orv {

namespace {
const char* const kPlayerDescription = "YOU ARE A BUM, WHY DO YOU SUCK SO MUCH?";
constexpr std::size_t kPlanetLineLimit = 500;
}  // namespace

std::string planetLineName(const std::string& line) { return line.substr(0, line.find(',')); }

Player::Player() {
    name = "Player";
    description = kPlayerDescription;
}

void Player::reset() {
    Protagonist::reset();
    name = "Player";
}

void Player::resetGame() {
    name = "Player";
    description = kPlayerDescription;
    money = kStartingMoney;
    questProgress = QuestProgress{};
    loadPlanetList();
    tutorialHints = 0xFFFFFFFFu;
}

void Player::loadPlanetList() {
    planets.clear();
    std::ifstream file = openDataFile("planets\\Planet List.txt", std::ios::in | std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kPlanetLineLimit - 1) line.resize(kPlanetLineLimit - 1);
        const std::size_t comma = line.find(',');
        PlanetEntry entry;
        entry.name = line.substr(0, comma);
        entry.orbited = comma == std::string::npos ? "" : line.substr(comma + 1);
        entry.unlocked = planets.empty();  // only the first destination is open
        planets.push_back(entry);
    }
}

bool Player::takeTutorial(int n) {
    if (n < 0 || n > 31) return false;
    const std::uint32_t bit = 1u << n;
    if (!(tutorialHints & bit)) return false;
    tutorialHints &= ~bit;
    return true;
}

void Player::changeMoney(long long amount) {
    constexpr long long kLargestStep = 2LL * kMoneyLimit;  // keeps the sum itself from overflowing
    const long long step = std::clamp(amount, -kLargestStep, kLargestStep);
    money = static_cast<int>(std::clamp<long long>(money + step, -kMoneyLimit, kMoneyLimit));
}

bool Player::levelUpPending() const { return levelUpDue(stats[Level], stats[Experience]); }

int Player::countGainedLevels() { return levelsGained(stats[Level], stats[Experience]); }

bool Player::alwaysKnows(const std::string& spellName) const {
    return spellName == "Fireball" || spellName == "Lesser Healing";
}

}  // namespace orv
