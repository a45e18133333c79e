// The level file reader. Keys are found anywhere in a line and the value is
// whatever follows the line's first colon, so a comment line must never
// carry a key's text; the line after LEVEL_BEGIN: and the one after
// BEGIN_FIRING_LOCATIONS: are never looked at, and our level files keep a
// comment there.
#include "minigame/level_file.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "core/paths.h"
#include "core/screen.h"
#include "core/text.h"

namespace orv {

namespace {

// The reader's line buffer; a longer line ends the file.
constexpr std::size_t kLongestLevelLine = 1499;

class LevelReader {
public:
    explicit LevelReader(std::ifstream& in) : in_(in) {}

    bool next() {
        if (!std::getline(in_, line_) || line_.size() > kLongestLevelLine) return false;
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        return true;
    }
    bool has(const char* key) const { return line_.find(key) != std::string::npos; }
    std::string text() const {
        std::size_t colon = line_.find(':');
        return colon == std::string::npos ? std::string() : line_.substr(colon + 1);
    }
    int number() const {
        // A whole-number reading of the value; absurd numbers are held to
        // what an int holds rather than wrapping.
        long long value = std::strtoll(text().c_str(), nullptr, 10);
        return static_cast<int>(std::clamp<long long>(value, -1000000000LL, 1000000000LL));
    }
    double real() const {
        double value = std::strtod(text().c_str(), nullptr);
        return value == value ? std::clamp(value, -1e6, 1e6) : 0.0;  // NaN reads as 0
    }

private:
    std::ifstream& in_;
    std::string line_;
};

// One movement step's keys; the ones a group and the boss share.
bool readStepKey(const LevelReader& r, AiStep& step) {
    if (r.has("AI_MOVE:")) step.move = r.number();
    else if (r.has("AI_THETA:")) step.theta = r.number();
    else if (r.has("AI_X:")) step.x = r.number();
    else if (r.has("AI_Y:")) step.y = r.number();
    else if (r.has("AI_Z:")) step.z = r.number();
    else if (r.has("AI_SPEED:")) step.speed = r.real();
    else if (r.has("AI_AFTER_TIMER:")) step.duration = step.fileDuration = r.number();
    else if (r.has("AI_FIRE_DELAY")) step.fireDelay = r.number();
    else if (r.has("AI_FIRE:")) step.fire = r.number();
    else if (r.has("AI_BCHAR:")) step.bulletChar = r.number();
    else if (r.has("AI_BTYPE:")) step.bulletType = r.number();
    else return false;
    return true;
}

void readGroupKey(const LevelReader& r, Enemy& ship, int& number, int& locX, int& locY, int& interval) {
    if (r.has("GROUP_SHIP_NUMBER:")) number = r.number();
    else if (r.has("GROUP_SHIP_HEALTH:")) ship.health = r.number();
    else if (r.has("GROUP_SHIP_LOC_X:")) locX = r.number();
    else if (r.has("GROUP_SHIP_LOC_Y:")) locY = r.number();
    else if (r.has("GROUP_SHIP_INTERVAL:")) interval = r.number();
    else if (r.has("GROUP_SHIP_TYPE:")) ship.type = r.number();
    else if (r.has("GROUP_SHIP_TIMER:")) ship.startTimer = r.number();
    else if (r.has("GROUP_SHIP_VECTOR_X:") || r.has("GROUP_SHIP_VECTOR_Y:")) return;  // never used
    else if (r.has("GROUP_SHIP_SPEED:")) ship.speed = r.real();
    else if (r.has("GROUP_SHIP_BCHAR:")) ship.bulletChar = r.number();
    else if (r.has("GROUP_SHIP_BTYPE:")) ship.bulletType = r.number();
    else if (r.has("GROUP_SHIP_FIRE_DELAY:")) ship.fireDelay = r.number();
    else if (r.has("GROUP_SHIP_FIRE:")) ship.fire = r.number();
}

void readGroup(LevelReader& r, MissionState& state) {
    Enemy ship;
    ship.type = 0;
    int number = 0, locX = 0, locY = 0, interval = 0;
    while (r.next() && !r.has("GROUP_END:")) readGroupKey(r, ship, number, locX, locY, interval);
    if (ship.type == kShipGone) ship.type = 0;  // "gone" is not a ship one can spawn
    // The table holds 99 ships at a time; a bigger group would only
    // overwrite its own first ships.
    number = std::clamp(number, 0, kEnemySlotsUsed);
    const int firstSlot = state.level.nextEnemySlot;
    for (int i = 0; i < number; ++i) {
        Enemy placed = ship;
        placed.x = locX + static_cast<double>(i) * interval;
        placed.y = locY + static_cast<double>(i) * interval;
        state.spawnEnemy(placed);
    }
    // The group's movement steps; step 0 stays the empty step of no
    // duration, so the first written step starts on the ship's first frame.
    std::array<AiStep, kAiSteps> steps{};
    int count = 0;
    while (r.next() && !r.has("END_AI_SET:")) {
        if (!r.has("START_AI:")) continue;
        AiStep step;
        while (r.next() && !r.has("END_AI:")) readStepKey(r, step);
        if (count + 1 < kAiSteps) steps[++count] = step;
    }
    for (int i = 0; i < number; ++i) {
        Enemy& placed = state.enemies[(firstSlot + i) % kEnemySlotsUsed];
        placed.steps = steps;
        placed.stepCount = count;
    }
}

bool readWave(LevelReader& r, MissionState& state) {
    bool found = false;
    while (r.next() && !r.has("WAVE_END:")) {
        if (r.has("WAVE_WAIT_AFTER:")) {
            state.level.waveWait = std::min(r.number(), kLongestWaveWait);
            found = true;
        } else if (r.has("WAVE_TEXT:")) {
            state.level.waveText = r.text();
        } else if (r.has("WAVE_PORTRAIT:")) {
            state.level.wavePortrait = r.text();
        } else if (r.has("GROUP_BEGIN:")) {
            readGroup(r, state);
        }
    }
    return found;
}

void readBossValues(LevelReader& r, Boss& boss) {
    while (r.next() && !r.has("BEGIN_FIRING_LOCATIONS:")) {
        if (r.has("BOSS_TYPE:")) boss.type = r.number();
        else if (r.has("BOSS_X:")) boss.x = r.number();
        else if (r.has("BOSS_Y:")) boss.y = r.number();
        else if (r.has("BOSS_VX:")) boss.vx = r.real();
        else if (r.has("BOSS_VY:")) boss.vy = r.real();
        else if (r.has("BOSS_TIMER:")) boss.timer = r.number();
        else if (r.has("BOSS_HEALTH:")) boss.health = r.number();
        else if (r.has("BOSS_SCORE:")) boss.score = r.number();
    }
    r.next();  // the line after BEGIN_FIRING_LOCATIONS: is never looked at
    int point = 0;
    while (r.next() && !r.has("END_FIRING_LOCATIONS:")) {
        if (point >= kFiringPoints) continue;
        if (r.has("FIRING_X:")) {
            boss.firingX[point] = r.number();
        } else if (r.has("FIRING_Y:")) {
            boss.firingY[point] = r.number();
            ++point;
        }
    }
    boss.firingPointCount = point;
}

void readBossSteps(LevelReader& r, Boss& boss) {
    int count = 0;
    int points = 0;
    AiStep step;
    step.firingPoints.fill(-1);
    while (r.next() && !r.has("END_AI_SET:")) {
        if (r.has("AI_FIRING_LOCATION:")) {
            if (points < kFiringPoints) step.firingPoints[points++] = r.number();
        } else if (r.has("END_AI:")) {
            if (count < kAiSteps) boss.steps[count++] = step;
            step = AiStep{};
            step.firingPoints.fill(-1);
            points = 0;
        } else {
            readStepKey(r, step);
        }
    }
    for (int i = count; i < kAiSteps; ++i) {
        boss.steps[i] = AiStep{};
        boss.steps[i].firingPoints.fill(-1);
    }
    boss.stepCount = count;
}

void readBoss(LevelReader& r, Boss& boss) {
    while (r.next() && !r.has("BOSS_END:")) {
        if (r.has("READ_BOSS_STATS:")) readBossValues(r, boss);
        else if (r.has("BEGIN_AI_SET:")) readBossSteps(r, boss);
    }
}

}  // namespace

std::string levelFileName(int level) { return "quorix\\level_" + std::to_string(level) + ".txt"; }

bool loadWave(MissionState& state, int level, int wave, Screen* messages) {
    std::ifstream in = openDataFile(levelFileName(level));
    if (!in) {
        if (messages) messages->addMessage("unable to open file");
        return false;
    }
    LevelReader r(in);
    bool found = false;
    while (r.next()) {
        if (r.has("LEVEL_BEGIN:") && r.number() == level) {
            r.next();  // the line after LEVEL_BEGIN: is never a wave
            while (r.next() && !r.has("END_ALL_WAVES:"))
                if (r.has("WAVE_BEGIN:") && r.number() == wave) found = readWave(r, state) || found;
            continue;
        }
        if (!state.level.bossRead && r.has("BOSS_BEGIN:")) {
            readBoss(r, state.boss);
            state.level.bossRead = true;
        }
    }
    return found;
}

}  // namespace orv
