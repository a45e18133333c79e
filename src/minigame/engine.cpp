// One frame of a space-shooter mission. The order inside a frame matters
// for what overwrites what on the field: background, powerups, shots, the
// ship's move, enemies, the boss; then shots, powerups, ships and the
// player's ship are drawn over one another, and the status lines last.
// The weapons, the enemies and the boss, and the drawing live beside this
// file (engine_weapons.cpp, engine_enemies.cpp, engine_draw.cpp).
#include "minigame/engine.h"

#include <algorithm>
#include <cmath>

#include "core/dice.h"
#include "core/screen.h"
#include "data/player.h"
#include "minigame/engine_math.h"
#include "minigame/level_file.h"
#include "minigame/sprites.h"

namespace orv {

Mission::Mission(MissionState& state, Screen& screen, Player* player)
    : state_(state), screen_(screen), player_(player) {}

void Mission::begin(int level, const std::string& pilot) {
    state_.reset(level, pilot);
    state_.ship.x = state_.ship.y = 1;
    // Each frame repaints only the field and the status lines; the rows
    // under them would otherwise keep whatever the screen before left in
    // the cells (a failure page's options, the curtain of a battle).
    screen_.clearCells();
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
        const int px = toCell(powerup.x), py = toCell(powerup.y);
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
    const int sx = toCell(state_.ship.x), sy = toCell(state_.ship.y);
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
        const int ex = toCell(enemy.x), ey = toCell(enemy.y);
        for (int r = 0; r < figure.rowCount; ++r)
            for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
                if (figure.rows[r][c] != ' ') mark(ex + static_cast<int>(c), ey + figure.firstRow + r, short(slot + 1));
    }
    if (!bossActive()) return;
    const Figure figure = bossFigure(state_.boss.type);
    const int bx = toCell(state_.boss.x), by = toCell(state_.boss.y);
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
            const int cx = toCell(fromX + (shot.x - fromX) * k / steps);
            const int cy = toCell(fromY + (shot.y - fromY) * k / steps);
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

}  // namespace orv
