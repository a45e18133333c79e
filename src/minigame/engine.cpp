// One frame of a space-shooter mission. The order inside a frame matters
// for what overwrites what on the field: background, powerups, shots, the
// ship's move, enemies, the boss; then shots, powerups, ships and the
// player's ship are drawn over one another, and the status lines last.
#include "minigame/engine.h"

#include <algorithm>
#include <cmath>

#include "core/dice.h"
#include "core/screen.h"
#include "data/player.h"
#include "minigame/level_file.h"
#include "minigame/sprites.h"

namespace orv {

namespace {

constexpr double kDegrees = 3.14159265358979 / 180.0;
// The circling enemies were tuned with this value of pi; keeping it keeps
// their circles as the level files expect them.
constexpr double kCirclePi = 3.1459;

struct Point {
    double x, y;
};

constexpr Point kPatrol0[] = {{70, 5}, {50, 10}, {50, 20}, {70, 20}};
constexpr Point kPatrol1[] = {{70, 35}, {50, 30}, {50, 25}, {50, 20}, {70, 20}};
constexpr Point kPatrol7[] = {{70, 5}, {60, 10}, {50, 10}, {50, 20}, {60, 30}, {70, 35}};
constexpr Point kTurningPoint = {50, 20};

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

bool near(double x, double y, Point p) { return std::fabs(x - p.x) <= 0.5 && std::fabs(y - p.y) <= 0.5; }

// Aim the velocity at `p`. A ship that would step past the point this frame
// lands on it instead (a fast ship would otherwise hop round it for ever).
bool steer(double& x, double& y, double& vx, double& vy, double speed, Point p) {
    const double dx = p.x - x, dy = p.y - y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (near(x, y, p) || distance <= std::fabs(speed)) {
        x = p.x;
        y = p.y;
        vx = vy = 0;
        return true;
    }
    vx = dx / distance;
    vy = dy / distance;
    return false;
}

int round(double v) { return static_cast<int>(std::floor(v + 0.5)); }

bool fireDue(int fire, int delay, int frames) { return fire != 0 && delay > 0 && frames % delay == 0; }

template <std::size_t N>
bool patrol(double& x, double& y, double& vx, double& vy, double speed, int& leg, const Point (&points)[N],
            bool& turnedAtFiringPoint) {
    turnedAtFiringPoint = false;
    leg = std::clamp(leg, 0, static_cast<int>(N) - 1);
    if (near(x, y, points[leg]) || steer(x, y, vx, vy, speed, points[leg])) {
        turnedAtFiringPoint = near(x, y, kTurningPoint);
        leg = (leg + 1) % static_cast<int>(N);
        steer(x, y, vx, vy, speed, points[leg]);
        return true;
    }
    return false;
}

}  // namespace

const char* weaponName(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kWeapons))) return "No weapon Selected";
    return kWeapons[index].name;
}

int weaponCooldown(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kWeapons))) return 0;
    return kWeapons[index].cooldown;
}

Mission::Mission(MissionState& state, Screen& screen, Player* player)
    : state_(state), screen_(screen), player_(player) {}

void Mission::begin(int level, const std::string& pilot) {
    state_.reset(level, pilot);
    state_.ship.x = state_.ship.y = 1;
}

// ---- weapons ----

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

void Mission::enemyShot(double x, double y, int pattern, int bulletType) {
    const Ship& ship = state_.ship;
    auto bullet = [&](double fromX, double fromY, double toX, double toY) -> Shot& {
        Shot& shot = state_.spawnShot();
        shot.x = fromX;
        shot.y = fromY;
        const double dx = toX - fromX, dy = toY - fromY;
        const double length = std::sqrt(dx * dx + dy * dy);
        shot.vx = length > 0 ? dx / length : -1;
        shot.vy = length > 0 ? dy / length : 0;
        shot.speed = 1;
        shot.owner = kOwnerEnemy;
        shot.colour = 4;
        shot.damage = 20;
        shot.type = bulletType;
        return shot;
    };
    const double fromX = x - 1;
    switch (pattern) {
        case 1: bullet(fromX, y, ship.x, ship.y); break;
        case 2: bullet(fromX, y, 0, rollDice() % 40); break;
        case 3:
            for (int row = 0; row <= 32; row += 8) bullet(x, y, 0, row);
            break;
        case 4: {
            // Leads with a steady leftward pace and bends to meet the ship's row
            // by the time it reaches the ship's column.
            Shot& shot = bullet(fromX, y, fromX - 1, y);
            shot.vy = std::clamp((ship.y - y) / std::max(1.0, fromX - ship.x), -1.0, 1.0);
            break;
        }
        default: bullet(fromX, y, fromX - 1, y); break;
    }
}

// ---- moving ----

void Mission::moveAndDraw(const HeldKeys& keys, FrameMode mode) {
    for (int y = 0; y < kPlayAreaRows; ++y)
        for (int x = 0; x < kFieldWidth; ++x) screen_.cells()[y * kConsoleWidth + x] = Cell{' ', 0};
    moveBackground();
    movePowerups();
    buildHitGrid();
    moveShots(mode);
    moveShip(keys, mode);
    if (mode == FrameMode::Play) {
        moveEnemies();
        moveBoss();
    }
    drawShots();
    drawPowerups();
    if (mode == FrameMode::Play) {
        drawEnemies();
        drawBoss();
    }
    drawShip();
    drawStatus();
}

void Mission::moveBackground() {
    auto star = [&](int type, int colour, double speed) {
        Shot& shot = state_.spawnShot();
        shot.x = kFieldWidth;
        shot.y = 1 + rollDice() % 38;
        shot.vx = -1;
        shot.speed = speed;
        shot.type = type;
        shot.particle = true;
        shot.colour = colour;
    };
    if (rollDice() % 1000 < 20) star(ShotStar, 8, 1.1);
    if (rollDice() % 1000 < 5) star(ShotStar, 7, 1.1);
    if (rollDice() % 10000 < 8) star(ShotDustCloud, 1, 0.4);
}

void Mission::movePowerups() {
    for (Powerup& powerup : state_.powerups) {
        if (!powerup.active) continue;
        powerup.x -= 0.25;
        if (powerup.x < 0) {
            powerup.active = false;
            continue;
        }
        const int px = round(powerup.x), py = round(powerup.y);
        if (touchesShip(px, py) || touchesShip(px + 1, py) || touchesShip(px, py + 1) ||
            touchesShip(px + 1, py + 1)) {
            takePowerup(powerup);
            powerup.active = false;
        }
    }
}

void Mission::takePowerup(const Powerup& powerup) {
    MissionState& s = state_;
    switch (powerup.kind) {
        case PowerupKind::Money:
            if (player_) player_->changeMoney(static_cast<long long>(player_->stats[Level]) * 50);
            break;
        case PowerupKind::Primary: s.primaryWeapon = std::min(s.primaryWeapon + 1, 4); break;
        case PowerupKind::Secondary:
            if (s.secondaryWeapon < 0) s.secondaryWeapon = 5;
            else if (s.secondaryWeapon == 7) s.secondaryWeapon = 9;  // MegaBombs belong to the bomb key
            else if (s.secondaryWeapon < 10) ++s.secondaryWeapon;
            break;
        case PowerupKind::Health:
            s.ship.armor = std::min(s.ship.maxArmor, s.ship.armor + static_cast<int>(s.ship.maxArmor * 0.1));
            break;
        case PowerupKind::Score: s.ship.score += 100; break;
    }
}

bool Mission::touchesShip(int x, int y) const {
    const int sx = round(state_.ship.x), sy = round(state_.ship.y);
    return x >= sx - 1 && x <= sx + 2 && y >= sy - 1 && y <= sy + 1;
}

bool Mission::bossActive() const {
    return state_.level.allWavesLoaded && state_.level.bossRead && state_.boss.health > 0;
}

void Mission::buildHitGrid() {
    for (auto& row : hitGrid_) std::fill(std::begin(row), std::end(row), short{0});
    auto mark = [&](int x, int y, short value) {
        if (x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight) hitGrid_[y][x] = value;
    };
    for (int slot = 0; slot < kEnemySlots; ++slot) {
        const Enemy& enemy = state_.enemies[slot];
        if (enemy.type == kShipGone) continue;
        const Figure figure = enemyFigure(enemy.type);
        const int ex = round(enemy.x), ey = round(enemy.y);
        for (int r = 0; r < figure.rowCount; ++r)
            for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
                if (figure.rows[r][c] != ' ') mark(ex + static_cast<int>(c), ey + figure.firstRow + r, short(slot + 1));
    }
    if (!bossActive()) return;
    const Figure figure = bossFigure(state_.boss.type);
    const int bx = round(state_.boss.x), by = round(state_.boss.y);
    for (int r = 0; r < figure.rowCount; ++r)
        for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
            if (figure.rows[r][c] != ' ') mark(bx + static_cast<int>(c), by + r, kBossMark);
}

void Mission::moveShots(FrameMode mode) {
    const bool shipsOnField = mode != FrameMode::WaveText;
    for (Shot& shot : state_.shots) {
        if (shot.type == ShotSpent && !shot.particle) continue;
        if (shot.particle) {
            shot.x += shot.vx * shot.speed;
            shot.y += shot.vy * shot.speed;
            if ((shot.lifetime > 0 && --shot.lifetime == 0) || shot.x < -1) shot = Shot{};
            continue;
        }
        const double fromX = shot.x, fromY = shot.y;
        if (shot.owner == kOwnerPlayer) steerShot(shot);
        else {
            shot.x += shot.vx * shot.speed;
            shot.y += shot.vy * shot.speed;
        }
        ++shot.frames;
        // Test every cell the shot passed through, so a fast shot cannot
        // jump over a one-cell ship.
        const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::fabs(shot.x - fromX), std::fabs(shot.y - fromY)))));
        for (int k = 1; k <= steps && shot.type != ShotSpent; ++k) {
            const int cx = round(fromX + (shot.x - fromX) * k / steps);
            const int cy = round(fromY + (shot.y - fromY) * k / steps);
            if (shot.owner == kOwnerEnemy) {
                if (touchesShip(cx, cy)) {
                    state_.explode(10, state_.ship.x, state_.ship.y, 12);
                    shot.type = ShotSpent;
                    hurtShip(shot.damage);
                }
                continue;
            }
            if (!shipsOnField || cx < 0 || cx >= kFieldWidth || cy < 0 || cy >= kFieldHeight) continue;
            const short target = hitGrid_[cy][cx];
            if (target == 0) continue;
            if (shot.type == ShotBomb) {
                bombBlast(cx, cy);
                shot.type = ShotSpent;
                continue;
            }
            state_.explode(10, cx, cy, 14);
            shot.type = ShotSpent;
            if (target == kBossMark) damageBoss(shot.damage);
            else damageEnemy(target - 1, shot.damage);
        }
        if (shot.type == ShotSpent) {
            shot = Shot{};
            continue;
        }
        const bool homing = shot.arcX > 0;
        if (shot.type == ShotBomb && shot.lifetime > 0 && --shot.lifetime == 0) {
            bombBlast(shot.x, shot.y);
            shot = Shot{};
        } else if (homing && shot.lifetime > 0 && shot.frames >= shot.lifetime) {
            state_.explode(6, shot.x, shot.y, 6);
            shot = Shot{};
        } else if (shot.x < (homing ? -20 : -3) || shot.x > (homing ? 100 : 83) || shot.y < (homing ? -20 : -3) ||
                   shot.y > (homing ? 60 : 43)) {
            shot = Shot{};
        }
    }
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

void Mission::damageEnemy(int slot, int damage) {
    Enemy& enemy = state_.enemies[slot];
    if (enemy.type == kShipGone) return;
    enemy.health -= damage;
    if (enemy.health > 0) return;
    state_.ship.score += state_.level.wave * 100;
    if (rollDice() % 100 < 30) {
        const int r = rollDice() % 1000;
        PowerupKind kind = r > 700   ? PowerupKind::Health
                           : r > 500 ? PowerupKind::Score
                           : r > 200 ? PowerupKind::Money
                           : r > 100 ? PowerupKind::Primary
                                     : PowerupKind::Secondary;
        state_.spawnPowerup(enemy.x, enemy.y, kind);
    }
    state_.explode(50, enemy.x, enemy.y, 14);
    enemy.type = kShipGone;
    --state_.liveEnemies;
}

void Mission::damageBoss(int damage) {
    Boss& boss = state_.boss;
    if (boss.health <= 0) return;
    boss.health -= damage;
    if (boss.health > 0) return;
    state_.explode(50, boss.x + kBossWidth / 2.0, boss.y + kBossHeight / 2.0, 12);
    state_.explode(50, boss.x + kBossWidth / 2.0, boss.y + kBossHeight / 2.0, 14);
}

void Mission::hurtShip(int damage) {
    state_.ship.armor -= damage;
    if (state_.ship.armor < 1) state_.lost = true;
}

void Mission::moveShip(const HeldKeys& keys, FrameMode mode) {
    Ship& ship = state_.ship;
    if (keys.right) ship.x += 1;
    if (keys.left) ship.x -= 1;
    if (keys.up) ship.y -= 1;
    if (keys.down) ship.y += 1;
    if (mode == FrameMode::Victory) return;  // free to fly off the field
    ship.x = std::clamp(ship.x, 1.0, 77.0);
    ship.y = std::clamp(ship.y, 1.0, 38.0);
}

void Mission::moveEnemies() {
    for (int slot = 0; slot < kEnemySlots; ++slot) {
        Enemy& enemy = state_.enemies[slot];
        if (enemy.type == kShipGone) continue;
        moveEnemy(enemy);
        if (enemy.type == kShipGone) continue;
        const Figure figure = enemyFigure(enemy.type);
        const int ex = round(enemy.x), ey = round(enemy.y);
        bool rammed = false;
        for (int r = 0; r < figure.rowCount && !rammed; ++r)
            for (std::size_t c = 0; c < figure.rows[r].size() && !rammed; ++c)
                rammed = figure.rows[r][c] != ' ' && touchesShip(ex + static_cast<int>(c), ey + figure.firstRow + r);
        if (!rammed) continue;
        state_.explode(10, state_.ship.x, state_.ship.y, 12);
        state_.ship.armor -= enemy.health;
        enemy.type = kShipGone;
        --state_.liveEnemies;
        if (state_.ship.armor <= 0) state_.lost = true;
    }
}

void Mission::moveEnemy(Enemy& enemy) {
    // Steps run out one after another; the last step written lasts for ever.
    AiStep* step = &enemy.steps[enemy.step];
    if (step->duration > 0) --step->duration;
    if (step->duration <= 0 && enemy.step < enemy.stepCount) {
        ++enemy.step;
        enemy.frames = 0;
        enemy.patrolLeg = 0;
        step = &enemy.steps[enemy.step];
    }
    const Ship& ship = state_.ship;
    bool shoot = false, turned = false;
    auto goneAt = [&](Point target) {
        if (steer(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, target) || enemy.x < 0 || enemy.x > 80 ||
            enemy.y < 0 || enemy.y > 40) {
            enemy.type = kShipGone;
            --state_.liveEnemies;
        }
    };
    switch (step->move) {
        case 0:
            patrol(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, enemy.patrolLeg, kPatrol0, turned);
            shoot = turned && enemy.fire != 0;
            break;
        case 1:
            patrol(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, enemy.patrolLeg, kPatrol1, turned);
            shoot = turned && enemy.fire != 0;
            break;
        case 2: {
            const Point ends[] = {{double(step->x), double(step->y)}, {double(step->z), double(step->theta)}};
            patrol(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, enemy.patrolLeg, ends, turned);
            shoot = fireDue(enemy.fire, enemy.fireDelay, enemy.frames);
            break;
        }
        case 3: {
            const double angle = enemy.frames * 7.5 * enemy.speed * kCirclePi / 180.0;
            enemy.vx = std::sin(angle) * step->x / 2.0;
            enemy.vy = -std::cos(angle) * step->y / 2.0;
            shoot = fireDue(enemy.fire, enemy.fireDelay, enemy.frames);
            break;
        }
        case 4:
            if (steer(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, {double(step->x), double(step->y)})) {
                step->duration = 0;  // the next step begins at once
                if (enemy.step < enemy.stepCount) {
                    ++enemy.step;
                    enemy.frames = 0;
                    enemy.patrolLeg = 0;
                }
            }
            break;
        case 5:
            steer(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, {enemy.x, ship.y});
            shoot = fireDue(enemy.fire, enemy.fireDelay, enemy.frames);
            break;
        case 6: steer(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, {ship.x, ship.y}); break;
        case 7:
            patrol(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, enemy.patrolLeg, kPatrol7, turned);
            shoot = fireDue(enemy.fire, enemy.fireDelay, enemy.frames);
            break;
        case 8:
            if (steer(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, {double(step->x), double(step->y)}))
                shoot = fireDue(enemy.fire, enemy.fireDelay, enemy.frames);
            break;
        case 9: goneAt({double(step->x), double(step->y)}); break;
        case 10: steer(enemy.x, enemy.y, enemy.vx, enemy.vy, enemy.speed, {double(step->x), double(step->y)}); break;
        default: goneAt({-10, 20}); break;
    }
    if (enemy.type == kShipGone) return;
    if (shoot) enemyShot(enemy.x, enemy.y, enemy.bulletChar, enemy.bulletType);
    enemy.x += enemy.vx * enemy.speed;
    enemy.y += enemy.vy * enemy.speed;
    ++enemy.frames;
}

void Mission::moveBoss() {
    if (!bossActive()) return;
    Boss& boss = state_.boss;
    if (boss.timer > 0) {
        --boss.timer;
        return;
    }
    AiStep* step = &boss.steps[boss.step];
    if (step->duration > 0) --step->duration;
    if (step->duration <= 0) {
        // The steps repeat for ever: each spent step gets its time back and
        // the next one with time left takes over. A boss with no step of
        // any length stays where it is in its step instead of spinning.
        const bool anyTimed = std::any_of(boss.steps.begin(), boss.steps.end(),
                                          [](const AiStep& s) { return s.fileDuration > 0; });
        while (anyTimed && boss.steps[boss.step].duration <= 0) {
            boss.steps[boss.step].duration = boss.steps[boss.step].fileDuration;
            boss.step = (boss.step + 1) % kAiSteps;
        }
        if (anyTimed) {
            boss.frames = 0;
            boss.patrolLeg = 0;
        }
        step = &boss.steps[boss.step];
    }
    bool turned = false;
    const Ship& ship = state_.ship;
    const Point target{double(step->x), double(step->y)};
    switch (step->move) {
        case 0: patrol(boss.x, boss.y, boss.vx, boss.vy, step->speed, boss.patrolLeg, kPatrol0, turned); break;
        case 1: patrol(boss.x, boss.y, boss.vx, boss.vy, step->speed, boss.patrolLeg, kPatrol1, turned); break;
        case 2: {
            const Point ends[] = {target, {double(step->z), double(step->theta)}};
            patrol(boss.x, boss.y, boss.vx, boss.vy, step->speed, boss.patrolLeg, ends, turned);
            break;
        }
        case 3: {
            const double angle = boss.frames * 7.5 * step->speed * kCirclePi / 180.0;
            boss.vx = std::sin(angle) * step->x / 2.0;
            boss.vy = -std::cos(angle) * step->y / 2.0;
            break;
        }
        case 5: steer(boss.x, boss.y, boss.vx, boss.vy, step->speed, {boss.x, ship.y - kBossHeight / 2}); break;
        case 6: steer(boss.x, boss.y, boss.vx, boss.vy, step->speed, {ship.x, ship.y}); break;
        case 7: patrol(boss.x, boss.y, boss.vx, boss.vy, step->speed, boss.patrolLeg, kPatrol7, turned); break;
        // Flying off the field would end a ship; a boss stops at its point.
        default: steer(boss.x, boss.y, boss.vx, boss.vy, step->speed, target); break;
    }
    bool shoot = false;
    if (step->fire != 0) {
        if (step->move == 7 || step->move == 8) shoot = step->fireDelay > 0 && step->duration % step->fireDelay == 0;
        else if (step->move == 0 || step->move == 1) shoot = turned;
    }
    if (shoot) {
        for (int index : step->firingPoints) {
            if (index < 0 || index >= boss.firingPointCount) continue;
            enemyShot(boss.x + boss.firingX[index], boss.y + boss.firingY[index], step->bulletChar, step->bulletType);
        }
    }
    if (boss.type != 8) {
        boss.x += boss.vx * step->speed;
        boss.y += boss.vy * step->speed;
    }
    ++boss.frames;
    // Ramming the boss costs armor for every frame of contact.
    const Figure figure = bossFigure(boss.type);
    const int bx = round(boss.x), by = round(boss.y);
    for (int r = 0; r < figure.rowCount; ++r)
        for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
            if (figure.rows[r][c] != ' ' && touchesShip(bx + static_cast<int>(c), by + r)) {
                state_.explode(10, ship.x, ship.y, 12);
                hurtShip(100);
                return;
            }
}

// ---- after the frame ----

bool Mission::afterFrame(bool holdWaves) {
    MissionState& s = state_;
    bool arrived = false;
    if (!holdWaves && s.liveEnemies == 0 && s.level.wave < s.level.lastWave) {
        if (s.level.waveWait < 1) {
            ++s.level.wave;
            const std::string previousText = s.level.waveText;
            s.level.waveText.clear();
            s.level.wavePortrait.clear();
            if (loadWave(s, s.level.level, s.level.wave, &screen_)) {
                arrived = true;
            } else {
                s.level.allWavesLoaded = true;
                s.level.waveText = previousText;
            }
        } else {
            --s.level.waveWait;
        }
    }
    ++s.frame;
    // A level with no boss (a missing or broken file) cannot be won: the
    // mission fails rather than paying out for a fight that never was.
    if (s.level.allWavesLoaded && !s.level.bossRead) s.lost = true;
    if (s.level.bossRead && s.boss.health < 1 && s.level.wave >= s.level.lastWave && s.level.allWavesLoaded) s.won = true;
    if (s.primaryCooldown > 0) --s.primaryCooldown;
    if (s.secondaryCooldown > 0) --s.secondaryCooldown;
    return arrived;
}

void Mission::burstAroundBoss(int firstColour, int secondColour) {
    static constexpr double speeds[] = {1, 1.5, 1.5, 1.3, 1.3, 1.6};
    const double cx = state_.boss.x + kBossWidth / 2.0, cy = state_.boss.y + kBossHeight / 2.0;
    for (int direction = 0; direction < 36; ++direction) {
        const double angle = direction * 10 * kDegrees;
        for (double speed : speeds) {
            Shot& spark = state_.spawnShot();
            spark.x = cx;
            spark.y = cy;
            spark.vx = std::cos(angle);
            spark.vy = std::sin(angle) * 0.5;
            spark.speed = speed;
            spark.type = ShotSpark;
            spark.particle = true;
            spark.colour = rollDice() % 2 ? firstColour : secondColour;
            spark.lifetime = 12 + rollDice() % 10;
        }
    }
}

// ---- drawing ----

void Mission::put(int x, int y, unsigned char ch, int attribute) {
    if (x < 0 || x >= kFieldWidth || y < 0 || y >= kPlayAreaRows) return;
    screen_.cells()[y * kConsoleWidth + x] = Cell{ch, static_cast<std::uint16_t>(attribute)};
}

void Mission::putText(int x, int y, const std::string& text, int attribute) {
    for (std::size_t i = 0; i < text.size(); ++i) put(x + static_cast<int>(i), y, static_cast<unsigned char>(text[i]), attribute);
}

void Mission::drawShots() {
    for (const Shot& shot : state_.shots) {
        if (shot.type == ShotSpent && !shot.particle) continue;
        const unsigned char glyph = shotGlyph(shot.type, shot.owner, shot.particle);
        const int y = round(shot.y);
        if (glyph == 0 || y >= kFieldHeight) continue;
        // Stars keep their own shade; everything else is drawn bright.
        const int attribute = shot.type == ShotStar ? shot.colour : (shot.colour | 8);
        put(round(shot.x), y, glyph, attribute);
        if (shot.type == ShotDustCloud) put(round(shot.x) + 1, y, glyph, attribute);
    }
}

void Mission::drawPowerups() {
    for (const Powerup& p : state_.powerups) {
        if (!p.active || p.y >= kFieldHeight) continue;
        const int x = round(p.x), y = round(p.y);
        unsigned char glyphs[4] = {'$', '$', '$', '$'};
        int attribute = 0xA0;
        switch (p.kind) {
            case PowerupKind::Money: break;
            case PowerupKind::Primary:
                std::fill(std::begin(glyphs), std::end(glyphs), 233);
                attribute = 0xC0;
                break;
            case PowerupKind::Secondary:
                glyphs[0] = 201, glyphs[1] = 187, glyphs[2] = 200, glyphs[3] = 188;
                attribute = 0xD0;
                break;
            case PowerupKind::Health:
                glyphs[0] = 217, glyphs[1] = 192, glyphs[2] = 191, glyphs[3] = 218;
                attribute = 0xF4;
                break;
            case PowerupKind::Score:
                glyphs[0] = '/', glyphs[1] = '\\', glyphs[2] = '\\', glyphs[3] = '/';
                attribute = 0xE0;
                break;
        }
        put(x, y, glyphs[0], attribute);
        put(x + 1, y, glyphs[1], attribute);
        if (y + 1 < kFieldHeight) {
            put(x, y + 1, glyphs[2], attribute);
            put(x + 1, y + 1, glyphs[3], attribute);
        }
    }
}

void Mission::drawEnemies() {
    for (const Enemy& enemy : state_.enemies) {
        if (enemy.type == kShipGone) continue;
        const Figure figure = enemyFigure(enemy.type);
        const int ex = round(enemy.x), ey = round(enemy.y);
        for (int r = 0; r < figure.rowCount; ++r) {
            const int y = ey + figure.firstRow + r;
            if (y < 0 || y >= kFieldHeight) continue;
            for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
                if (figure.rows[r][c] != ' ') put(ex + static_cast<int>(c), y, figure.rows[r][c], 7);
        }
    }
}

void Mission::drawBoss() {
    if (!bossActive()) return;
    const Figure figure = bossFigure(state_.boss.type);
    const int bx = round(state_.boss.x), by = round(state_.boss.y);
    for (int r = 0; r < figure.rowCount; ++r) {
        if (by + r < 0 || by + r >= kFieldHeight) continue;
        for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
            if (figure.rows[r][c] != ' ') put(bx + static_cast<int>(c), by + r, figure.rows[r][c], 7);
    }
}

void Mission::drawShip() {
    Ship& ship = state_.ship;
    const int x = round(ship.x), y = round(ship.y);
    for (int row : {y - 1, y + 1}) {
        if (row < 0 || row >= kFieldHeight) continue;
        put(x - 1, row, '(', 11);
        put(x, row, '=', 12);
        put(x + 1, row, '=', 12);
        put(x + 2, row, '>', 11);
    }
    if (y >= 0 && y < kFieldHeight) put(x, y, 'X', 10);
    if (state_.frame % 5 != 0) return;
    for (int i = 0; i < 10; ++i) {
        Shot& puff = state_.spawnShot();
        puff.x = ship.x - 2;
        puff.y = ship.y + (rollDice() % 3 - 1);
        puff.vx = -0.4;
        puff.vy = (rollDice() % 11 - 5) / 60.0;
        puff.speed = 1 + rollDice() % 3;
        puff.lifetime = 2 + rollDice() % 10;
        puff.type = ShotExhaust;
        puff.particle = true;
        puff.colour = rollDice() % 2 ? 6 : 4;
    }
}

void Mission::drawStatus() {
    const Ship& ship = state_.ship;
    const int green = ship.maxArmor > 0 ? std::clamp(ship.armor * 70 / ship.maxArmor, 0, 70) : 0;
    for (int i = 0; i < 70; ++i) put(5 + i, 41, ' ', i < green ? 0xA0 : 0xC0);
    putText(5, 43, std::string("Weapon: ") + weaponName(state_.primaryWeapon), 15);
    putText(50, 43, "Bombs: " + std::to_string(ship.bombs), 15);
    putText(65, 43, "Score: " + std::to_string(ship.score), 15);
    putText(5, 44, std::string("Weapon: ") + weaponName(state_.secondaryWeapon), 15);
}

}  // namespace orv
