// The writers of a mission's tables.
#include "minigame/mission_tables.h"

#include <cmath>

#include "core/dice.h"

namespace orv {

void MissionState::reset(int levelNumber, const std::string& pilot) {
    ship = Ship{};
    ship.pilot = pilot;
    shots.fill(Shot{});  // off the field and spent
    nextShot = 0;
    enemies.fill(Enemy{});
    liveEnemies = 0;
    powerups.fill(Powerup{});
    nextPowerup = 0;
    boss = Boss{};
    for (AiStep& step : boss.steps) step.firingPoints.fill(-1);
    level = LevelProgress{};
    level.level = levelNumber;
    primaryWeapon = 0;
    secondaryWeapon = -1;
    primaryCooldown = secondaryCooldown = 0;
    frame = 0;
    won = lost = false;
}

Shot& MissionState::spawnShot() {
    if (++nextShot >= kShotSlots) nextShot = 0;
    Shot& shot = shots[nextShot];
    shot = Shot{};
    return shot;
}

int MissionState::spawnEnemy(const Enemy& ship) {
    const int slot = level.nextEnemySlot;
    level.nextEnemySlot = (slot + 1) % kEnemySlotsUsed;
    // A ship still flying in a reused slot is replaced, not counted twice.
    if (enemies[slot].type == kShipGone) ++liveEnemies;
    enemies[slot] = ship;
    enemies[slot].step = 0;
    enemies[slot].frames = 0;
    enemies[slot].age = 0;
    enemies[slot].patrolLeg = 0;
    return slot;
}

void MissionState::spawnPowerup(double x, double y, PowerupKind kind) {
    if (++nextPowerup >= kPowerupSlots) nextPowerup = 0;
    powerups[nextPowerup] = Powerup{x, y, true, kind};
}

void MissionState::explode(int count, double x, double y, int colour) {
    for (int i = 0; i < count; ++i) {
        Shot& spark = spawnShot();
        const double angle = (rollDice() % 360) * 3.14159265358979 / 180.0;
        spark.x = x;
        spark.y = y;
        spark.vx = std::cos(angle);
        spark.vy = std::sin(angle) * 0.5;  // cells are twice as tall as wide
        spark.speed = 0.2 + (rollDice() % 8) / 10.0;
        spark.type = ShotSpark;
        spark.particle = true;
        spark.colour = colour;
        spark.lifetime = 5 + rollDice() % 15;
    }
}

}  // namespace orv
