// The enemies and the boss: their scripted moves, their shots, and what a
// hit does to them.
#include <algorithm>
#include <cmath>

#include "core/dice.h"
#include "minigame/engine.h"
#include "minigame/engine_math.h"
#include "minigame/sprites.h"

namespace orv {

namespace {

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
        shot.colour = kEnemyShotColour;
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

void Mission::moveEnemies() {
    for (int slot = 0; slot < kEnemySlots; ++slot) {
        Enemy& enemy = state_.enemies[slot];
        if (enemy.type == kShipGone) continue;
        if (++enemy.age > kLongestEnemyFlight) {
            enemy.type = kShipGone;  // it flies off, unseen, and the waves go on
            --state_.liveEnemies;
            continue;
        }
        moveEnemy(enemy);
        if (enemy.type == kShipGone) continue;
        const Figure figure = enemyFigure(enemy.type);
        const int ex = toCell(enemy.x), ey = toCell(enemy.y);
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
    if (++state_.level.bossFrames > kLongestBossFight) {
        state_.lost = true;  // it withdraws unbeaten
        return;
    }
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
    const int bx = toCell(boss.x), by = toCell(boss.y);
    for (int r = 0; r < figure.rowCount; ++r)
        for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
            if (figure.rows[r][c] != ' ' && touchesShip(bx + static_cast<int>(c), by + r)) {
                state_.explode(10, ship.x, ship.y, 12);
                hurtShip(100);
                return;
            }
}

}  // namespace orv
