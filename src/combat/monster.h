// The opponent of one battle: a random monster of a planet (with a share
// from the monsters met everywhere) or a boss by name, scaled to a level.
#pragma once

#include <string>

#include "data/entity.h"

namespace orv {

class Monster : public Entity {
public:
    Monster() = default;
    // A random monster of `planet` at `level`.
    static Monster random(int level, const std::string& planet);
    // The boss of that name at `level` (found stays false when the boss
    // file does not hold the name).
    static Monster boss(const std::string& bossName, int level);

    void setLevel(float level);

    std::string lowerPart;
    std::string middlePart;
    std::string upperPart;
    std::string weapon;
    std::string weaponType;
    bool isBoss = false;
    std::string planet;
    std::string monsterType;  // "None": never uses a scripted special action
    bool found = true;

    // The 18-field record handed to the battle scripts, and reading its
    // 16 numbers back.
    std::string toRecord() const;
    void fromRecord(std::string record);

private:
    void readRecord(class SimpleFile& file);
};

}  // namespace orv
