// The rules of a space-shooter mission, one frame at a time: weapons,
// movement, enemy scripts, the boss, hits, powerups, waves, and the
// drawing of the field into the screen's cells. Pacing and keys belong to
// the mission screen (Editor); this part never waits and never reads input,
// so tests and the test pilot can step it frame by frame.
#pragma once

#include <string>

#include "minigame/mission_tables.h"

namespace orv {

class Player;
class Screen;

// Keys held down this frame.
struct HeldKeys {
    bool up = false, down = false, left = false, right = false;
    bool fire = false;
    bool bomb = false;  // a press: taken by the frame that sees it
    bool f = false;
};

// How the frame is drawn and what moves in it.
enum class FrameMode {
    Play,      // everything
    WaveText,  // a wave's text is being typed: the enemies and the boss wait unseen
    Victory,   // the boss is gone: the ship may fly off the field
};

const char* weaponName(int index);
int weaponCooldown(int index);

class Mission {
public:
    // `player` receives the money powerups (none in tests that pass null).
    Mission(MissionState& state, Screen& screen, Player* player);

    MissionState& state() { return state_; }

    void begin(int level, const std::string& pilot);

    // Fire held weapons and take a bomb press.
    void fireWeapons(HeldKeys& keys);
    // Move everything, test hits, and draw the field and the status lines.
    void moveAndDraw(const HeldKeys& keys, FrameMode mode);
    // After the frame's wait: the next wave when the field is clear, the
    // frame count, the win, the cooldowns. Returns true when a wave has
    // just arrived (its text is to be shown).
    bool afterFrame(bool holdWaves);

    // One ring of sparks round the boss (the victory fireworks).
    void burstAroundBoss(int firstColour, int secondColour);

private:
    // The player's weapons (engine_weapons.cpp).
    void fireWeapon(int index);
    void fireArc(int type, int colour, int damage, double row, double arcX, double arcY, int side,
                 double homingSpeed, int lifetime);
    void steerShot(Shot& shot);
    void bombBlast(double x, double y);

    // The enemies and the boss (engine_enemies.cpp).
    void enemyShot(double x, double y, int pattern, int bulletType);
    void moveEnemies();
    void moveEnemy(Enemy& enemy);
    void moveBoss();
    void damageEnemy(int slot, int damage);
    void damageBoss(int damage);

    // The frame's moves and hits (engine.cpp).
    void moveBackground();
    void movePowerups();
    void moveShots(FrameMode mode);
    void moveShip(const HeldKeys& keys, FrameMode mode);
    void hurtShip(int damage);
    void takePowerup(const Powerup& powerup);
    bool touchesShip(int x, int y) const;
    bool bossActive() const;
    void buildHitGrid();

    // The drawing (engine_draw.cpp).
    void drawShots();
    void drawPowerups();
    void drawEnemies();
    void drawBoss();
    void drawShip();
    void drawStatus();
    void put(int x, int y, unsigned char ch, int attribute);
    void putText(int x, int y, const std::string& text, int attribute);

    MissionState& state_;
    Screen& screen_;
    Player* player_;
    // Which ship is in each field cell this frame (slot + 1; the boss is
    // kBossMark), so a shot's path is tested against the field in one pass.
    static constexpr short kBossMark = 1000;
    short hitGrid_[kFieldHeight][kFieldWidth] = {};
};

}  // namespace orv
