// Everything a space-shooter mission holds while it runs: the player's ship,
// the shot and particle table, the enemy and powerup tables, the boss and
// the progress through the level's waves. All of it is made once per
// mission screen and reused, so nothing is allocated while a mission runs.
#pragma once

#include <array>
#include <string>

namespace orv {

constexpr int kShotSlots = 3000;
constexpr int kEnemySlots = 100;
// Waves fill enemy slots 0..98 in turn; the last slot is never used.
constexpr int kEnemySlotsUsed = 99;
constexpr int kPowerupSlots = 100;
constexpr int kAiSteps = 10;
constexpr int kFiringPoints = 10;
// Wave numbers the level may use; past this the boss decides the mission.
constexpr int kLastWave = 20;
// Every mission must end. A ship that has flown this long (two minutes) has
// either met the player or never will (it sits beyond the field, or cannot
// move) and leaves; the longest-lived ship of our own missions flies about
// 6700 frames, hovering over a pilot who never shoots it.
constexpr int kLongestEnemyFlight = 12000;
// A boss still flying after five minutes cannot be beaten (it never came
// onto the field, or never comes within reach) and withdraws: the mission
// is lost. Our own bosses fall to the test pilot within about 3600 frames.
constexpr int kLongestBossFight = 30000;
// The longest pause after a wave; a longer wait is cut to this.
constexpr int kLongestWaveWait = 3000;

// The play field, in console cells.
constexpr int kFieldWidth = 80;
constexpr int kFieldHeight = 40;
constexpr int kPlayAreaRows = 45;

// Shot and particle kinds the engine gives meaning to.
enum ShotType : int {
    ShotGauss = 0,
    ShotMissile = 5,
    ShotCharge = 6,
    ShotBomb = 7,
    ShotSuperMissile = 8,
    ShotLaser = 11,
    ShotUltraLaser = 12,
    ShotSpent = 13,
    ShotExhaust = 14,
    ShotSpark = 15,  // explosion particle
    ShotStar = 16,
    ShotDustCloud = 17,  // the rarer background objects
    ShotDestroyer = 23,
};

constexpr int kOwnerEnemy = 0;
constexpr int kOwnerPlayer = 1;

struct Shot {
    double x = -100, y = -100, vx = 0, vy = 0, speed = 0;
    int owner = kOwnerEnemy;
    bool particle = false;  // stars, sparks and exhaust: seen, never hit
    int side = 0;  // arcing missiles: +1 flies the upper arc, -1 the lower
    double arcX = 0, arcY = 0;
    int colour = 7;
    int damage = 0;
    int type = ShotSpent;
    int frames = 0;    // frames flown
    int lifetime = 0;  // particles and timed missiles: frames before they go
};

// One scripted movement step of an enemy or of the boss.
struct AiStep {
    int move = 0;
    int fire = 0;
    int fireDelay = 0;
    int bulletType = 0;
    int bulletChar = 0;
    int x = 0, y = 0, z = 0, theta = 0;
    int duration = 0;      // frames left in the step
    int fileDuration = 0;  // the step's length as written (the boss repeats them)
    double speed = 0;      // the boss's own speed in this step
    std::array<int, kFiringPoints> firingPoints{};
};

constexpr int kShipGone = 10;

struct Enemy {
    double x = 0, y = 0, vx = 0, vy = 0, speed = 0;
    int health = 0;
    int type = kShipGone;
    int startTimer = 0;
    int fire = 0, fireDelay = 0, bulletChar = 0, bulletType = 0;
    int frames = 0;
    int age = 0;  // frames flown since it was spawned
    int step = 0;
    int stepCount = 0;  // steps read from the level file (1..9)
    int patrolLeg = 0;  // the next turning point of a patrol loop
    std::array<AiStep, kAiSteps> steps{};
};

enum class PowerupKind { Money, Primary, Secondary, Health, Score };

struct Powerup {
    double x = 0, y = 0;
    bool active = false;
    PowerupKind kind = PowerupKind::Score;
};

struct Boss {
    double x = 0, y = 0, vx = 0, vy = 0;
    int health = 0, score = 0, type = 0, timer = 0;
    int firingPointCount = 0;
    std::array<int, kFiringPoints> firingX{}, firingY{};
    int step = 0;
    int stepCount = 0;
    int frames = 0;
    int patrolLeg = 0;
    std::array<AiStep, kAiSteps> steps{};
};

struct Ship {
    double x = 0, y = 0;
    int armor = 1000;
    int maxArmor = 1000;
    int bombs = 5;
    int score = 0;
    std::string pilot;
};

// Where the mission stands in its level file.
struct LevelProgress {
    int level = 1;
    int wave = 0;
    int lastWave = kLastWave;
    int waveWait = 0;
    std::string waveText;
    std::string wavePortrait;
    bool allWavesLoaded = false;
    bool bossRead = false;
    int bossFrames = 0;  // frames of the boss fight so far
    int nextEnemySlot = 0;
};

}  // namespace orv

namespace orv {

// The whole of a mission's tables, with the writers that fill them.
struct MissionState {
    Ship ship;
    std::array<Shot, kShotSlots> shots{};
    int nextShot = 0;
    std::array<Enemy, kEnemySlots> enemies{};
    int liveEnemies = 0;
    std::array<Powerup, kPowerupSlots> powerups{};
    int nextPowerup = 0;
    Boss boss;
    LevelProgress level;
    int primaryWeapon = 0;
    int secondaryWeapon = -1;
    int primaryCooldown = 0;
    int secondaryCooldown = 0;
    int frame = 0;
    bool won = false;
    bool lost = false;

    // A mission begins: every table emptied, the ship at its start values.
    void reset(int levelNumber, const std::string& pilot);
    // The next slot of the shot table, wrapping round; the caller fills it.
    Shot& spawnShot();
    // Puts a ship into the next enemy slot; returns the slot.
    int spawnEnemy(const Enemy& ship);
    void spawnPowerup(double x, double y, PowerupKind kind);
    // A burst of `count` sparks flying out from (x, y).
    void explode(int count, double x, double y, int colour);
};

}  // namespace orv
