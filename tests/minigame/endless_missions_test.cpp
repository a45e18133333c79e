// Missions that would never end: level files a player wrote or was handed,
// with ships that cannot reach the field or cannot move, bosses that never
// come, waits of billions and keys left out. Each of them ends, whether the
// pilot sits still or fires all the time; the content check refuses the
// numbers behind them; and a replay whose keys run out leaves its mission.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

#include "app/run.h"
#include "check/data_checker.h"
#include "core/dice.h"
#include "minigame/engine.h"
#include "screens/splash.h"
#include "support/test_pilot.h"
#include "support/test_world.h"

namespace orv {
namespace {

// ---- writing hostile level files ----

struct GroupSpec {
    std::string number = "3", health = "100", x = "85", y = "20", interval = "3", speed = "0.2";
    std::string type = "1", fire = "1", fireDelay = "40", bchar = "1", btype = "1";
    std::vector<std::string> steps;  // each the lines between START_AI: and END_AI:
    bool writeAllKeys = true;
};

struct BossSpec {
    std::string x = "62", y = "16", health = "400", timer = "10", type = "1";
    std::vector<std::string> steps = {"AI_MOVE: 8\nAI_X: 60\nAI_Y: 15\nAI_SPEED: 0.2\nAI_AFTER_TIMER: 200\n"
                                      "AI_FIRE: 1\nAI_FIRE_DELAY: 20\nAI_BCHAR: 1\nAI_BTYPE: 1\n"
                                      "AI_FIRING_LOCATION: 0\n"};
};

std::string step(int move, const std::string& x, const std::string& y, const std::string& timer,
                 const std::string& z = "0", const std::string& theta = "0") {
    return "AI_MOVE: " + std::to_string(move) + "\nAI_X: " + x + "\nAI_Y: " + y + "\nAI_Z: " + z +
           "\nAI_THETA: " + theta + "\nAI_AFTER_TIMER: " + timer + "\n";
}

std::string groupText(const GroupSpec& g) {
    std::string text = "GROUP_BEGIN:\nGROUP_SHIP_NUMBER: " + g.number + "\n";
    if (g.writeAllKeys)
        text += "GROUP_SHIP_HEALTH: " + g.health + "\nGROUP_SHIP_LOC_X: " + g.x + "\nGROUP_SHIP_LOC_Y: " + g.y +
                "\nGROUP_SHIP_INTERVAL: " + g.interval + "\nGROUP_SHIP_TYPE: " + g.type +
                "\nGROUP_SHIP_SPEED: " + g.speed + "\nGROUP_SHIP_BCHAR: " + g.bchar + "\nGROUP_SHIP_BTYPE: " +
                g.btype + "\nGROUP_SHIP_FIRE: " + g.fire + "\nGROUP_SHIP_FIRE_DELAY: " + g.fireDelay + "\n";
    text += "GROUP_END:\n";
    for (const std::string& s : g.steps) text += "START_AI:\n" + s + "END_AI:\n";
    return text + "END_AI_SET:\n";
}

std::string bossText(const BossSpec& b) {
    std::string text = "BOSS_BEGIN:\nREAD_BOSS_STATS:\nBOSS_TYPE: " + b.type + "\nBOSS_X: " + b.x +
                       "\nBOSS_Y: " + b.y + "\nBOSS_VX: 0\nBOSS_VY: 0\nBOSS_TIMER: " + b.timer +
                       "\nBOSS_HEALTH: " + b.health + "\nBOSS_SCORE: 100\nBEGIN_FIRING_LOCATIONS:\n# guns\n"
                       "FIRING_X: 0\nFIRING_Y: 2\nEND_FIRING_LOCATIONS:\nBEGIN_AI_SET:\n";
    for (const std::string& s : b.steps) text += s + "END_AI:\n";
    return text + "END_AI_SET:\nBOSS_END:\n";
}

// Waves 1, 2, ... each with its groups, then the boss (if any).
std::string levelText(const std::vector<std::vector<GroupSpec>>& waves, const std::string& wait,
                      const std::optional<BossSpec>& boss) {
    std::string text = "LEVEL_BEGIN: 1\n# waves\n";
    for (std::size_t w = 0; w < waves.size(); ++w) {
        text += "WAVE_BEGIN: " + std::to_string(w + 1) + "\nWAVE_WAIT_AFTER: " + wait + "\nWAVE_TEXT: \n";
        for (const GroupSpec& g : waves[w]) text += groupText(g);
        text += "WAVE_END:\n";
    }
    text += "END_ALL_WAVES:\n";
    if (boss) text += bossText(*boss);
    return text;
}

std::string oneGroup(const GroupSpec& g, const BossSpec& boss = {}, const std::string& wait = "100") {
    return levelText({{g}}, wait, boss);
}

// Each a way of writing a mission that never ends.
std::vector<std::string> targetedLevels() {
    auto withSteps = [](GroupSpec g, std::vector<std::string> steps) {
        g.steps = std::move(steps);
        return g;
    };
    const GroupSpec flyIn = withSteps({}, {step(8, "60", "20", "5000")});
    auto changed = [&](auto change) {
        GroupSpec g = flyIn;
        change(g);
        return g;
    };
    BossSpec farBoss, nanBoss, stillBoss, sleepyBoss, harmlessBoss, timelessBoss, deadBoss;
    farBoss.x = "999999999";
    farBoss.steps = {"AI_MOVE: 8\nAI_X: 999999999\nAI_Y: 16\nAI_SPEED: 0.2\nAI_AFTER_TIMER: 100\n"};
    nanBoss.x = "-500";
    nanBoss.steps = {"AI_MOVE: 8\nAI_X: 60\nAI_Y: 16\nAI_SPEED: nan\nAI_AFTER_TIMER: 100\n"};
    stillBoss.x = "300";
    stillBoss.steps = {"AI_MOVE: 8\nAI_X: 60\nAI_Y: 16\nAI_SPEED: 0\nAI_AFTER_TIMER: 100\n"};
    sleepyBoss.timer = "2000000000";
    harmlessBoss.steps = {"AI_MOVE: 8\nAI_X: 60\nAI_Y: 15\nAI_SPEED: 0.2\nAI_AFTER_TIMER: 200\nAI_FIRE: 0\n"};
    harmlessBoss.health = "1000000000";
    timelessBoss.steps = {"AI_MOVE: 8\nAI_X: 60\nAI_Y: 15\nAI_SPEED: 0.2\nAI_AFTER_TIMER: 0\n"};
    deadBoss.health = "-5";

    std::vector<std::string> levels = {
        oneGroup(changed([](GroupSpec& g) { g.x = "999999999"; })),
        oneGroup(changed([](GroupSpec& g) { g.y = "-2000000000"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "nan"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "inf"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "-infinity"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "0"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "-0.3"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "1e400"; })),
        oneGroup(changed([](GroupSpec& g) { g.speed = "0x1p-1000"; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {step(8, "5000", "-5000", "100000")}; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {step(10, "200", "20", "2000000000")}; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {step(3, "1000000000", "1000000000", "99999")}; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {step(2, "60", "10", "99999", "99999999", "-9999999")}; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {step(9, "nan", "inf", "500")}; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {step(77, "0", "0", "0")}; })),
        oneGroup(changed([](GroupSpec& g) { g.steps = {}; })),
        oneGroup(changed([](GroupSpec& g) {
            g.fire = "0";
            g.health = "1000000000";
            g.steps = {step(8, "60", "20", "2000000000")};
        })),
        oneGroup(changed([](GroupSpec& g) { g.writeAllKeys = false; })),
        oneGroup(changed([](GroupSpec& g) {
            g.number = "99";
            g.interval = "0";
        })),
        oneGroup(changed([](GroupSpec& g) {
            for (int i = 0; i < 12; ++i) g.steps.push_back(step(4, "300", std::to_string(i), "10"));
        })),
        oneGroup(flyIn, farBoss),
        oneGroup(flyIn, nanBoss),
        oneGroup(flyIn, stillBoss),
        oneGroup(flyIn, sleepyBoss),
        oneGroup(flyIn, harmlessBoss),
        oneGroup(flyIn, timelessBoss),
        oneGroup(flyIn, deadBoss),
        oneGroup(flyIn, {}, "2000000000"),
        oneGroup(flyIn, {}, "-2000000000"),
        levelText(std::vector<std::vector<GroupSpec>>(5), "2000000000", BossSpec{}),  // empty waves, long waits
        levelText(std::vector<std::vector<GroupSpec>>(3, {changed([](GroupSpec& g) { g.speed = "0"; })}), "0",
                  farBoss),
        levelText({{flyIn}}, "100", std::nullopt),  // no boss at all
        "WAVE_BEGIN: 1\nWAVE_WAIT_AFTER: 5\nWAVE_END:\n",  // no level section
        "",
    };
    return levels;
}

// Files put together at random from honest and hostile values.
std::vector<std::string> randomLevels(int count) {
    std::mt19937 dice(2026);
    auto pick = [&](const std::vector<std::string>& values) { return values[dice() % values.size()]; };
    const std::vector<std::string> coordinates = {"85", "40", "-30", "0", "120", "999999999", "-999999999",
                                                  "nan", "inf", "1e30", "", "-5"};
    const std::vector<std::string> speeds = {"0.2", "0.35", "0", "-1", "nan", "inf", "-inf", "1e300", "1e-300", "3"};
    const std::vector<std::string> counts = {"1", "3", "0", "-4", "99", "150", "2000000000", "abc"};
    const std::vector<std::string> timers = {"100", "0", "-1", "30000", "2000000000", "5"};
    std::vector<std::string> levels;
    for (int i = 0; i < count; ++i) {
        std::vector<std::vector<GroupSpec>> waves(dice() % 5);
        for (auto& wave : waves) {
            wave.resize(dice() % 3);
            for (GroupSpec& g : wave) {
                g.number = pick(counts);
                g.x = pick(coordinates);
                g.y = pick(coordinates);
                g.speed = pick(speeds);
                g.interval = pick({"0", "3", "-2", "1000000"});
                g.health = pick({"100", "0", "-100", "2000000000"});
                g.fire = pick({"0", "1"});
                g.fireDelay = pick({"0", "10", "-3", "100000"});
                g.writeAllKeys = dice() % 8 != 0;
                const int steps = dice() % 4;
                for (int s = 0; s < steps; ++s)
                    g.steps.push_back(step(static_cast<int>(dice() % 12), pick(coordinates), pick(coordinates),
                                           pick(timers), pick(coordinates), pick(coordinates)));
            }
        }
        std::optional<BossSpec> boss;
        if (dice() % 6 != 0) {
            boss.emplace();
            boss->x = pick(coordinates);
            boss->y = pick(coordinates);
            boss->health = pick({"400", "0", "2000000000", "nan"});
            boss->timer = pick(timers);
            boss->steps = {"AI_MOVE: " + std::to_string(dice() % 11) + "\nAI_X: " + pick(coordinates) +
                           "\nAI_Y: " + pick(coordinates) + "\nAI_SPEED: " + pick(speeds) +
                           "\nAI_AFTER_TIMER: " + pick(timers) + "\nAI_FIRE: " + pick({"0", "1"}) +
                           "\nAI_FIRE_DELAY: " + pick({"0", "10"}) + "\nAI_FIRING_LOCATION: 0\n"};
        }
        levels.push_back(levelText(waves, pick(timers), boss));
    }
    return levels;
}

// ---- flying them ----

void press(HeldKeys& keys, const KeyEvent& key) {
    switch (key.key) {
        case KeySpace: keys.fire = key.down; break;
        case KeyUp: keys.up = key.down; break;
        case KeyDown: keys.down = key.down; break;
        case KeyLeft: keys.left = key.down; break;
        case KeyRight: keys.right = key.down; break;
        case 'd': keys.bomb = keys.bomb || key.down; break;
        default: break;
    }
}

// The most frames any level can take once every ship, wait and boss has
// its bound: each wave's ships and wait, then the boss.
constexpr long kFramesAnyMissionTakes =
    long(kLastWave) * (kLongestEnemyFlight + kLongestWaveWait + 2) + kLongestBossFight + 10;

// Frames until the mission is won or lost (past the bound: it never ended).
long framesToEnd(const std::string& level, bool firing) {
    test::ScratchDirectory dir;
    dir.write("quorix/level_1.txt", level);
    test::TestWorld world;
    seedDice(7);
    auto state = std::make_unique<MissionState>();
    Mission mission(*state, world.game.screen, nullptr);
    mission.begin(1, "Pilot");
    test::TestPilot pilot(firing, LONG_MAX);
    HeldKeys keys;
    long frame = 0;
    for (; frame <= kFramesAnyMissionTakes && !state->won && !state->lost; ++frame) {
        for (const KeyEvent& key : pilot(world.game.screen.cells())) press(keys, key);
        mission.fireWeapons(keys);
        mission.moveAndDraw(keys, FrameMode::Play);
        mission.afterFrame(false);
    }
    return frame;
}

TEST(EndlessMissions, FiftyHostileLevelFilesEndWithAnIdleAndWithAFiringPilot) {
    std::vector<std::string> levels = targetedLevels();
    const std::vector<std::string> more = randomLevels(50 - static_cast<int>(levels.size()));
    levels.insert(levels.end(), more.begin(), more.end());
    ASSERT_EQ(levels.size(), 50u);
    int endedIdle = 0, endedFiring = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const long idle = framesToEnd(levels[i], false);
        const long firing = framesToEnd(levels[i], true);
        endedIdle += idle <= kFramesAnyMissionTakes;
        endedFiring += firing <= kFramesAnyMissionTakes;
        EXPECT_LE(idle, kFramesAnyMissionTakes) << "file " << i << " never ends with an idle pilot:\n" << levels[i];
        EXPECT_LE(firing, kFramesAnyMissionTakes) << "file " << i << " never ends with a firing pilot:\n" << levels[i];
    }
    std::printf("hostile level files ended: %d of 50 idle, %d of 50 firing\n", endedIdle, endedFiring);
}

// ---- the content check ----

TEST(EndlessMissions, TheCheckRefusesTheNumbersThatKeepAMissionGoing) {
    GroupSpec far, notANumber, infinite, still, backwards;
    far.x = "999999999";
    far.steps = {step(8, "5000", "20", "100")};
    notANumber.speed = "nan";
    infinite.speed = "inf";
    still.speed = "0";
    backwards.speed = "-0.2";
    BossSpec farBoss;
    farBoss.x = "-400";
    farBoss.steps = {"AI_MOVE: 8\nAI_X: 60\nAI_Y: 16\nAI_SPEED: 0\nAI_AFTER_TIMER: 100\n"};
    const std::string level = levelText({{far}, {notANumber, infinite}, {still, backwards}}, "2000000000", farBoss);

    test::ScratchDirectory dir;
    dir.write("quorix/level_1.txt", level);
    std::vector<std::string> lines;
    std::istringstream in(level);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    auto lineOf = [&](const std::string& text, int nth) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == text && --nth == 0) return int(i + 1);
        return 0;
    };
    const std::vector<DataProblem> problems = DataChecker(dir.path()).runPart(CheckPart::Minigame);
    auto refused = [&](int line, const std::string& words) {
        for (const DataProblem& p : problems)
            if (p.file == "quorix/level_1.txt" && p.line == line && p.message.find(words) != std::string::npos)
                return true;
        return false;
    };
    std::ostringstream all;
    DataChecker::report(problems, all);
    for (const auto& [line, words] : std::vector<std::pair<int, std::string>>{
             {lineOf("GROUP_SHIP_LOC_X: 999999999", 1), "cells off the field"},
             {lineOf("AI_X: 5000", 1), "cells off the field"},
             {lineOf("GROUP_SHIP_SPEED: nan", 1), "not a finite number"},
             {lineOf("GROUP_SHIP_SPEED: inf", 1), "not a finite number"},
             {lineOf("GROUP_SHIP_SPEED: 0", 1), "never arrive"},
             {lineOf("GROUP_SHIP_SPEED: -0.2", 1), "negative speed"},
             {lineOf("WAVE_WAIT_AFTER: 2000000000", 1), "cuts it to 3000"},
             {lineOf("BOSS_X: -400", 1), "cells off the field"},
             {lineOf("BOSS_BEGIN:", 1), "never comes to be fought"},
         })
        EXPECT_TRUE(line > 0 && refused(line, words)) << line << ": " << words << "\n" << all.str();
}

// ---- a replay that runs out of keys ----

TEST(EndlessMissions, AReplayWhoseKeysRunOutLeavesTheMission) {
    test::InGameData data;
    test::TestWorld world;
    std::istringstream script("editor\n1\n#down space\n#wait 150\n#up space\n#wait 50\n");
    world.console.loadScript(script);
    seedDice(5);
    int running = 1;
    runChain(world.game, new Splash(nullptr, &running), running);
    // The mission ends as the script's last wait runs out, as Escape would
    // end it, not when the idle ship is finally shot down.
    EXPECT_TRUE(world.game.quitRequested);
    EXPECT_LT(world.console.nowMs(), 2000u + 3000u);
    EXPECT_FALSE(world.console.heldKeyMode());
}

}  // namespace
}  // namespace orv
