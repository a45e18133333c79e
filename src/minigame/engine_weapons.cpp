// The player's weapons: what each one fires, the missiles that loop and
// then chase, and the bomb's blast.
#include <algorithm>
#include <cmath>

#include "core/dice.h"
#include "minigame/engine.h"
#include "minigame/engine_math.h"
#include "minigame/sprites.h"

namespace orv {

namespace {

struct WeaponInfo {
    const char* name;
    int cooldown;
};

constexpr WeaponInfo kWeapons[] = {
    {"Gauss Blaster", 5},   {"Gauss SpreadShot", 5}, {"Gauss Ultra-SpreadShot", 5},
    {"Laser", 0},           {"Ultra Laser", 0},      {"Dual Antimatter Flux Missiles", 10},
    {"Antimatter Charge", 10}, {"Metal Storm", 10},  {"MegaBombs", 40},
    {"Super Missiles", 10}, {"Destroyers", 30},
};
constexpr int kBombWeapon = 8;
constexpr int kArcFrames = 22;
constexpr int kBombFuse = 40;
constexpr double kBombRadius = 7;
constexpr int kBombDamage = 600;

}  // namespace

const char* weaponName(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kWeapons))) return "No weapon Selected";
    return kWeapons[index].name;
}

int weaponCooldown(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kWeapons))) return 0;
    return kWeapons[index].cooldown;
}

void Mission::fireWeapons(HeldKeys& keys) {
    MissionState& s = state_;
    if (keys.fire) {
        if (s.primaryCooldown == 0) {
            fireWeapon(s.primaryWeapon);
            s.primaryCooldown = weaponCooldown(s.primaryWeapon);
        }
        if (s.secondaryCooldown == 0 && s.secondaryWeapon >= 0) {
            fireWeapon(s.secondaryWeapon);
            s.secondaryCooldown = weaponCooldown(s.secondaryWeapon);
        }
    }
    if (keys.bomb) {
        keys.bomb = false;
        if (s.ship.bombs > 0 && s.secondaryCooldown == 0) {
            fireWeapon(kBombWeapon);
            s.secondaryCooldown = weaponCooldown(kBombWeapon);
            --s.ship.bombs;
        }
    }
}

void Mission::fireWeapon(int index) {
    const Ship& ship = state_.ship;
    auto bullet = [&](double x, double y, double vy, int type, int colour, double speed, int damage) -> Shot& {
        Shot& shot = state_.spawnShot();
        shot.x = x;
        shot.y = y;
        shot.vx = 1;
        shot.vy = vy;
        shot.speed = speed;
        shot.owner = kOwnerPlayer;
        shot.type = type;
        shot.colour = colour;
        shot.damage = damage;
        return shot;
    };
    const double x = ship.x, y = ship.y, below = ship.y + 1;
    switch (index) {
        case 0: bullet(x, y, 0, ShotGauss, 1, 2, 100); break;
        case 1:
            bullet(x, y, 0.1, ShotGauss, 1, 2, 100);
            bullet(x, y, 0, ShotGauss, 1, 2, 100);
            bullet(x, below, -0.1, ShotGauss, 1, 2, 100);
            break;
        case 2:
            bullet(x, y, 0.2, ShotGauss, 1, 2, 100);
            bullet(x, y, 0.1, ShotGauss, 1, 2, 100);
            bullet(x, y, 0, ShotGauss, 1, 2, 100);
            bullet(x, below, -0.1, ShotGauss, 1, 2, 100);
            bullet(x, below, -0.2, ShotGauss, 1, 2, 100);
            break;
        case 3:
            for (int i = 0; i < 5; ++i) bullet(x + i, y, 0, ShotLaser, 6, 5, 20);
            break;
        case 4: {
            const int colours[] = {4, 6, 1};
            for (int i = 0; i < 3; ++i) bullet(x + i, y, 0, ShotUltraLaser, colours[i], 2, 40);
            break;
        }
        case 5:
            fireArc(ShotMissile, 7, 100, y, 8, 2, +1, 3, 0);
            fireArc(ShotMissile, 7, 100, below, 8, 2, -1, 3, 0);
            break;
        case 6:
            fireArc(ShotCharge, 7, 100, y, 4, 4, +1, 1, 0);
            fireArc(ShotCharge, 7, 100, below, 4, 4, -1, 1, 0);
            break;
        case 7: {
            const double arcs[5][2] = {{12, 5}, {10, 4}, {8, 3}, {4, 2}, {1, 1}};
            for (const auto& arc : arcs) fireArc(ShotMissile, 7, 100, y, arc[0], arc[1], +1, 3, 0);
            for (int i = 4; i >= 0; --i) fireArc(ShotMissile, 7, 100, below, arcs[i][0], arcs[i][1], -1, 3, 0);
            break;
        }
        case kBombWeapon: {
            Shot& bomb = bullet(x + 1, y, 0, ShotBomb, 3, 2, kBombDamage);
            bomb.vx = 0.5;
            bomb.lifetime = kBombFuse;
            break;
        }
        case 9:
            fireArc(ShotSuperMissile, 7, 100, y, 4, 2, +1, 3, 40 + rollDice() % 50);
            fireArc(ShotSuperMissile, 7, 100, below, 4, 2, -1, 3, 40 + rollDice() % 50);
            break;
        case 10:
            fireArc(ShotDestroyer, 7, 1000, y, 5, 2, +1, 3, 0);
            fireArc(ShotDestroyer, 7, 1000, below, 5, 2, -1, 3, 0);
            break;
        default: break;
    }
}

// A missile that first loops along its arc, then chases the nearest ship.
void Mission::fireArc(int type, int colour, int damage, double row, double arcX, double arcY, int side,
                      double homingSpeed, int lifetime) {
    Shot& shot = state_.spawnShot();
    shot.x = state_.ship.x;
    shot.y = row;
    shot.owner = kOwnerPlayer;
    shot.type = type;
    shot.colour = colour;
    shot.damage = damage;
    shot.arcX = arcX;
    shot.arcY = arcY;
    shot.side = side;
    shot.speed = homingSpeed;
    shot.vx = 1;
    shot.lifetime = lifetime;
}

// Player shots: straight ones fly on; missiles loop along their arc, then
// chase the nearest ship (or fly on when there is none).
void Mission::steerShot(Shot& shot) {
    if (shot.arcX <= 0) {
        shot.x += shot.vx * shot.speed;
        shot.y += shot.vy * shot.speed;
        return;
    }
    if (shot.frames < kArcFrames) {
        const double angle = (shot.frames - 180) * 16 * kDegrees;
        shot.x += -std::cos(angle) * 4 * shot.arcX * 0.1;
        shot.y += (shot.side > 0 ? -1 : 1) * std::sin(angle) * 4 * shot.arcY * 0.1;
        return;
    }
    double bestDistance = 1e18, tx = shot.x + 10, ty = shot.y;
    auto consider = [&](double x, double y) {
        const double d = (x - shot.x) * (x - shot.x) + (y - shot.y) * (y - shot.y);
        if (d < bestDistance) {
            bestDistance = d;
            tx = x;
            ty = y;
        }
    };
    for (const Enemy& enemy : state_.enemies)
        if (enemy.type != kShipGone && enemy.x < kFieldWidth) consider(enemy.x, enemy.y);
    if (bossActive()) consider(state_.boss.x + kBossWidth / 2.0, state_.boss.y + kBossHeight / 2.0);
    const double dx = tx - shot.x, dy = ty - shot.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length > 0) {
        shot.vx = dx / length;
        shot.vy = dy / length;
    }
    shot.x += shot.vx * shot.speed;
    shot.y += shot.vy * shot.speed;
}

void Mission::bombBlast(double x, double y) {
    state_.explode(40, x, y, 14);
    for (int slot = 0; slot < kEnemySlots; ++slot) {
        const Enemy& enemy = state_.enemies[slot];
        if (enemy.type != kShipGone && std::hypot(enemy.x - x, (enemy.y - y) * 2) <= kBombRadius)
            damageEnemy(slot, kBombDamage);
    }
    if (bossActive() &&
        std::hypot(state_.boss.x + kBossWidth / 2.0 - x, (state_.boss.y + kBossHeight / 2.0 - y) * 2) <=
            kBombRadius + kBossWidth / 2.0)
        damageBoss(kBombDamage);
    // The blast also sweeps enemy shots out of the air.
    for (Shot& shot : state_.shots)
        if (!shot.particle && shot.owner == kOwnerEnemy && shot.type != ShotSpent &&
            std::hypot(shot.x - x, (shot.y - y) * 2) <= kBombRadius * 2)
            shot = Shot{};
}

}  // namespace orv
