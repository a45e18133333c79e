// The mission's field drawn into the screen's cells: shots, powerups,
// enemies, the boss, the player's ship and the status lines under them.
#include <algorithm>
#include <string>

#include "core/dice.h"
#include "core/screen.h"
#include "minigame/engine.h"
#include "minigame/engine_math.h"
#include "minigame/sprites.h"

namespace orv {

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
        const int y = toCell(shot.y);
        if (glyph == 0 || y >= kFieldHeight) continue;
        // Every shot and particle keeps the shade it was made with: dark
        // blue Gauss rounds, dark red enemy fire, grey missiles, dim stars.
        put(toCell(shot.x), y, glyph, shot.colour);
        if (shot.type == ShotDustCloud) put(toCell(shot.x) + 1, y, glyph, shot.colour);
    }
}

void Mission::drawPowerups() {
    for (const Powerup& p : state_.powerups) {
        if (!p.active || p.y >= kFieldHeight) continue;
        const int x = toCell(p.x), y = toCell(p.y);
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
        const int ex = toCell(enemy.x), ey = toCell(enemy.y);
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
    const int bx = toCell(state_.boss.x), by = toCell(state_.boss.y);
    for (int r = 0; r < figure.rowCount; ++r) {
        if (by + r < 0 || by + r >= kFieldHeight) continue;
        for (std::size_t c = 0; c < figure.rows[r].size(); ++c)
            if (figure.rows[r][c] != ' ') put(bx + static_cast<int>(c), by + r, figure.rows[r][c], 7);
    }
}

void Mission::drawShip() {
    Ship& ship = state_.ship;
    const int x = toCell(ship.x), y = toCell(ship.y);
    for (int row : {y - 1, y + 1}) {
        if (row < 0 || row >= kFieldHeight) continue;
        put(x - 1, row, '(', kShipNoseColour);
        put(x, row, '=', kShipHullColour);
        put(x + 1, row, '=', kShipHullColour);
        put(x + 2, row, '>', kShipNoseColour);
    }
    if (y >= 0 && y < kFieldHeight) put(x, y, 'X', kShipCockpitColour);
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
