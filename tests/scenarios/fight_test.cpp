// Whole fights played headless on the game's own content with a fixed seed:
// attacks, a spell from the list, a recast, an item, victory and the
// level-up screen; and a lost fight that ends on the title screen.
#include <gtest/gtest.h>

#include "core/dice.h"
#include "combat/battle.h"
#include "core/text.h"
#include "items/inventory.h"
#include "items/item.h"
#include "screens/creator.h"
#include "screens/splash.h"
#include "support/game_driver.h"

namespace orv {
namespace {


// Stands where the dungeon will: opens a fight on "fight".
struct Arena : State {
    explicit Arena(State* parent) : State(parent) {}
    void Draw() override { game().screen.addArtLine("ARENA"); }
    void Update(const std::string& command) override {
        if (command != "fight") return;
        setSubState(new Battle(this, std::make_unique<Monster>(Monster::random(2, "Empyreon VI"))));
    }
};

// The title screen with the arena above it.
struct Driver : test::GameDriver {
    Arena* arena = new Arena(title);
    Driver() { title->setSubState(arena); }
    std::string step(const std::string& line) { return type(line); }
    Battle* battle() { return at<Battle>(); }
};

void makeParty(Game& g) {
    applyClass(g.player, "Fighter", true);
    applyClass(g.sidekick, "Mage", false);
    g.player.name = "Zed";
    g.sidekick.name = "Bob";
    g.sidekick.learnSpells(1);
    g.player.learnSpells(1);
    // A hero strong enough to try everything before the fight is decided.
    g.player.effective[MaxMP] = g.player.effective[MP] = 500;
    g.player.effective[MaxHP] = g.player.effective[HP] = 400;
    auto potion = Item::random(5, TypeHp);
    g.player.inventory.add(std::move(potion));
}

TEST(FightScenario, AWholeFightWonWithSpellsAnItemAndALevelUp) {
    Driver d;
    makeParty(d.g);
    d.g.player.stats[Experience] = 19990;  // this victory brings level 2
    seedDice(2024);
    d.step("fight");
    ASSERT_NE(d.battle(), nullptr);
    d.g.player.effective[HP] = 300;  // wounded, so the potion shows its worth
    std::string frame = d.step("1");
    EXPECT_NE(frame.find("NextRound"), std::string::npos);
    d.step("2");
    frame = d.step("0");
    EXPECT_NE(frame.find("SPELLS"), std::string::npos);
    EXPECT_NE(frame.find("Fireball"), std::string::npos);
    const float mpBefore = d.g.player.effective[MP];
    d.step("1");  // Fireball is the first spell of the list
    EXPECT_LT(d.g.player.effective[MP], mpBefore);
    EXPECT_EQ(d.battle()->recastSpell().name, "Fireball");
    const float mpAfterCast = d.g.player.effective[MP];
    d.step("5");
    EXPECT_LT(d.g.player.effective[MP], mpAfterCast);
    d.step(".");
    ASSERT_NE(dynamic_cast<Inventory*>(d.title->current()), nullptr);  // over the battle
    ASSERT_TRUE(d.g.player.inventory.hasConsumable());
    d.step("1 1");
    EXPECT_FALSE(d.g.player.inventory.hasConsumable());
    EXPECT_NE(d.log().find("Using "), std::string::npos);

    for (int round = 0; round < 60 && d.battle() && d.battle()->battleOn(); ++round) d.step("1");
    ASSERT_NE(d.battle(), nullptr);
    ASSERT_FALSE(d.battle()->battleOn());
    EXPECT_NE(d.log().find("has been defeated!"), std::string::npos);
    frame = d.world.console.frameText();
    EXPECT_NE(frame.find("Congratulations"), std::string::npos);
    EXPECT_NE(frame.find("experience points!"), std::string::npos);
    EXPECT_NE(frame.find("You level up!"), std::string::npos);
    const int money = d.g.player.money;
    d.step("");  // leave the battle: the level-up screen takes its place
    EXPECT_EQ(d.g.player.money, money);  // the rewards were paid once
    auto* levelUp = dynamic_cast<Creator*>(d.title->current());
    ASSERT_NE(levelUp, nullptr);
    EXPECT_EQ(levelUp->levelsLeft(), 2);  // 19990 + 12000 experience: levels 2 and 3
    EXPECT_NE(d.world.console.frameText().find("LEVEL UP!"), std::string::npos);
    d.step("4");
    d.step("wiser");
    EXPECT_NE(d.log().find("You have 0 levels left."), std::string::npos);
    EXPECT_EQ(d.g.player.stats[Level], 3.0f);
    EXPECT_EQ(d.g.sidekick.stats[Level], 3.0f);
    frame = d.step("0");
    EXPECT_EQ(d.title->current(), d.arena);
    EXPECT_NE(frame.find("ARENA"), std::string::npos);
}

TEST(FightScenario, ALostFightEndsOnTheTitleScreen) {
    Driver d;
    makeParty(d.g);
    d.g.player.effective[HP] = 1;
    d.g.sidekick.effective[HP] = 0;
    for (Stat defence : {LowDefence, MidDefence, HighDefence}) d.g.player.effective[defence] = 2;
    seedDice(7);
    d.step("fight");
    ASSERT_NE(d.battle(), nullptr);
    d.battle()->monster()->monsterType = "None";  // a plain brute: every blow is told
    for (int round = 0; round < 40 && d.battle() && d.battle()->playerAlive(); ++round) d.step("1");
    ASSERT_NE(d.battle(), nullptr);
    EXPECT_FALSE(d.battle()->playerAlive());
    EXPECT_NE(d.log().find("Is this... the end?"), std::string::npos);
    EXPECT_NE(d.world.console.frameText().find("PRESS ENTER TO CONTINUE"), std::string::npos);
    d.step("");
    EXPECT_EQ(d.title->subState(), nullptr);
    EXPECT_NE(d.world.console.frameText().find("Welcome to ORVANTIS!"), std::string::npos);
}


// A sidekick felled by the monster's blow is told so, whether a plain blow
// or a battle script felled it, and then sits the fight out.
TEST(FightScenario, ASidekickKnockedOutIsToldSo) {
    for (const char* type : {"None", "Shred"}) {
        Driver d;
        makeParty(d.g);
        d.g.sidekick.effective[HP] = 1;
        for (Stat defence : {LowDefence, MidDefence, HighDefence}) d.g.sidekick.effective[defence] = 1;
        seedDice(5);
        d.step("fight");
        ASSERT_NE(d.battle(), nullptr);
        d.battle()->monster()->monsterType = type;
        d.battle()->monster()->stats[HP] = d.battle()->monster()->stats[MaxHP] = 5000;  // lasts while we watch
        for (int round = 0; round < 40 && d.g.sidekick.effective[HP] > 0; ++round) d.step("1");
        ASSERT_EQ(d.g.sidekick.effective[HP], 0) << type;
        EXPECT_NE(d.log().find("Bob has been knocked out!"), std::string::npos) << type;
    }
}

}  // namespace
}  // namespace orv
