// Statistics, equipment, levels, spells, mood and hints of the two heroes.
#include <gtest/gtest.h>

#include "core/colors.h"
#include "data/level_up.h"
#include "items/item.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::ScratchDirectory;
using test::TestWorld;

std::unique_ptr<Item> makeItem(int type, Stat stat, float amount) {
    auto item = std::make_unique<Item>();
    item->type = type;
    item->stats[stat] = amount;
    return item;
}

TEST(StatBlock, ArithmeticLeavesLevelAndExperienceAlone) {
    StatBlock a, b;
    a[Level] = 3;
    a[Experience] = 500;
    b[Level] = 9;
    b[HP] = 10;
    b[Experience] = 70;
    a.add(b);
    EXPECT_EQ(a[Level], 3.0f);
    EXPECT_EQ(a[HP], 10.0f);
    EXPECT_EQ(a[Experience], 500.0f);
    StatBlock copy;
    copy.copy(a);
    EXPECT_EQ(copy[Level], 3.0f);
    EXPECT_EQ(copy[Experience], 0.0f);  // a template's copy starts without experience
}

TEST(Equipment, EquippingOverAnItemReturnsItToThePlayersList) {
    TestWorld w;
    Player& player = w.game.player;
    Sidekick& sidekick = w.game.sidekick;
    sidekick.stats[LowDefence] = 5;
    sidekick.copyBaseToEffective();
    Item* oldBoots = sidekick.useOrEquip(makeItem(TypeBoots, LowDefence, 3)) ? sidekick.equipped(SlotBoots) : nullptr;
    ASSERT_NE(oldBoots, nullptr);
    EXPECT_TRUE(sidekick.useOrEquip(makeItem(TypeBoots, LowDefence, 7)));
    EXPECT_EQ(sidekick.effective[LowDefence], 12.0f);  // base + new boots only
    ASSERT_EQ(player.inventory.size(), 1u);             // the party's one list
    EXPECT_EQ(player.inventory.at(0), oldBoots);
    EXPECT_TRUE(sidekick.inventory.empty());

    EXPECT_TRUE(player.useOrEquip(makeItem(TypeStaff, Magic, 4)));
    EXPECT_EQ(player.equipped(SlotWeapon)->type, TypeStaff);
    EXPECT_EQ(player.equipped(7), nullptr);
    EXPECT_FALSE(player.useOrEquip(nullptr));
    player.unequipAll();
    EXPECT_EQ(player.equipped(SlotWeapon), nullptr);
    EXPECT_EQ(player.effective[Magic], 0.0f);
}

TEST(Equipment, PotionsHealUpToTheMaximum) {
    TestWorld w;
    Player& player = w.game.player;
    player.effective[MaxHP] = 100;
    player.effective[HP] = 90;
    EXPECT_TRUE(player.useOrEquip(makeItem(TypeHp, HP, 30)));
    EXPECT_EQ(player.effective[HP], 100.0f);
    EXPECT_TRUE(player.inventory.empty());  // drunk, not kept
}

TEST(Levels, ExperienceThresholdsAndTheCap) {
    TestWorld w;
    Player& player = w.game.player;
    player.stats[Level] = 1;
    player.stats[Experience] = 19999;
    EXPECT_EQ(player.countGainedLevels(), 0);
    player.stats[Experience] = 20000;
    EXPECT_EQ(player.countGainedLevels(), 1);
    player.stats[Experience] = 40000;
    EXPECT_EQ(player.countGainedLevels(), 3);
    EXPECT_EQ(player.stats[Level], 1.0f);  // counting does not spend them
    player.stats[Level] = 100;
    player.stats[Experience] = 5e6f;
    EXPECT_FALSE(player.levelUpPending());
}

TEST(Levels, ApplyingALevelKeepsCurrentHitPointsAndGrowsTheRest) {
    TestWorld w;
    Sidekick& sidekick = w.game.sidekick;
    sidekick.className = "Mage";
    sidekick.stats[MaxHP] = 50;
    sidekick.stats[HP] = 50;
    sidekick.stats[Magic] = 20;
    sidekick.copyBaseToEffective();
    sidekick.useOrEquip(makeItem(TypeStaff, Magic, 5));
    sidekick.effective[HP] = 20;  // wounded
    sidekick.applyLevel(sidekickLevelIncrements(sidekick.className));
    EXPECT_EQ(sidekick.stats[Level], 2.0f);
    EXPECT_EQ(sidekick.effective[Level], 2.0f);
    EXPECT_EQ(sidekick.stats[Magic], 22.25f);
    EXPECT_EQ(sidekick.effective[Magic], 27.25f);
    EXPECT_EQ(sidekick.effective[MaxHP], 50 + 2.5f + 10);
    EXPECT_EQ(sidekick.effective[HP], 20.0f);
    EXPECT_EQ(sidekick.stats[MaxMP], 12.5f);
    // The build itself stays whole: a game loaded from it starts at full HP.
    EXPECT_EQ(sidekick.stats[HP], 62.5f);
    EXPECT_EQ(sidekick.stats[MP], 12.5f);

    const StatBlock better = playerLevelIncrements(LevelChoice::Better);
    EXPECT_EQ(better[MaxHP], 27.5f);
    EXPECT_EQ(better[MaxMP], 12.5f);
    EXPECT_EQ(better[HighDefence], 1.5f);
    const StatBlock tougher = playerLevelIncrements(LevelChoice::Tougher);
    EXPECT_EQ(tougher[LowDefence], 4.0f);
    EXPECT_EQ(tougher[MaxHP], 30.0f);
    EXPECT_EQ(sidekickLevelIncrements("Fighter")[MaxMP], 5.0f);
}

class SpellLearning : public ::testing::Test {
protected:
    ScratchDirectory dir;
    void SetUp() override {
        std::string file;
        for (int level = 1; level <= 5; ++level) {
            file += "SPELL_BEGIN\nName: Rank" + std::to_string(level) + "\nDescription: d\n Level: " +
                    std::to_string(level) + "\nPower: 1\nMP Cost: 1\nBattle Only: No\nElement: Ice\n"
                    "Target: ENEMY\nScript: None\n";
        }
        file += "SPELL_BEGIN\nName: Fireball\nDescription: d\n Level: 4\nPower: 1\nMP Cost: 1\n"
                "Battle Only: No\nElement: Fire\nTarget: ENEMY\nScript: None\n";
        dir.write("spells/spells.txt", file);
    }
};

TEST_F(SpellLearning, MagicCapsTheLevelAndThePlayerAlwaysKnowsFireball) {
    TestWorld w;
    Player& player = w.game.player;
    player.stats[Magic] = 21;  // cap trunc(6 / 2) = 3
    player.learnSpells(14);  // rank 1 only, at level 14
    ASSERT_EQ(player.spells.size(), 2u);
    player.spells.clear();
    w.game.screen.clearMessages();
    player.learnSpells(80);  // level 80 would allow rank 6; magic allows 3
    ASSERT_EQ(player.spells.size(), 4u);
    EXPECT_EQ(player.spells[2].name, "Rank3");
    EXPECT_EQ(player.spells[3].name, "Fireball");
    EXPECT_EQ(w.game.screen.messages()[0],
              colorYellow + "You learned the spell -" + colorRed + "Fireball" + colorYellow + "- !" + colorWhite +
                  "\n");
    const std::size_t messages = w.game.screen.messages().size();
    player.learnSpells(80);
    EXPECT_EQ(player.spells.size(), 4u);
    EXPECT_EQ(w.game.screen.messages().size(), messages);  // nothing learned twice

    Sidekick& sidekick = w.game.sidekick;
    sidekick.name = "Bob";
    sidekick.stats[Magic] = 5;  // cap -5: nothing at all for the sidekick
    sidekick.learnSpells(1);
    EXPECT_TRUE(sidekick.spells.empty());
    sidekick.stats[Magic] = 45;
    sidekick.learnSpells(1);
    ASSERT_EQ(sidekick.spells.size(), 1u);
    EXPECT_NE(w.game.screen.messages()[0].find("Bob learned the spell -"), std::string::npos);
}

TEST(Sidekick, MoodIsClampedAndNamedByItsLevel) {
    TestWorld w;
    Sidekick& sidekick = w.game.sidekick;
    EXPECT_EQ(sidekick.mood, 50.0f);
    sidekick.changeMood(60);
    EXPECT_EQ(sidekick.mood, 99.0f);
    EXPECT_EQ(sidekick.moodName(), colorGreen + "ELATED" + colorWhite);
    sidekick.mood = 50;
    sidekick.changeMood(-80);
    EXPECT_EQ(sidekick.mood, 0.0f);
    EXPECT_EQ(sidekick.moodName(), colorRed + "ANGRY" + colorWhite);
    sidekick.mood = 39.9f;
    EXPECT_EQ(sidekick.moodName(), colorMagenta + "SAD" + colorWhite);
    sidekick.mood = 40;
    EXPECT_EQ(sidekick.moodName(), colorYellow + "NEUTRAL" + colorWhite);
    sidekick.mood = 150;  // only a broken save could do this
    EXPECT_EQ(sidekick.moodName(), "ERROR, WHAT THE HECK HAVE YOU DONE");
}

TEST(Player, NewGameResetsMoneyQuestsPlanetsAndHints) {
    ScratchDirectory dir;
    dir.write("planets/Planet List.txt", "Alpha Dock,Guelf\nBeta Ring,Aleph\nNo comma here\n");
    TestWorld w;
    Player& player = w.game.player;
    player.money = 5;
    player.questProgress[3][4][5] = 2;
    player.tutorialHints = Player().tutorialHints;  // as the program makes its player
    EXPECT_TRUE(player.takeTutorial(HintSidekick));
    EXPECT_FALSE(player.takeTutorial(HintSidekick));
    player.resetGame();
    EXPECT_EQ(player.money, 300);
    EXPECT_EQ(player.questProgress[3][4][5], 0);
    EXPECT_TRUE(player.takeTutorial(HintSidekick));
    ASSERT_EQ(player.planets.size(), 3u);  // a final line break adds no phantom planet
    EXPECT_EQ(player.planets[0].name, "Alpha Dock");
    EXPECT_EQ(player.planets[0].orbited, "Guelf");
    EXPECT_TRUE(player.planets[0].unlocked);
    EXPECT_FALSE(player.planets[1].unlocked);
    EXPECT_EQ(player.planets[2].name, "No comma here");
    EXPECT_EQ(player.planets[2].orbited, "");

    std::filesystem::remove("planets/Planet List.txt");
    player.resetGame();
    EXPECT_TRUE(player.planets.empty());
}

}  // namespace
}  // namespace orv
