// Maps, dungeons, quest progress and shops on small, fully known worlds.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/dice.h"
#include "core/colors.h"
#include "items/item.h"
#include "screens/creator.h"
#include "support/test_world.h"
#include "support/test_root.h"
#include "world/dungeon.h"
#include "world/map.h"
#include "world/quest_log.h"
#include "world/shop.h"

namespace orv {
namespace {

using test::ScratchDirectory;
using test::TestWorld;

std::string room(const std::string& name, int descriptions = 1, const std::string& extra = "") {
    std::string block = "ROOM_BEGIN\nNAME:" + name + "\n";
    for (int i = 1; i <= descriptions; ++i) block += "DESC" + std::to_string(i) + ":" + name + " text " + std::to_string(i) + "\n";
    return block + "LOOK:the " + name + "\n" + extra + "ROOM_END\n";
}

std::string monsterRecord(const std::string& name) {
    return "MONSTER_BEGIN\nName: " + name + "\nType: None\nPlanet: Guelf\nDescription: d\nFire: 100\nIce: 100\n"
           "Light: 100\nDark: 100\nEther: 100\nSpeed: 5\nAttack: 5\nMagic: 5\nLowDef: 5\nMidDef: 5\nHighDef: 5\n"
           "Lower: a\nMiddle: b\nUpper: c\nWeapon: w\nWeaponType: sword\n";
}

// A planet "Guelf" with `rooms` normal rooms and one quest room.
struct SmallWorld {
    ScratchDirectory dir;
    explicit SmallWorld(int rooms, const std::string& questExtra = "") {
        std::string dungeon;
        for (int i = 0; i < rooms; ++i) dungeon += room("Room" + std::to_string(i), 3);
        dir.write("dungeons/Guelf.txt", dungeon);
        dir.write("quests/Guelf.txt",
                  "BEGIN_QUEST:1\nBEGIN_STATE:1\nLOCATION_NAME:Vault\nTOWN_ENABLE_DUNGEON:true\nEND_STATE:\n"
                  "END_QUEST:\n" +
                      room("Vault", 1, "QUEST_ITEM_MENU_OPTION:Open the vault\nQUEST_ITEM_MENU_TRIGGER:open\n" + questExtra));
        dir.write("planets/Planet List.txt", "Customs Bastion,Guelf\n");
        std::string monsters;
        for (int i = 1; i <= 9; ++i) monsters += monsterRecord("Goon" + std::to_string(i));
        dir.write("monsters/Guelf.txt", monsters);
        dir.write("monsters/All Planets.txt", monsterRecord("Rat") + monsterRecord("Bat"));
        dir.write("spells/spells.txt", "SPELL_BEGIN\nName: Fireball\nDescription: d\n Level: 1\nPower: 1\n"
                                       "MP Cost: 20\nBattle Only: No\nElement: Fire\nTarget: ENEMY\nScript: None\n");
        for (const char* file : {"boots", "shields", "headgear", "guns", "swords", "staffs", "hp", "mp", "hybrid"})
            dir.write(std::string("items/") + file + ".txt",
                      "_Name: Cheap " + std::string(file) + "\nLevel: 1\nDescription: d\nValue: 3\nValue: 3\n"
                      "_Name: Dear " + std::string(file) + "\nLevel: 30\nDescription: d\nValue: 9\nValue: 9\n");
        dir.write("items/prefix.txt", "_Name: Hot\nLevel: 1\nElement: fire\n");
        dir.write("items/suffix.txt", "_Name: of Might\nLevel: 1\nKind: Attack\n");
    }
};

bool connectedToStart(const Map& map) {
    std::set<std::pair<int, int>> seen{{0, 0}};
    std::vector<std::pair<int, int>> todo{{0, 0}};
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        for (auto [nx, ny] : {std::pair{x - 1, y}, std::pair{x + 1, y}, std::pair{x, y - 1}, std::pair{x, y + 1}})
            if (map.roomAt(nx, ny) && seen.insert({nx, ny}).second) todo.push_back({nx, ny});
    }
    return static_cast<int>(seen.size()) == map.roomCount();
}

TEST(MapLayout, WidthFollowsTheRoomCountAndEveryRoomIsReachable) {
    {
        SmallWorld world(12);
        TestWorld game;
        Map map(false);
        seedDice(3);
        map.generate("Guelf", true);
        EXPECT_EQ(map.width(), 8);
        EXPECT_EQ(map.roomCount(), 13);
        EXPECT_EQ(map.roomAt(0, 0)->name, "Room0");
        EXPECT_EQ(map.roomAt(-1, 0), nullptr);
        EXPECT_EQ(map.roomAt(8, 0), nullptr);
        EXPECT_EQ(map.roomAt(0, 6), nullptr);
        EXPECT_TRUE(connectedToStart(map));
    }
    SmallWorld big(32);
    TestWorld game;
    Map map(false);
    for (unsigned seed = 1; seed < 200; ++seed) {
        seedDice(seed);
        map.generate("Guelf", true);
        ASSERT_EQ(map.width(), 15);
        ASSERT_TRUE(map.layoutProblem().empty()) << map.layoutProblem();
        ASSERT_TRUE(connectedToStart(map)) << "seed " << seed;
        const Room* start = map.roomAt(0, 0);
        ASSERT_TRUE(start && !start->item() && !start->monster());
    }
}

TEST(MapLayout, QuestRoomsNeverHoldRandomContentsAndKeysAreExact) {
    SmallWorld world(14);
    // The quest room is in the dungeon file too, with case-sensitive keys.
    world.dir.write("dungeons/Guelf.txt", [] {
        std::string dungeon;
        for (int i = 0; i < 14; ++i) dungeon += room("Room" + std::to_string(i));
        dungeon += "ROOM_BEGIN\n   NAME:Shrine\nDESC:one\nDESC2:two\ndesc:never\nLOOK:x\n"
                   "QUEST_ROOM_TEXT_BEFORE:Something glows.\nROOM_END\n";
        return dungeon;
    }());
    TestWorld game;
    Map map(true);
    for (unsigned seed = 1; seed < 100; ++seed) {
        seedDice(seed);
        map.generate("Guelf", false);
        for (int x = 0; x < map.width(); ++x)
            for (int y = 0; y < 6; ++y) {
                const Room* r = map.roomAt(x, y);
                if (!r || (r->name != "Shrine" && r->name != "Vault")) continue;
                EXPECT_EQ(r->item(), nullptr);
                EXPECT_EQ(r->monster(), nullptr);
                if (r->name == "Shrine") {
                    EXPECT_EQ(r->descriptionCount(), 2u);  // DESC2 counts, desc does not
                    EXPECT_EQ(r->textBefore, "");          // no current state takes place there
                }
                if (r->name == "Vault") {
                    EXPECT_EQ(r->menuTrigger(), "open");
                }
            }
    }
}

TEST(MapLayout, BrokenRoomFilesStopSafelyWithAMessage) {
    SmallWorld world(3);
    TestWorld game;
    Map map(false);
    seedDice(1);
    map.generate("Guelf", true);
    EXPECT_NE(map.layoutProblem().find("dungeons\\Guelf.txt"), std::string::npos);
    world.dir.write("dungeons/Guelf.txt", "ROOM_BEGIN\nNAME:Empty\nLOOK:x\nROOM_END\n");
    map.generate("Guelf", true);
    const auto& messages = game.game.screen.messages();
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](std::string m) {
        std::replace(m.begin(), m.end(), '\n', ' ');  // long messages are wrapped
        return m.find("Unable to use room \"Empty\" of dungeons\\Guelf.txt (line 4): it has no DESC line") !=
               std::string::npos;
    }));
    EXPECT_FALSE(map.layoutProblem().empty());
}

TEST(QuestProgress, CurrentStateFollowsTheHighestCompletedState) {
    TestWorld game;
    Player& player = game.game.player;
    EXPECT_EQ(currentState(player, 3, 1), 1);
    player.questProgress[3][1][2] = 2;
    EXPECT_EQ(currentState(player, 3, 1), 1);  // state 1 not done yet
    player.questProgress[3][1][1] = 2;
    player.questProgress[3][1][3] = 2;
    player.questProgress[3][1][2] = 0;
    EXPECT_EQ(currentState(player, 3, 1), 4);
    EXPECT_EQ(questRowOf("Guelf"), 3);
    EXPECT_EQ(questRowOf("Nowhere"), 10);
}

struct DungeonWalk {
    SmallWorld world{14};
    TestWorld game;
    test::TestRoot root;
    Dungeon* dungeon = nullptr;
    DungeonWalk() {
        applyClass(game.game.player, "Fighter", true);
        seedDice(11);
        dungeon = new Dungeon(&root, "Guelf", true, false);
        root.setSubState(dungeon);
    }
};

TEST(DungeonWalking, CloserLooksStepThroughDescriptionsAndDMovesTwice) {
    DungeonWalk walk;
    Room* start = walk.dungeon->map().roomAt(0, 0);
    ASSERT_EQ(start->descriptionCount(), 3u);
    Screen& screen = walk.game.game.screen;
    walk.root.updateCurrent("t");
    EXPECT_NE(screen.messages()[0].find("Room0 text 2"), std::string::npos);
    walk.root.updateCurrent("t");
    EXPECT_NE(screen.messages()[0].find("Room0 text 3"), std::string::npos);
    walk.root.updateCurrent("t");
    EXPECT_NE(screen.messages()[0].find("Room0 text 3"), std::string::npos);

    // Find a cell with rooms to the right and below the right neighbour.
    Map& map = walk.dungeon->map();
    const int x = walk.dungeon->playerX(), y = walk.dungeon->playerY();
    const bool right = map.roomAt(x + 1, y) != nullptr;
    const bool rightThenDown = right && map.roomAt(x + 1, y + 1) != nullptr;
    // Keep the walk safe from fights.
    for (int cx = 0; cx < map.width(); ++cx)
        for (int cy = 0; cy < 6; ++cy)
            if (Room* r = map.roomAt(cx, cy)) r->releaseMonster();
    walk.root.updateCurrent("d");
    if (rightThenDown) {
        EXPECT_EQ(walk.dungeon->playerX(), x + 1);
        EXPECT_EQ(walk.dungeon->playerY(), y + 1);
    } else if (right) {
        EXPECT_EQ(walk.dungeon->playerX(), x + 1);
    }
    // Leaving and coming back shows the first description again.
    walk.root.updateCurrent("a");
    walk.root.updateCurrent("w");
    if (walk.dungeon->playerX() == 0 && walk.dungeon->playerY() == 0) {
        EXPECT_NE(screen.messages()[0].find("Room0 text 1"), std::string::npos);
    }
    // The way back to town only from the entrance.
    EXPECT_EQ(walk.root.subState(), walk.dungeon);
}

struct ShopVisit {
    SmallWorld world{14};
    TestWorld game;
    test::TestRoot root;
    Shop* shop = nullptr;
    explicit ShopVisit(int kind = ArmorShop) {
        world.dir.write("towns/towns.txt", "TOWN:Guelf\nNAME:Guelf Port\nPLANET:Guelf\nARMOR_DESC:Shields.\n"
                                           "SHOP_END:\nTOWN_END:\n");
        applyClass(game.game.player, "Fighter", true);
        game.game.player.stats[Level] = 10;
        seedDice(5);
        shop = new Shop(&root, kind, "Guelf", kind == ArmorShop ? "Armor" : "Weapon");
        root.setSubState(shop);
    }
};

TEST(Shopping, ShelvesAreSortedByPriceAndBuyingTakesTheRightItem) {
    ShopVisit visit;
    ItemList& shields = visit.shop->shelf(TypeShield);
    ASSERT_EQ(shields.size(), 5u);
    for (std::size_t i = 1; i < shields.size(); ++i)
        EXPECT_LE(shields.at(long(i) - 1)->price, shields.at(long(i))->price);
    Item* third = shields.at(2);
    Item* fourth = shields.at(3);
    EXPECT_EQ(visit.shop->shownItem(3), third);
    visit.game.game.player.money = 1000000;
    visit.shop->buy(3);
    EXPECT_EQ(visit.game.game.player.inventory.at(0), third);
    EXPECT_EQ(visit.shop->shownItem(3), fourth);  // the next one moves up
    EXPECT_EQ(visit.shop->shownItem(6)->type, TypeBoots);
    EXPECT_EQ(visit.shop->shownItem(16), nullptr);
}

TEST(Shopping, MoneyMessagesSellingAndStealing) {
    ShopVisit visit;
    Game& g = visit.game.game;
    Item* item = visit.shop->shownItem(1);
    item->price = 120;
    g.player.money = 100;
    visit.shop->buy(1);
    EXPECT_NE(g.screen.messages()[0].find("you need 20*"), std::string::npos);
    g.player.money = -5;
    visit.shop->buy(1);
    EXPECT_NE(g.screen.messages()[0].find("negative money"), std::string::npos);
    visit.shop->buy(0);  // cancelled: nothing said
    EXPECT_NE(g.screen.messages()[0].find("negative money"), std::string::npos);
    visit.shop->buy(9);
    g.player.money = 0;

    // Selling: half the price, rounded down.
    auto sold = std::make_unique<Item>();
    sold->type = TypeShield;
    sold->price = 75;
    sold->name = "Lid";
    g.player.inventory.add(std::move(sold));
    visit.shop->sell(1);
    EXPECT_EQ(g.player.money, 37);
    EXPECT_TRUE(g.player.inventory.empty());

    // A sulking sidekick steals nothing; the fine is the price.
    g.sidekick.mood = 10;
    for (int attempt = 0; attempt < 20; ++attempt) {
        Item* target = visit.shop->shownItem(1);
        if (!target) break;
        const int before = g.player.money;
        visit.shop->steal(1);
        EXPECT_EQ(g.player.money, before - target->price);
        EXPECT_NE(g.screen.messages()[0].find("You are fined " + std::to_string(target->price) + "."),
                  std::string::npos);
    }
    EXPECT_TRUE(g.player.inventory.empty());
    EXPECT_EQ(g.sidekick.mood, 0.0f);  // the armor shop's guard remembers faces
}

TEST(Shopping, AnEventHoldsThePlayerOnlyWhenItsSceneExists) {
    auto questAtArmor = [](const std::string& scene) {
        return "BEGIN_QUEST:1\nBEGIN_STATE:1\nLOCATION_NAME:Armor\nQUEST_ITEM_NAME:counter\n"
               "QUEST_ITEM_MENU_OPTION:Ring the bell\n" +
               scene + "END_STATE:\nEND_QUEST:\n" + room("Vault", 1, "QUEST_ITEM_MENU_OPTION:Open\n");
    };
    for (bool written : {false, true}) {
        ShopVisit visit;
        visit.world.dir.write("quests/Guelf.txt",
                              questAtArmor(written ? "BEGIN_QUEST_ROOM:1\nQUEST_ROOM_MAP:x.txt\n"
                                                     "QUEST_ROOM_MENU_OPTION:Ring\nEND_QUEST_ROOM\n"
                                                   : ""));
        destroyChain(visit.root.subState());
        auto* shop = new Shop(&visit.root, ArmorShop, "Guelf", "Armor");
        visit.root.setSubState(shop);
        EXPECT_EQ(shop->questPending(), written);
        visit.root.updateCurrent("0");
        // With nothing to play the player walks out; with a scene waiting, not yet.
        EXPECT_EQ(visit.root.subState() != nullptr, written);
    }
}

TEST(Shopping, MoneyAndPricesNeverWrapAndZeroCancelsACheckSilently) {
    ShopVisit visit;
    Game& g = visit.game.game;
    Item* item = visit.shop->shownItem(1);
    item->stats[Level] = 1e20f;  // an edited item file
    EXPECT_EQ(item->shopPrice(), Item::kHighestPrice);
    item->stats[Level] = std::nanf("");
    EXPECT_EQ(item->shopPrice(), 0);
    item->price = Item::kHighestPrice;
    g.player.money = Player::kMoneyLimit;
    visit.shop->buy(1);
    EXPECT_EQ(g.player.money, Player::kMoneyLimit - Item::kHighestPrice);
    for (int i = 0; i < 5; ++i) visit.root.subState()->Update("g");
    EXPECT_EQ(g.player.money, Player::kMoneyLimit - Item::kHighestPrice + 5000);
    g.player.money = Player::kMoneyLimit - 10;
    g.player.changeMoney(1LL << 62);
    EXPECT_EQ(g.player.money, Player::kMoneyLimit);
    g.player.money = -Player::kMoneyLimit + 10;
    g.player.changeMoney(-(1LL << 62));
    EXPECT_EQ(g.player.money, -Player::kMoneyLimit);

    g.screen.clearMessages();
    g.screen.addMessage("before");
    visit.game.console.addLine("0");
    visit.root.subState()->Update("check");
    EXPECT_EQ(g.screen.messages().size(), 0u) << "the prompt clears the log; 0 adds nothing";
    visit.game.console.addLine("99");
    visit.root.subState()->Update("check");
    ASSERT_EQ(g.screen.messages().size(), 1u);
    EXPECT_EQ(g.screen.messages()[0], "No item selected.\n");
}

}  // namespace
}  // namespace orv
