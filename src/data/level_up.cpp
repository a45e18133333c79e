// Level-up increments.
#include "data/level_up.h"

#include <cmath>

namespace orv {

namespace {
void addToDefences(StatBlock& block, float amount) {
    block[LowDefence] += amount;
    block[MidDefence] += amount;
    block[HighDefence] += amount;
}
}  // namespace

StatBlock playerLevelIncrements(LevelChoice choice) {
    StatBlock up;
    switch (choice) {
        case LevelChoice::Deadlier:
            up[Attack] += 4;
            up[MaxHP] += 10;
            break;
        case LevelChoice::Quicker:
            up[Speed] += 4;
            up[MaxHP] += 5;
            up[MaxMP] += 5;
            break;
        case LevelChoice::Wiser:
            up[Magic] += 4;
            up[MaxMP] += 10;
            break;
        case LevelChoice::Tougher:
            addToDefences(up, 4);
            up[MaxHP] += 10;
            break;
        case LevelChoice::Better:
            up[Attack] += 1.5f;
            up[Magic] += 1.5f;
            up[Speed] += 1.5f;
            addToDefences(up, 1.5f);
            up[MaxHP] += 7.5f;
            up[MaxMP] += 2.5f;
            break;
    }
    up[MaxHP] += 20;
    up[MaxMP] += 10;
    return up;
}

StatBlock sidekickLevelIncrements(const std::string& type) {
    struct Growth {
        const char* className;
        float attack, magic, speed, defence, maxHP, maxMP;
    };
    static constexpr Growth table[] = {
        {"Fighter", 2.25f, 0, 0.75f, 1.5f, 10, 0},
        {"Mage", 0.375f, 2.25f, 0.75f, 1.125f, 2.5f, 7.5f},
        {"Rogue", 1.5f, 0.375f, 1.875f, 0.75f, 7.5f, 2.5f},
        {"Outlaw", 1.125f, 1.125f, 1.125f, 1.125f, 5, 5},
    };
    StatBlock up;
    for (const Growth& growth : table) {
        if (type != growth.className) continue;
        up[Attack] = growth.attack;
        up[Magic] = growth.magic;
        up[Speed] = growth.speed;
        addToDefences(up, growth.defence);
        up[MaxHP] = growth.maxHP;
        up[MaxMP] = growth.maxMP;
    }
    up[MaxHP] += 10;
    up[MaxMP] += 5;
    return up;
}

bool levelUpDue(float level, float experience) {
    if (!std::isfinite(level) || !std::isfinite(experience) || level < 0) return false;
    return experience - (level + 1) * 10000.0f >= 0 && level < kLevelCap;
}

int levelsGained(float level, float experience) {
    // From a level of 0 or more, each step adds one and the cap stops it
    // within kLevelCap steps; levelUpDue refuses everything else.
    int gained = 0;
    while (gained < static_cast<int>(kLevelCap) && levelUpDue(level + static_cast<float>(gained), experience))
        ++gained;
    return gained;
}

int spellRankForLevel(int level) { return level < 1 ? 0 : 1 + (level - 1) / 14; }

}  // namespace orv
