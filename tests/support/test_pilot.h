// A simple pilot for the space shooter that plays from what is on the
// screen, as a player would: it finds its ship, lines up with the nearest
// enemy, steps out of the way of shots coming at it, keeps its distance,
// holds the fire key and drops a bomb into crowds. Used to show that every
// mission can be won, and (doing nothing) that none is won for free.
#pragma once

#include <cstdlib>
#include <vector>

#include "minigame/mission_tables.h"
#include "minigame/sprites.h"
#include "platform/console.h"

namespace orv::test {

class TestPilot {
public:
    // `flying` false: sit still and touch nothing. Either way the pilot
    // gives up with Escape after `patience` frames.
    explicit TestPilot(bool flying = true, long patience = 60000) : flying_(flying), patience_(patience) {}

    std::vector<KeyEvent> operator()(const Cells& cells) {
        std::vector<KeyEvent> keys;
        if (++seen_ > patience_) return {{KeyEscape, true}};
        if (!flying_ || !findShip(cells)) return keys;
        ++frames_;
        look(cells);
        const int targetRow = chooseTargetRow();
        int bestMove = 0;
        double bestCost = 1e9;
        for (int move : {0, -1, +1}) {
            const int row = shipY_ + move;
            if (row < 1 || row > 38) continue;
            const double cost = danger(row) * 100 + (targetRow < 0 ? 0 : std::abs(row - targetRow));
            if (cost < bestCost - 1e-9) {
                bestCost = cost;
                bestMove = move;
            }
        }
        int wantX = 8;
        if (closeAhead_ > 0) wantX = 2;
        hold(keys, KeyUp, bestMove < 0);
        hold(keys, KeyDown, bestMove > 0);
        hold(keys, KeyLeft, shipX_ > wantX);
        hold(keys, KeyRight, shipX_ < wantX);
        hold(keys, KeySpace, true);
        if (crowd_ >= 8 && frames_ - lastBomb_ > 150) {
            lastBomb_ = frames_;
            keys.push_back({'d', true});
            keys.push_back({'d', false});
        }
        return keys;
    }

private:
    struct Spot {
        int x, y;
    };

    static bool inField(int x, int y) { return x >= 0 && x < kConsoleWidth && y >= 0 && y < 40; }
    static const Cell& at(const Cells& cells, int x, int y) { return cells[y * kConsoleWidth + x]; }

    bool findShip(const Cells& cells) {
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < kConsoleWidth; ++x)
                if (at(cells, x, y).ch == 'X' && at(cells, x, y).attr == kShipCockpitColour) {
                    shipX_ = x;
                    shipY_ = y;
                    return true;
                }
        return false;
    }

    // The ship's missiles are grey like the enemies: told apart by shape.
    static bool ownMissile(unsigned char ch) {
        for (int type : {ShotMissile, ShotCharge, ShotSuperMissile, ShotDestroyer})
            if (ch == shotGlyph(type, kOwnerPlayer, false)) return true;
        return false;
    }

    bool inShip(int x, int y) const { return x >= shipX_ - 1 && x <= shipX_ + 2 && y >= shipY_ - 1 && y <= shipY_ + 1; }

    void look(const Cells& cells) {
        shots_.clear();
        enemies_.clear();
        crowd_ = 0;
        closeAhead_ = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < kConsoleWidth; ++x) {
                const Cell& cell = at(cells, x, y);
                if (cell.ch == ' ' || cell.ch == 0 || inShip(x, y)) continue;
                // Enemy fire, and the bright red sparks of a hit, are kept clear of.
                if ((cell.attr == kEnemyShotColour || cell.attr == 12) && x >= shipX_ - 1) shots_.push_back({x, y});
                if (cell.attr == 7 && cell.ch != '.' && !ownMissile(cell.ch)) {
                    enemies_.push_back({x, y});
                    if (x - shipX_ < 30) ++crowd_;
                    if (x - shipX_ < 8 && x >= shipX_ && std::abs(y - shipY_) <= 2) ++closeAhead_;
                }
            }
    }

    int chooseTargetRow() const {
        int best = -1;
        double bestScore = 1e9;
        for (const Spot& e : enemies_) {
            if (e.x <= shipX_ + 2) continue;
            const double score = std::abs(e.y - shipY_) + (e.x - shipX_) / 4.0;
            if (score < bestScore) {
                bestScore = score;
                best = e.y;
            }
        }
        return best;
    }

    double danger(int row) const {
        double total = 0;
        for (const Spot& s : shots_) {
            const int ahead = s.x - shipX_;
            if (ahead < -1 || ahead > 16 || std::abs(s.y - row) > 1) continue;
            total += 1.0 / (1 + std::max(0, ahead));
        }
        for (const Spot& e : enemies_) {
            const int ahead = e.x - shipX_;
            if (ahead >= -2 && ahead <= 6 && std::abs(e.y - row) <= 1) total += 0.5;
        }
        return total;
    }

    void hold(std::vector<KeyEvent>& keys, int key, bool down) {
        bool& held = held_[key == KeySpace ? 4 : key - KeyUp];
        if (held == down) return;
        held = down;
        keys.push_back({key, down});
    }

    bool flying_;
    long patience_;
    long seen_ = 0;
    int shipX_ = 0, shipY_ = 0;
    long frames_ = 0, lastBomb_ = -1000;
    int crowd_ = 0, closeAhead_ = 0;
    std::vector<Spot> shots_, enemies_;
    bool held_[5] = {};
};

}  // namespace orv::test
