// The inventory screen: paging, use and equip, drop, check, remove, switching.
#include <gtest/gtest.h>

#include "core/colors.h"
#include "items/battle_turns.h"
#include "items/inventory.h"
#include "items/item.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::TestWorld;

std::unique_ptr<Item> makeItem(const std::string& name, int type, float level) {
    auto item = std::make_unique<Item>();
    item->name = name;
    item->type = type;
    item->stats[Level] = level;
    item->description = "A thing of " + name;
    return item;
}

using Root = test::TestRoot;

struct InventoryScreen {
    TestWorld world;
    Root root;
    Inventory* inventory = nullptr;
    explicit InventoryScreen(int potions) {
        Player& player = world.game.player;
        player.name = "Zed";
        world.game.sidekick.name = "Bob";
        player.effective[MaxHP] = 100;
        player.effective[HP] = 50;
        for (int i = 0; i < potions; ++i) {
            auto potion = makeItem("Stim " + std::to_string(i + 1), TypeHp, float(i + 1));
            potion->stats[HP] = 10;
            player.inventory.add(std::move(potion));
        }
        open();
    }
    void open() {
        destroyChain(root.subState());  // a fresh visit to the screen
        inventory = new Inventory(&root, world.game.player);
        root.setSubState(inventory);
    }
    std::string draw() {
        world.game.screen.clearFrame();
        root.drawCurrent();
        world.game.screen.render();
        return world.console.frameText();
    }
    void type(const std::string& line) { root.updateCurrent(line); }
};

TEST(Inventory, SeventeenItemsFitOnePageEighteenDoNot) {
    InventoryScreen seventeen(17);
    EXPECT_EQ(seventeen.draw().find("Next Page"), std::string::npos);
    InventoryScreen eighteen(18);
    std::string screen = eighteen.draw();
    EXPECT_NE(screen.find("<+> Next Page"), std::string::npos);
    EXPECT_NE(screen.find(" 17. Stim 17"), std::string::npos);
    EXPECT_EQ(screen.find(" 18. Stim 18"), std::string::npos);
    eighteen.type("+");
    screen = eighteen.draw();
    EXPECT_NE(screen.find(" 18. Stim 18"), std::string::npos);
    EXPECT_EQ(screen.find(" 17. Stim 17"), std::string::npos);
    EXPECT_NE(screen.find("<-> Previous Page"), std::string::npos);
    EXPECT_EQ(screen.find("Next Page"), std::string::npos);
    eighteen.type("+");  // nothing further
    EXPECT_EQ(eighteen.inventory->page(), 17);
}

TEST(Inventory, AnItemOffThePageIsRefusedAndTheChoiceStaysOpen) {
    InventoryScreen screen(18);
    screen.type("1 18");
    EXPECT_FALSE(screen.inventory->actionMenu());
    EXPECT_EQ(screen.world.game.player.inventory.size(), 18u);
    EXPECT_NE(screen.draw().find("<#> Item Number"), std::string::npos);
    screen.type("nonsense");
    EXPECT_FALSE(screen.inventory->actionMenu());
    screen.type("1");  // drinks Stim 1
    EXPECT_TRUE(screen.inventory->actionMenu());
    EXPECT_EQ(screen.world.game.player.inventory.size(), 17u);
    EXPECT_EQ(screen.world.game.player.effective[HP], 60.0f);
    EXPECT_EQ(screen.inventory->statChanges()[HP], 10.0f);
    // The healed row is green, the unchanged ones white.
    screen.draw();
    const int hpRow = 3;
    const std::string row = screen.world.console.rowText(hpRow);
    const std::size_t valueColumn = row.find("60");
    ASSERT_NE(valueColumn, std::string::npos);
    EXPECT_EQ(screen.world.console.attributeAt(int(valueColumn), hpRow), 10);
    EXPECT_EQ(screen.world.console.attributeAt(int(screen.world.console.rowText(4).find("100")), 4), 15);
}

TEST(Inventory, EquippingIntoAnOccupiedSlotReturnsTheOldItem) {
    InventoryScreen screen(0);
    Player& player = screen.world.game.player;
    auto oldBlade = makeItem("Old Blade", TypeSword, 1);
    oldBlade->stats[Attack] = 5;
    player.useOrEquip(std::move(oldBlade));
    auto newGun = makeItem("New Gun", TypeGun, 2);
    newGun->stats[Attack] = 3;
    newGun->resistances[Fire] = -0.5f;
    player.inventory.add(std::move(newGun));
    player.inventory.add(makeItem("Zzz Boots", TypeBoots, 9));
    screen.open();  // opening sorts: boots before guns
    screen.type("1 2");
    EXPECT_EQ(player.equipped(SlotWeapon)->name, "New Gun");
    ASSERT_EQ(player.inventory.size(), 2u);
    EXPECT_EQ(player.inventory.at(1)->name, "Old Blade");  // back at the end of the list
    EXPECT_EQ(screen.inventory->statChanges()[Attack], -2.0f);
    EXPECT_FLOAT_EQ(screen.inventory->resistanceChanges()[Fire], -0.5f);
    std::string shown = screen.draw();
    EXPECT_NE(shown.find(" Weapon :New Gun"), std::string::npos);
    // Attack went down: red. Fire damage went down: green.
    const int atkRow = 8, fireRow = 16;
    EXPECT_EQ(screen.world.console.attributeAt(12, atkRow), 12);
    EXPECT_EQ(screen.world.console.attributeAt(12, fireRow), 10);
    screen.type("1");
    screen.type("1");
    ASSERT_NE(player.equipped(SlotBoots), nullptr);
    EXPECT_EQ(player.inventory.size(), 1u);
    shown = screen.draw();
    EXPECT_NE(shown.find(" Boots  :Zzz Boots"), std::string::npos);
}

TEST(Inventory, RemovingAnEmptySlotSucceedsAndChangesNothing) {
    InventoryScreen screen(1);
    Player& player = screen.world.game.player;
    const StatBlock before = player.effective;
    screen.type("4");
    EXPECT_NE(screen.draw().find("<1> Boots"), std::string::npos);
    screen.type("visor");
    EXPECT_TRUE(screen.inventory->actionMenu());
    EXPECT_EQ(player.effective, before);
    EXPECT_EQ(player.inventory.size(), 1u);
    screen.type("remove hat");
    EXPECT_FALSE(screen.inventory->actionMenu());  // no such slot: keep asking
    screen.type("0");
    EXPECT_TRUE(screen.inventory->actionMenu());
}

TEST(Inventory, DropCheckSwitchAndExit) {
    InventoryScreen screen(3);
    Player& player = screen.world.game.player;
    screen.type("3 2");
    const std::string& check = screen.world.game.screen.messages().at(0);
    EXPECT_NE(check.find("  Name    : " + colorYellow + "Stim 2" + colorWhite), std::string::npos);
    EXPECT_NE(check.find("  Restores: 10HP"), std::string::npos);
    screen.type("drop 9");
    EXPECT_FALSE(screen.inventory->actionMenu());
    screen.type("2");
    EXPECT_EQ(player.inventory.size(), 2u);
    EXPECT_EQ(player.inventory.at(1)->name, "Stim 3");
    screen.type(".");
    EXPECT_EQ(&screen.inventory->current(), &screen.world.game.sidekick);
    EXPECT_NE(screen.draw().find("<.> Zed's Inventory"), std::string::npos);
    screen.type("1 1");  // the sidekick drinks it
    EXPECT_EQ(screen.world.game.sidekick.effective[HP], 0.0f);  // a fresh sidekick has no maximum yet
    screen.type("exit");
    EXPECT_EQ(screen.root.subState(), nullptr);
}

TEST(Inventory, CheckComparesWithWhatIsWorn) {
    InventoryScreen screen(0);
    Player& player = screen.world.game.player;
    auto worn = makeItem("Cap", TypeHeadgear, 1);
    worn->stats[HighDefence] = 10;
    player.useOrEquip(std::move(worn));
    auto helmet = makeItem("Helmet", TypeHeadgear, 5);
    helmet->stats[HighDefence] = 4;
    helmet->description = std::string(70, 'x') + " and then some more words to wrap";
    player.inventory.add(std::move(helmet));
    screen.type("check 1");
    const std::string check = screen.world.game.screen.messages().at(0);
    EXPECT_NE(check.find("  HighDef : " + colorRed + "4" + colorWhite), std::string::npos);
    EXPECT_NE(check.find("\n" + std::string(14, ' ') + "and then"), std::string::npos);
    EXPECT_NE(check.find("  Ether   : " + colorWhite + "0" + colorWhite), std::string::npos);
}

struct FakeBattle : BattleTurns {
    std::vector<std::string> turns;
    void drawBattleScreen() override { game().screen.addArtLine("THE BATTLE"); }
    void monsterTurn() override { turns.push_back("monster"); }
    void sidekickTurn() override { turns.push_back("sidekick"); }
};

TEST(Inventory, InBattleOnlyConsumablesAndUsingOneIsTheTurn) {
    TestWorld world;
    Root root;
    FakeBattle battle;
    Game& g = world.game;
    g.player.name = "Zed";
    g.sidekick.name = "Bob";
    g.player.effective[MaxHP] = 100;
    g.player.effective[HP] = 90;
    g.sidekick.effective[HP] = 0;  // fallen
    g.player.inventory.add(makeItem("Blade", TypeSword, 1));
    auto stim = makeItem("Stim", TypeHp, 2);
    stim->stats[HP] = 30;
    g.player.inventory.add(std::move(stim));
    auto* inventory = new Inventory(&root, g.player, &battle);
    root.setSubState(inventory);
    g.screen.clearFrame();
    root.drawCurrent();
    g.screen.render();
    std::string screen = world.console.frameText();
    EXPECT_NE(screen.find("  1. Stim"), std::string::npos);
    EXPECT_EQ(screen.find("Blade"), std::string::npos);
    EXPECT_EQ(screen.find("<2> Drop"), std::string::npos);
    EXPECT_NE(screen.find("<.> Use Item on Bob"), std::string::npos);  // offered, though Bob is down
    root.updateCurrent(".");
    EXPECT_EQ(&inventory->current(), &g.player);  // and "." does nothing
    root.updateCurrent("drop 1");
    EXPECT_EQ(g.player.inventory.size(), 2u);
    root.updateCurrent("1 1");
    EXPECT_EQ(root.subState(), nullptr);  // the turn is spent: back to the fight
    EXPECT_EQ(g.player.effective[HP], 100.0f);
    EXPECT_EQ(battle.turns, (std::vector<std::string>{"monster", "sidekick"}));
    EXPECT_NE(g.screen.messages()[1].find("10" + colorWhite + " HP..."), std::string::npos);
}

}  // namespace
}  // namespace orv
