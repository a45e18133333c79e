// The shooter's rules, stepped one frame at a time.
#include <gtest/gtest.h>

#include "core/dice.h"
#include "minigame/engine.h"
#include "support/test_world.h"

namespace orv {
namespace {

struct Field {
    test::TestWorld world;
    MissionState state;
    Mission mission{state, world.game.screen, &world.game.player};
    HeldKeys keys;
    Field() {
        seedDice(7);
        mission.begin(1, "Zoe");
        // A level nobody reads: the waves are over and a boss with health
        // waits, so frames run without a level file.
        state.level.allWavesLoaded = state.level.bossRead = true;
        state.level.wave = kLastWave;
        state.boss.health = 1000000;
        state.boss.x = 200;  // far off the field
    }
    void frame(FrameMode mode = FrameMode::Play) {
        mission.fireWeapons(keys);
        mission.moveAndDraw(keys, mode);
        mission.afterFrame(false);
    }
    int playerShotsFired(int type) const {
        int count = 0;
        for (const Shot& shot : state.shots) count += !shot.particle && shot.owner == kOwnerPlayer && shot.type == type;
        return count;
    }
    Enemy& enemyAt(int slot, double x, double y, int health) {
        Enemy ship;
        ship.type = 0;
        ship.health = health;
        ship.x = x;
        ship.y = y;
        state.spawnEnemy(ship);
        return state.enemies[slot];
    }
};

TEST(Shooter, HeldFireKeepsEachWeaponsPace) {
    Field f;
    f.keys.fire = true;
    std::vector<int> gaussFrames;
    for (int i = 0; i < 20; ++i) {
        int before = f.playerShotsFired(ShotGauss);
        f.frame();
        if (f.playerShotsFired(ShotGauss) > before) gaussFrames.push_back(i);
    }
    EXPECT_EQ(gaussFrames, (std::vector<int>{0, 5, 10, 15}));

    f.state.primaryWeapon = 3;  // lasers: five more bullets every frame
    for (int i = 0; i < 4; ++i) {
        int before = f.playerShotsFired(ShotLaser);
        f.frame();
        EXPECT_GE(f.playerShotsFired(ShotLaser) - before, 5) << "frame " << i;
    }
}

TEST(Shooter, BombsNeedBombsAndHoldTheSecondaryWeapon) {
    Field f;
    f.state.ship.bombs = 0;
    f.keys.bomb = true;
    f.frame();
    EXPECT_EQ(f.playerShotsFired(ShotBomb), 0);
    EXPECT_FALSE(f.keys.bomb);  // the press is used up either way

    f.state.ship.bombs = 2;
    f.state.secondaryWeapon = 5;
    f.keys.bomb = true;
    f.frame();
    EXPECT_EQ(f.playerShotsFired(ShotBomb), 1);
    EXPECT_EQ(f.state.ship.bombs, 1);
    f.keys.fire = true;
    int missilesAt = -1;
    for (int i = 1; i <= 45 && missilesAt < 0; ++i) {
        f.frame();
        if (f.playerShotsFired(ShotMissile) > 0) missilesAt = i;
    }
    EXPECT_EQ(missilesAt, 40);  // the secondary weapon waits out the bomb
}

TEST(Shooter, TheShipStaysOnTheFieldUntilItsVictoryFlight) {
    Field f;
    f.keys.right = f.keys.down = true;
    for (int i = 0; i < 100; ++i) f.frame();
    EXPECT_DOUBLE_EQ(f.state.ship.x, 77);
    EXPECT_DOUBLE_EQ(f.state.ship.y, 38);
    f.keys.down = false;
    for (int i = 0; i < 5; ++i) f.frame(FrameMode::Victory);
    EXPECT_DOUBLE_EQ(f.state.ship.x, 82);
}

TEST(Shooter, PowerupsDoWhatTheyPromise) {
    Field f;
    Player& player = f.world.game.player;
    player.stats[Level] = 4;
    const long long money = player.money;
    f.state.ship.armor = 500;
    f.state.ship.x = 10;
    f.state.ship.y = 10;
    auto take = [&](PowerupKind kind) {
        f.state.spawnPowerup(10.25, 10, kind);
        f.frame();
    };
    take(PowerupKind::Money);
    EXPECT_EQ(player.money, money + 200);
    take(PowerupKind::Health);
    EXPECT_EQ(f.state.ship.armor, 600);
    take(PowerupKind::Score);
    EXPECT_EQ(f.state.ship.score, 100);
    for (int i = 0; i < 6; ++i) take(PowerupKind::Primary);
    EXPECT_EQ(f.state.primaryWeapon, 4);
    std::vector<int> secondaries;
    for (int i = 0; i < 6; ++i) {
        take(PowerupKind::Secondary);
        secondaries.push_back(f.state.secondaryWeapon);
    }
    EXPECT_EQ(secondaries, (std::vector<int>{5, 6, 7, 9, 10, 10}));
    f.state.ship.armor = 990;
    take(PowerupKind::Health);
    EXPECT_EQ(f.state.ship.armor, 1000);
}

TEST(Shooter, ShotsAndRammingCostWhatTheySay) {
    Field f;
    f.state.level.wave = 3;
    f.state.ship.x = 10;
    f.state.ship.y = 20;
    // A one-cell ship straight ahead: Gauss shots fly two cells a frame
    // and must still not slip past it.
    f.enemyAt(0, 31, 20, 150);
    f.keys.fire = true;
    for (int i = 0; i < 30 && f.state.liveEnemies > 0; ++i) f.frame();
    EXPECT_EQ(f.state.liveEnemies, 0);
    EXPECT_EQ(f.state.ship.score, 300);  // wave 3 x 100

    f.keys.fire = false;
    f.enemyAt(1, 12, 20, 250);  // flies into the ship: its health comes off the armor
    f.frame();
    EXPECT_EQ(f.state.ship.armor, 750);
    EXPECT_EQ(f.state.liveEnemies, 0);
    f.enemyAt(2, 11, 20, 800);
    f.frame();
    EXPECT_TRUE(f.state.lost);
}

TEST(Shooter, EnemiesStayInTheirLastStepAndBossesNeverSpin) {
    Field f;
    Enemy& ship = f.enemyAt(0, 60, 10, 100);
    ship.stepCount = 9;
    for (int i = 1; i <= 9; ++i) ship.steps[i] = AiStep{10, 0, 0, 0, 0, 60, 10, 0, 0, 1, 1, 0, {}};
    for (int i = 0; i < 50; ++i) f.frame();
    EXPECT_EQ(ship.step, 9);

    // Every boss step lasts 0 frames: the frame must still come back.
    f.state.boss.x = 60;
    f.state.boss.y = 10;
    for (AiStep& step : f.state.boss.steps) step = AiStep{};
    f.frame();
    f.frame();
    EXPECT_EQ(f.state.boss.step, 0);
}

TEST(Shooter, ShipsAndShotsAreDrawnInTheirOwnColours) {
    Field f;
    const Cells& cells = f.world.game.screen.cells();
    auto at = [&](int x, int y) { return cells[y * kConsoleWidth + x]; };
    f.state.ship.x = 10;
    f.state.ship.y = 20;
    // A gunboat that holds its place at (60, 30) and shoots straight left.
    Enemy& gunboat = f.enemyAt(0, 60, 30, 100000);
    gunboat.fire = gunboat.fireDelay = 1;
    gunboat.stepCount = 1;
    gunboat.steps[1] = AiStep{8, 0, 0, 0, 0, 60, 30, 0, 0, 1000, 1000, 0, {}};
    f.state.boss.x = 40;
    f.state.boss.y = 5;
    f.mission.burstAroundBoss(3, 1);  // the victory's last ring
    f.state.boss.x = 200;              // out of the sparks' way
    f.keys.fire = true;
    f.frame();

    for (int row : {19, 21}) {
        EXPECT_EQ(at(9, row).ch, '(');
        EXPECT_EQ(at(9, row).attr, 3);
        EXPECT_EQ(at(10, row).attr, 4);
        EXPECT_EQ(at(11, row).attr, 4);
        EXPECT_EQ(at(12, row).ch, '>');
        EXPECT_EQ(at(12, row).attr, 3);
    }
    EXPECT_EQ(at(10, 20).ch, 'X');
    EXPECT_EQ(at(10, 20).attr, 2);
    EXPECT_EQ(at(12, 20).ch, '-');  // the Gauss shot, two cells out
    EXPECT_EQ(at(12, 20).attr, 1);
    EXPECT_EQ(at(59, 30).ch, '-');  // the gunboat's shot
    EXPECT_EQ(at(59, 30).attr, 4);
    int sparks = 0, sparksOffColour = 0;
    for (const Cell& cell : cells)
        if (cell.ch == '*') {
            ++sparks;
            sparksOffColour += cell.attr != 3 && cell.attr != 1;
        }
    EXPECT_GT(sparks, 0);
    EXPECT_EQ(sparksOffColour, 0);
}

TEST(Shooter, AFieldWithoutABossCannotBeWon) {
    Field f;
    f.state.level.bossRead = false;
    f.state.boss.health = 0;
    f.frame();
    EXPECT_FALSE(f.state.won);
    EXPECT_TRUE(f.state.lost);
}

}  // namespace
}  // namespace orv
