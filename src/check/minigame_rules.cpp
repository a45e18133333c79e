// The space shooter's mission files as the mission reader walks them. The
// reader finds its keys anywhere in a line and follows the file's blocks
// without looking back, so one stray key in a note, a wave left without its
// wait, or a gun index the boss does not have quietly changes the mission:
// waves vanish, ships overwrite each other, the boss never comes or never
// fires. Every mission a quest can open is checked, and the title's own.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "check/data_checker.h"
#include "check/number_rules.h"
#include "core/text.h"
#include "minigame/mission_tables.h"

namespace orv {

namespace {

using check::valueOf;

// Every key the mission reader knows; a line carries the key if it holds
// the text anywhere. The fire delay is matched without its colon.
const char* const kKeys[] = {
    "LEVEL_BEGIN:", "END_ALL_WAVES:", "WAVE_BEGIN:", "WAVE_END:", "WAVE_WAIT_AFTER:", "WAVE_TEXT:",
    "WAVE_PORTRAIT:", "GROUP_BEGIN:", "GROUP_END:", "GROUP_SHIP_NUMBER:", "GROUP_SHIP_HEALTH:",
    "GROUP_SHIP_LOC_X:", "GROUP_SHIP_LOC_Y:", "GROUP_SHIP_INTERVAL:", "GROUP_SHIP_TYPE:", "GROUP_SHIP_TIMER:",
    "GROUP_SHIP_VECTOR_X:", "GROUP_SHIP_VECTOR_Y:", "GROUP_SHIP_SPEED:", "GROUP_SHIP_BCHAR:", "GROUP_SHIP_BTYPE:",
    "GROUP_SHIP_FIRE:", "GROUP_SHIP_FIRE_DELAY:", "START_AI:", "END_AI:", "END_AI_SET:", "AI_MOVE:", "AI_THETA:",
    "AI_X:", "AI_Y:", "AI_Z:", "AI_SPEED:", "AI_AFTER_TIMER:", "AI_FIRE:", "AI_FIRE_DELAY", "AI_BCHAR:",
    "AI_BTYPE:", "AI_FIRING_LOCATION:", "BOSS_BEGIN:", "BOSS_END:", "READ_BOSS_STATS:", "BOSS_TYPE:", "BOSS_X:",
    "BOSS_Y:", "BOSS_VX:", "BOSS_VY:", "BOSS_TIMER:", "BOSS_HEALTH:", "BOSS_SCORE:", "BEGIN_FIRING_LOCATIONS:",
    "FIRING_X:", "FIRING_Y:", "END_FIRING_LOCATIONS:", "BEGIN_AI_SET:"};

const char* const kMissionQuestKey = "QUEST_ROOM_QUORIX_LEVEL:";
constexpr int kTitleMission = 1;            // what the title's hidden command flies
constexpr int kLastWaveBeforeBoss = 19;     // a found wave 20 stops the loading before the boss is let in
constexpr int kShipSlots = 99;              // the enemy table's slots in turn; more at once overwrite ships
constexpr int kGroupSteps = 9;              // an enemy holds its empty first step and nine from the file
constexpr int kBossSteps = 10;
constexpr int kBossGuns = 10;               // firing points, and firing point entries per step
constexpr int kSpentBullet = 13;            // the bullet type that marks a table slot as free
constexpr std::size_t kLongestLine = 1499;  // the reader's line buffer, its end byte included, is 1500
// How far off the field a ship may start or aim: a ship further out takes
// minutes to arrive, if ever.
constexpr int kReach = 100;

bool has(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

// The whole-number conversion the reader uses, held within an int.
int wholeNumber(const std::string& line) {
    const long value = std::strtol(valueOf(line).c_str(), nullptr, 10);
    return int(std::max<long>(INT_MIN, std::min<long>(INT_MAX, value)));
}

class MissionFileChecker {
public:
    MissionFileChecker(DataChecker& checker, std::string file, int mission)
        : checker_(checker), file_(std::move(file)), mission_(mission) {}

    // False when the file could not be read (the problem is reported).
    bool run() {
        std::vector<std::string> lines;
        if (!checker_.readLines(file_, lines)) return false;
        for (std::size_t i = 0; i < lines.size(); ++i) visit(lines[i], int(i + 1));
        if (at_ != At::Outside && at_ != At::Level)
            problem(openedAt_, "the file ends inside this block: the reader runs off the end looking for its close");
        if (at_ == At::Level)
            problem(openedAt_, "the level has no END_ALL_WAVES: the boss block after it is never found");
        finish();
        return true;
    }

private:
    enum class At { Outside, LevelFirstLine, Level, Wave, Group, GroupSet, GroupStep, Boss, BossStats,
                    FiringFirstLine, Firing, BossSet };

    struct Wave {
        int line = 0, number = 0, ships = 0, groupShips = 0, groupSteps = 0;
        bool hasWait = false;
        int wait = 0, waitLine = 0;
    };

    // Where a group's ships start and how fast they fly, as read.
    struct Group {
        int x = 0, y = 0, interval = 0, speedLine = 0;
        double speed = 0;
    };

    // A step's mode and the second point a shuttle flies to.
    struct StepPlace {
        int move = 0, z = 0, theta = 0, zLine = 0, thetaLine = 0;
    };

    void problem(int line, const std::string& message) { checker_.problem(file_, line, message); }

    void visit(const std::string& line, int number) {
        if (line.size() > kLongestLine)
            problem(number, "line of " + toText(int(line.size())) +
                                " bytes: the reader takes 1499 at a time and reads the rest as a line of its own");
        checkKeyText(line, number);
        dispatch(line, number);
    }

    // Notes must not hold key text, and a key line must hold one key only:
    // the reader acts on whatever key text it meets first.
    void checkKeyText(const std::string& line, int number) {
        std::vector<const char*> found;
        bool colonKey = false;
        for (const char* key : kKeys)
            if (has(line, key)) {
                found.push_back(key);
                colonKey = colonKey || std::string(key).back() == ':' || has(line, (std::string(key) + ":").c_str());
            }
        if (found.empty()) return;
        const std::size_t first = line.find_first_not_of(" \t");
        const bool note = (first != std::string::npos && line[first] == '#') || !colonKey;
        if (note)
            problem(number, std::string("this note holds the key text \"") + found[0] +
                                "\": the reader takes the line for that key");
        else if (found.size() > 1)
            problem(number, std::string("this line holds both \"") + found[0] + "\" and \"" + found[1] +
                                "\": the reader acts on only one of them");
    }

    void dispatch(const std::string& line, int number) {
        switch (at_) {
            case At::Outside: outside(line, number); break;
            case At::LevelFirstLine:
                if (const char* key = firstKey(line))
                    problem(number, std::string("the line after LEVEL_BEGIN: is never read: its \"") + key +
                                        "\" is lost (put a note there)");
                at_ = At::Level;
                break;
            case At::Level: level(line, number); break;
            case At::Wave: wave(line, number); break;
            case At::Group: group(line, number); break;
            case At::GroupSet: groupSet(line, number); break;
            case At::GroupStep: groupStep(line, number); break;
            case At::Boss:
                if (has(line, "READ_BOSS_STATS:")) at_ = At::BossStats;
                else if (has(line, "BOSS_END:")) endBoss(number);
                break;
            case At::BossStats: bossStats(line, number); break;
            case At::FiringFirstLine:
                if (const char* key = firstKey(line))
                    problem(number, std::string("the line after BEGIN_FIRING_LOCATIONS: is skipped: its \"") + key +
                                        "\" is lost and the firing points after it shift (put a note there)");
                at_ = At::Firing;
                break;
            case At::Firing: firing(line, number); break;
            case At::BossSet: bossSet(line, number); break;
        }
    }

    static const char* firstKey(const std::string& line) {
        for (const char* key : kKeys)
            if (has(line, key)) return key;
        return nullptr;
    }

    void outside(const std::string& line, int number) {
        if (has(line, "LEVEL_BEGIN:") && wholeNumber(line) == mission_) {
            if (levelLine_) problem(number, "a second section of mission " + toText(mission_) +
                                                ": its waves are read with the first one's (line " +
                                                toText(levelLine_) + ")");
            levelLine_ = levelLine_ ? levelLine_ : number;
            open(At::LevelFirstLine, number);
        } else if (has(line, "BOSS_BEGIN:")) {
            if (bossLine_) {
                problem(number, "only the first boss block (line " + toText(bossLine_) + ") is ever read");
                return;
            }
            bossLine_ = number;
            open(At::Boss, number);
        }
    }

    void level(const std::string& line, int number) {
        if (has(line, "END_ALL_WAVES:")) {
            at_ = At::Outside;
        } else if (has(line, "WAVE_BEGIN:")) {
            wave_ = Wave{number, wholeNumber(line)};
            open(At::Wave, number);
        } else if (const char* key = firstKey(line)) {
            problem(number, std::string("\"") + key + "\" stands between waves, where the reader never looks at it");
        }
    }

    void wave(const std::string& line, int number) {
        if (has(line, "WAVE_END:")) return endWave();
        if (has(line, "END_ALL_WAVES:")) {
            problem(wave_.line, "wave " + toText(wave_.number) + " has no WAVE_END: before END_ALL_WAVES: (line " +
                                    toText(number) + "): the wave reader runs on through the rest of the file");
            endWave();
            at_ = At::Outside;
            return;
        }
        if (has(line, "WAVE_BEGIN:")) {
            problem(wave_.line, "wave " + toText(wave_.number) + " has no WAVE_END: before the next wave (line " +
                                    toText(number) + "): the reader takes both for one");
            endWave();
            level(line, number);
            return;
        }
        if (has(line, "WAVE_WAIT_AFTER:")) {
            wave_.hasWait = true;
            wave_.wait = wholeNumber(line);
            wave_.waitLine = number;
        }
        else if (has(line, "WAVE_PORTRAIT:")) checkPortrait(valueOf(line), number);
        else if (has(line, "GROUP_BEGIN:")) {
            wave_.groupShips = 0;
            group_ = {};
            open(At::Group, number);
        }
    }

    void group(const std::string& line, int number) {
        if (has(line, "GROUP_END:")) {
            endGroup(number);
            wave_.ships += std::max(0, wave_.groupShips);
            wave_.groupSteps = 0;
            open(At::GroupSet, number);
        } else if (has(line, "WAVE_END:")) {
            problem(openedAt_, "the group has no GROUP_END: before the wave's end: its ships are never spawned");
            endWave();
        } else if (has(line, "GROUP_SHIP_NUMBER:")) {
            wave_.groupShips = wholeNumber(line);
        } else if (has(line, "GROUP_SHIP_LOC_X:")) {
            group_.x = place(line, number, "column", kFieldWidth);
        } else if (has(line, "GROUP_SHIP_LOC_Y:")) {
            group_.y = place(line, number, "row", kFieldHeight);
        } else if (has(line, "GROUP_SHIP_INTERVAL:")) {
            group_.interval = wholeNumber(line);
        } else if (has(line, "GROUP_SHIP_SPEED:")) {
            group_.speed = real(line, number, "speed");
            group_.speedLine = number;
        } else if (has(line, "GROUP_SHIP_VECTOR_X:") || has(line, "GROUP_SHIP_VECTOR_Y:")) {
            real(line, number, "vector");
        } else if (has(line, "GROUP_SHIP_BTYPE:")) {
            checkBulletType(line, number);
        }
    }

    void groupSet(const std::string& line, int number) {
        if (has(line, "START_AI:")) {
            if (++wave_.groupSteps == kGroupSteps + 1)
                problem(number, "a tenth flight step: a ship holds nine, and this one overruns it");
            at_ = At::GroupStep;
            step_ = {};
        } else if (has(line, "END_AI_SET:")) {
            at_ = At::Wave;
        } else if (has(line, "GROUP_BEGIN:")) {
            problem(openedAt_, "the group's flight plan has no END_AI_SET: before the next group (line " +
                                   toText(number) + "): that group is read as part of this plan and never spawned");
            at_ = At::Wave;
            wave(line, number);
        } else if (has(line, "WAVE_END:")) {
            problem(openedAt_, "the group's flight plan has no END_AI_SET: before the wave's end: "
                               "the reader takes the rest of the file for it");
            endWave();
        }
    }

    void groupStep(const std::string& line, int number) {
        if (has(line, "END_AI:")) {
            endStep();
            at_ = At::GroupSet;
        } else if (has(line, "END_AI_SET:") || has(line, "WAVE_END:") || has(line, "GROUP_BEGIN:")) {
            problem(number, "the flight step before this line has no END_AI: the reader swallows this line");
            at_ = At::GroupSet;
            groupSet(line, number);
        } else if (has(line, "AI_BTYPE:")) {
            checkBulletType(line, number);
        } else {
            stepPlace(line, number);
        }
    }

    void endWave() {
        if (wave_.number < 1 || wave_.number > kLastWaveBeforeBoss) {
            problem(wave_.line, "wave " + toText(wave_.number) +
                                    (wave_.number < 1 ? ": waves count from 1, so it is never flown"
                                                      : ": waves stop at 19; a wave 20 keeps the boss away for ever "
                                                        "and later ones are never flown"));
        } else if (!waves_.emplace(wave_.number, wave_.line).second) {
            problem(wave_.line, "wave " + toText(wave_.number) + " is written twice (first at line " +
                                    toText(waves_[wave_.number]) + "): both are flown at once");
        }
        if (wave_.wait > kLongestWaveWait)
            problem(wave_.waitLine, "a wait of " + toText(wave_.wait) + " frames after wave " + toText(wave_.number) +
                                        ": the game cuts it to " + toText(kLongestWaveWait));
        if (!wave_.hasWait)
            problem(wave_.line, "wave " + toText(wave_.number) +
                                    " has no WAVE_WAIT_AFTER: the game takes it for missing and ends the waves there");
        if (wave_.ships > kShipSlots)
            problem(wave_.line, "wave " + toText(wave_.number) + " spawns " + toText(wave_.ships) +
                                    " ships: past 99 at once they overwrite each other in the enemy table");
        at_ = At::Level;
    }

    void bossStats(const std::string& line, int number) {
        if (has(line, "BEGIN_FIRING_LOCATIONS:")) {
            at_ = At::FiringFirstLine;
        } else if (has(line, "BOSS_HEALTH:") && wholeNumber(line) < 1) {
            problem(number, "a boss with no health: the mission is won the moment the waves are over");
        } else if (has(line, "BOSS_X:")) {
            bossX_ = place(line, number, "column", kFieldWidth);
        } else if (has(line, "BOSS_Y:")) {
            bossY_ = place(line, number, "row", kFieldHeight);
        } else if (has(line, "BOSS_VX:") || has(line, "BOSS_VY:")) {
            real(line, number, "velocity");
        } else if (has(line, "BOSS_END:")) {
            problem(openedAt_, "the boss block ends before its firing points and flight plan");
            endBoss(number);
        }
    }

    void firing(const std::string& line, int number) {
        if (has(line, "END_FIRING_LOCATIONS:")) {
            at_ = At::BossSet;
            bossStep_ = {};
        } else if (has(line, "FIRING_Y:") && ++firingPoints_ == kBossGuns + 1) {
            problem(number, "an eleventh firing point: the boss holds ten");
        } else if (has(line, "FIRING_X:") || has(line, "FIRING_Y:")) {
            place(line, number, "gun offset", 0);
        }
    }

    void bossSet(const std::string& line, int number) {
        if (has(line, "END_AI_SET:")) {
            at_ = At::Boss;
        } else if (has(line, "BOSS_END:")) {
            problem(openedAt_, "the boss's flight plan has no END_AI_SET: before BOSS_END:");
            endBoss(number);
        } else if (has(line, "END_AI:")) {
            if (++bossSteps_ == kBossSteps + 1) problem(number, "an eleventh boss step: the boss holds ten");
            if (bossStep_.timer > 0) timedBossStep_ = true;
            if (bossStep_.timer > 0 && bossStep_.speed > 0) bossFlies_ = true;
            bossStep_ = {};
            endStep();
        } else if (has(line, "AI_SPEED:")) {
            bossStep_.speed = real(line, number, "speed");
            if (bossStep_.speed < 0) problem(number, "a negative speed: the boss flies away from every point it aims at");
        } else if (has(line, "AI_AFTER_TIMER:")) {
            bossStep_.timer = wholeNumber(line);
        } else if (has(line, "AI_FIRING_LOCATION:")) {
            if (++bossStep_.guns == kBossGuns + 1)
                problem(number, "an eleventh firing point in one step: a step names ten at most");
            guns_.push_back({number, wholeNumber(line)});
        } else if (has(line, "AI_BTYPE:")) {
            checkBulletType(line, number);
        } else {
            stepPlace(line, number);
        }
    }

    void endBoss(int) {
        at_ = At::Outside;
        if (!onField(bossX_, bossY_) && !bossFlies_)
            problem(bossLine_, "the boss starts off the field and no step of it flies (AI_SPEED: above 0): it never "
                               "comes to be fought");
        if (!timedBossStep_)
            problem(bossLine_, "no boss step lasts a frame (AI_AFTER_TIMER: above 0): the boss never finds a step "
                               "to fly");
        for (const auto& [line, index] : guns_)
            if (index < 0 || index >= firingPoints_)
                problem(line, "firing point " + toText(index) + " does not exist: the boss has " +
                                  toText(firingPoints_) + " (counted from 0, after the skipped line)");
    }

    void checkBulletType(const std::string& line, int number) {
        if (wholeNumber(line) == kSpentBullet)
            problem(number, "bullet type 13 marks a spent bullet: these shots vanish the moment they are fired");
    }

    void checkPortrait(const std::string& name, int number) {
        if (name.empty() || !portraits_.insert(name).second) return;
        std::string missing;
        for (const char* frame : {"1.txt", "2.txt", "blink.txt"})
            if (!checker_.fileExists("art/" + name + "/" + frame)) missing += std::string(missing.empty() ? "" : " ") + frame;
        if (!missing.empty())
            problem(number, "portrait \"" + name + "\" lacks " + missing + " under art/" + name +
                                ": the wave's speaker is drawn with a missing file");
    }

    void finish() {
        if (!levelLine_) {
            problem(0, "no LEVEL_BEGIN: " + toText(mission_) + " section: the mission has no waves");
        } else {
            // Waves are loaded 1, 2, 3 ...; the first one missing ends them.
            int expected = 1;
            for (const auto& [number, line] : waves_) {
                if (number != expected) {
                    problem(line, "wave " + toText(number) + " follows wave " + toText(expected - 1) +
                                      ": there is no wave " + toText(expected) + ", so it is never flown");
                    break;
                }
                ++expected;
            }
        }
        if (!bossLine_)
            problem(0, "no BOSS_BEGIN: block after the waves: the mission has no boss to end it");
    }

    void open(At at, int line) {
        at_ = at;
        openedAt_ = line;
    }

    struct BossStep {
        int timer = 0, guns = 0;
        double speed = 0;
    };

    static bool onField(int x, int y) { return x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight; }

    // A column or row as the reader takes it; one further than kReach off
    // the field (`size` cells wide; 0 for an offset) is refused.
    int place(const std::string& line, int number, const std::string& what, int size) {
        const int value = wholeNumber(line);
        if (value < -kReach || value > size + kReach)
            problem(number, what + " " + toText(value) + " lies more than " + toText(kReach) +
                                " cells off the field: ships there take minutes to arrive, if ever");
        return value;
    }

    // A real number as the reader takes it: not a number, infinity and
    // numbers the reader cuts are refused.
    double real(const std::string& line, int number, const std::string& what) {
        const std::string text = valueOf(line);
        const std::optional<double> value = check::numberAsCReads(text);
        if (!value) return 0;
        if (auto why = check::rangeProblem(what, text, *value, -1e6, 1e6, "the game cuts it to that"))
            problem(number, *why);
        return std::isfinite(*value) ? *value : 0;
    }

    // A step's target point (or a circle's radii); a shuttle (mode 2) also
    // flies to (Z, THETA).
    void stepPlace(const std::string& line, int number) {
        if (has(line, "AI_MOVE:")) {
            step_.move = wholeNumber(line);
        } else if (has(line, "AI_X:")) {
            place(line, number, "column", kFieldWidth);
        } else if (has(line, "AI_Y:")) {
            place(line, number, "row", kFieldHeight);
        } else if (has(line, "AI_Z:")) {
            step_.z = wholeNumber(line);
            step_.zLine = number;
        } else if (has(line, "AI_THETA:")) {
            step_.theta = wholeNumber(line);
            step_.thetaLine = number;
        } else if (has(line, "AI_SPEED:")) {
            real(line, number, "speed");
        }
    }

    void endStep() {
        if (step_.move == 2) {
            if (step_.zLine && (step_.z < -kReach || step_.z > kFieldWidth + kReach))
                problem(step_.zLine, "column " + toText(step_.z) + " of the shuttle lies more than " + toText(kReach) +
                                         " cells off the field");
            if (step_.thetaLine && (step_.theta < -kReach || step_.theta > kFieldHeight + kReach))
                problem(step_.thetaLine, "row " + toText(step_.theta) + " of the shuttle lies more than " +
                                             toText(kReach) + " cells off the field");
        }
        step_ = {};
    }

    void endGroup(int number) {
        const int line = group_.speedLine ? group_.speedLine : number;
        if (group_.speed < 0) {
            problem(line, "a negative speed: the group's ships fly away from every point they aim at");
            return;
        }
        const int last = std::max(0, wave_.groupShips - 1);
        const long long lastX = group_.x + static_cast<long long>(last) * group_.interval;
        const long long lastY = group_.y + static_cast<long long>(last) * group_.interval;
        const bool allOnField = onField(group_.x, group_.y) && lastX >= 0 && lastX < kFieldWidth && lastY >= 0 &&
                                lastY < kFieldHeight;
        if (group_.speed == 0 && !allOnField)
            problem(line, "ships of no speed that start off the field never arrive: the wave waits for them");
    }

    DataChecker& checker_;
    std::string file_;
    int mission_;
    At at_ = At::Outside;
    int openedAt_ = 0;
    int levelLine_ = 0, bossLine_ = 0;
    Wave wave_;
    std::map<int, int> waves_;  // wave number -> line of its WAVE_BEGIN:
    int firingPoints_ = 0, bossSteps_ = 0;
    bool timedBossStep_ = false;
    BossStep bossStep_;
    Group group_;
    StepPlace step_;
    int bossX_ = 0, bossY_ = 0;
    bool bossFlies_ = false;
    std::vector<std::pair<int, int>> guns_;  // line, firing point index
    std::set<std::string> portraits_;
};

// The mission number in a file name "quorix/level_<n>.txt"; nothing for
// other names.
std::optional<int> missionOfFile(const std::string& file) {
    const std::string prefix = "quorix/level_";
    if (file.rfind(prefix, 0) != 0 || file.size() <= prefix.size() + 4) return std::nullopt;
    const std::string digits = file.substr(prefix.size(), file.size() - prefix.size() - 4);
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::atoi(digits.c_str());
}

}  // namespace

void DataChecker::checkMinigame() {
    checkPicture("art/quorix/intro.txt", "the mission briefing picture");
    checkPicture("art/quorix/game_over.txt", "the lost-mission picture");

    // Which quest opens each mission, to say so when its file is missing.
    std::map<int, std::string> missions{{kTitleMission, "the title's hidden mission"}};
    for (const std::string& quest : textFilesIn("quests")) {
        std::vector<std::string> lines;
        if (!fileExists(quest) || !readLines(quest, lines)) continue;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!has(lines[i], kMissionQuestKey)) continue;
            const std::string value = valueOf(lines[i].substr(lines[i].find(kMissionQuestKey)));
            const std::optional<double> number = check::numberAsCReads(value);
            if (!number || *number < 1 || *number > 999999 || *number != int(*number)) {
                problem(quest, int(i + 1), "mission \"" + value + "\" is not a mission number: no level file opens");
                continue;
            }
            missions.emplace(int(*number), "opened by " + quest + " line " + toText(int(i + 1)));
        }
    }
    for (const std::string& file : textFilesIn("quorix"))
        if (const auto mission = missionOfFile(file)) missions.emplace(*mission, "");

    for (const auto& [mission, openedBy] : missions) {
        const std::string file = "quorix/level_" + toText(mission) + ".txt";
        if (!MissionFileChecker(*this, file, mission).run() && !openedBy.empty())
            problems_.back().message += ": mission " + toText(mission) + ", " + openedBy;
    }
}

}  // namespace orv
