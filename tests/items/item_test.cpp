// Making items: the level search, affixes, names, prices, the cache and lists.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/dice.h"
#include "core/text.h"
#include "items/item.h"
#include "items/item_files.h"
#include "items/item_list.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::InGameData;
using test::ScratchDirectory;
using test::TestWorld;

std::string record(const std::string& name, int level, const std::string& rest) {
    return "_Name: " + name + "\nLevel: " + std::to_string(level) + "\n" + rest;
}

// A small set of item files with known numbers.
struct TinyItems {
    ScratchDirectory dir;
    TinyItems() {
        dir.write("items/swords.txt", record("Stick", 3, "Description: a stick\nAttack: 10\n") +
                                          record("Blade", 20, "Description: sharp\nAttack: 40\n") +
                                          record("Great Blade", 50, "Description: sharper\nAttack: 90\n"));
        dir.write("items/boots.txt", record("Clogs", 1, "Description: loud\nSpeed: 2\nLowDef: 5\n"));
        dir.write("items/hp.txt", record("Stim", 4, "Description: a jab\n"));
        for (const char* file : {"shields", "headgear", "guns", "staffs", "mp", "hybrid"})
            dir.write(std::string("items/") + file + ".txt", record(std::string("Thing") + file, 1, "Description: x\nValue: 1\n"));
        dir.write("items/prefix.txt", record("Hot", 1, "Element: fire\n") + record("Cold", 1, "Element: ice\n"));
        dir.write("items/suffix.txt", record("of Might", 1, "Kind: Attack\n"));
    }
};

TEST(ItemScan, LevelSearchClampsToTheFirstAndLastRecords) {
    TinyItems tiny;
    TestWorld w;
    for (int seed = 0; seed < 50; ++seed) {
        seedDice(seed);
        auto low = Item::random(5, TypeSword);  // targets 0 or -1: always the first record
        EXPECT_EQ(low->stats[Level], 3.0f);
        EXPECT_EQ(low->name.find("Stick"), low->hasPrefix ? low->name.find(' ') + 1 : 0u) << low->name;
    }
    seedDice(7);
    auto high = Item::random(500, TypeSword);
    EXPECT_NE(high->name.find("Great Blade"), std::string::npos);
    EXPECT_EQ(high->stats[Level], 50.0f);
    EXPECT_EQ(high->description, "sharper");
    EXPECT_GE(high->stats[Attack], 90 * 1.8f);  // the last record's numbers are read too
}

TEST(ItemScan, StatisticsFollowTheTypeRules) {
    TinyItems tiny;
    TestWorld w;
    for (int seed = 0; seed < 30; ++seed) {
        seedDice(seed);
        auto boots = Item::random(1, TypeBoots);
        EXPECT_GE(boots->stats[Speed], 2 * 1.8f - 0.001f);
        EXPECT_LE(boots->stats[Speed], 2 * 2.2f + 0.001f + (boots->hasSuffix ? 1000 : 0));
        EXPECT_GE(boots->stats[LowDefence], 5 * 1.8f - 0.001f);
        auto stim = Item::random(9, TypeHp);
        EXPECT_EQ(stim->stats[HP], 4 * 30.0f);
        EXPECT_FALSE(stim->hasPrefix || stim->hasSuffix);  // consumables never carry affixes
        EXPECT_EQ(stim->shopPrice(), 4 * 4 * 5);
    }
}

TEST(ItemName, CapitalisationLeavesOfAndTheInsideNames) {
    EXPECT_EQ(capitalizeWords("blade of the north"), "Blade of the North");
    EXPECT_EQ(capitalizeWords("mary-jane"), "Mary-Jane");
    EXPECT_EQ(capitalizeWords("sword of"), "Sword Of");  // "of" as the last word
    EXPECT_EQ(capitalizeWords("the blade"), "the Blade");
}

TEST(ItemName, RebuildsPrefixBaseAndSuffixFromAName) {
    TinyItems tiny;
    TestWorld w;
    auto item = Item::fromName("hot great blade of might");
    EXPECT_EQ(item->name, "Hot Great Blade of Might");
    EXPECT_EQ(item->type, TypeSword);
    EXPECT_TRUE(item->hasPrefix);
    EXPECT_TRUE(item->hasSuffix);
    EXPECT_EQ(item->stats[Level], 50.0f);
    EXPECT_LT(item->resistances[Fire], 0.0f);
    EXPECT_GT(item->resistances[Ice], 0.0f);
    EXPECT_EQ(item->shopPrice(), 50 * 50 * 75);

    auto unknown = Item::fromName("rubber chicken");
    EXPECT_EQ(w.game.screen.messages()[0], "This is all I could find...\n\n");
    EXPECT_NE(unknown->name, "Rubber Chicken");

    auto badSuffix = Item::fromName("blade of nothing");
    EXPECT_EQ(badSuffix->type, TypeSword);
    EXPECT_FALSE(badSuffix->hasSuffix);
    ASSERT_FALSE(w.game.screen.artLines().empty());
    EXPECT_EQ(w.game.screen.artLines().back(), "Could not find suffix\n\n");
}

TEST(ItemName, PricesFollowTheAffixes) {
    Item item;
    item.type = TypeShield;
    item.stats[Level] = 10;
    EXPECT_EQ(item.shopPrice(), 1000);
    item.hasSuffix = true;
    EXPECT_EQ(item.shopPrice(), 2500);
    item.hasPrefix = true;
    EXPECT_EQ(item.shopPrice(), 7500);
    item.type = TypeHybrid;
    EXPECT_EQ(item.shopPrice(), 1000);
    item.type = TypeMp;
    EXPECT_EQ(item.shopPrice(), 500);
}

TEST(ItemScan, AMissingFileIsReportedAndTheItemStaysEmpty) {
    ScratchDirectory empty;
    TestWorld w;
    auto item = Item::random(10, TypeGun);
    EXPECT_EQ(item->stats[Attack], 0.0f);
    ASSERT_FALSE(w.game.screen.artLines().empty());
    EXPECT_EQ(w.game.screen.artLines().front(), "Could not open file:items\\guns.txt\n");
}

// Over the game's own item files: the files kept in memory give exactly
// what reading them from disk gives, draw for draw.
TEST(ItemCache, CachedFilesGiveTheSameItemsAsReadingFromDisk) {
    InGameData data;
    TestWorld w;
    DiskItemFiles disk;
    auto describe = [](const Item& item) {
        std::string text = item.name + "|" + std::to_string(item.type) + "|" + item.description + "|" +
                           std::to_string(item.hasPrefix) + std::to_string(item.hasSuffix);
        for (float v : item.stats.values) text += "|" + toText(v);
        for (float v : item.resistances.values) text += "|" + toText(v);
        return text;
    };
    for (int seed = 0; seed < 300; ++seed) {
        const int level = seed % 120 + 1;
        seedDice(seed);
        setItemFileSource(&disk);
        auto fromDisk = Item::random(level);
        const int afterDisk = rollDice();
        seedDice(seed);
        setItemFileSource(nullptr);
        auto fromCache = Item::random(level);
        ASSERT_EQ(describe(*fromDisk), describe(*fromCache)) << "seed " << seed;
        ASSERT_EQ(afterDisk, rollDice()) << "the same number of draws, seed " << seed;
    }
    setItemFileSource(nullptr);
}

TEST(ItemCache, ItemsRebuiltFromTheirOwnNamesKeepNameTypeAndAffixes) {
    InGameData data;
    TestWorld w;
    for (int seed = 0; seed < 400; ++seed) {
        seedDice(seed);
        auto item = Item::random(seed % 115 + 1);
        ASSERT_FALSE(item->name.empty());
        auto rebuilt = Item::fromName(lowercase(item->name));
        EXPECT_EQ(rebuilt->name, item->name) << "seed " << seed;
        EXPECT_EQ(rebuilt->type, item->type) << item->name;
        EXPECT_EQ(rebuilt->hasPrefix, item->hasPrefix) << item->name;
        EXPECT_EQ(rebuilt->hasSuffix, item->hasSuffix) << item->name;
        EXPECT_EQ(rebuilt->stats[Level], item->stats[Level]) << item->name;
    }
    EXPECT_TRUE(w.game.screen.messages().empty());
}

TEST(ItemList, OwnsTakesErasesAndSortsStably) {
    ItemList list;
    auto make = [](const std::string& name, int type, float level, int price) {
        auto item = std::make_unique<Item>();
        item->name = name;
        item->type = type;
        item->stats[Level] = level;
        item->price = price;
        return item;
    };
    list.add(make("b", TypeHp, 5, 30));
    list.add(make("a", TypeSword, 9, 10));
    list.add(make("c", TypeSword, 2, 20));
    list.add(make("d", TypeBoots, 9, 10));
    list.add(nullptr);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(list.at(4), nullptr);
    EXPECT_EQ(list.at(-1), nullptr);
    EXPECT_TRUE(list.hasConsumable());
    list.sortByLevel();
    list.sortByType();  // grouped by type, ascending level inside
    EXPECT_EQ(list.at(0)->name, "d");
    EXPECT_EQ(list.at(1)->name, "c");
    EXPECT_EQ(list.at(2)->name, "a");
    EXPECT_EQ(list.at(3)->name, "b");
    list.sortByPrice();  // equal prices keep their order
    EXPECT_EQ(list.at(0)->name, "d");
    EXPECT_EQ(list.at(1)->name, "a");
    std::unique_ptr<Item> taken = list.take(3);
    EXPECT_EQ(taken->name, "b");
    EXPECT_FALSE(list.hasConsumable());
    EXPECT_EQ(list.take(7), nullptr);
    list.erase(0);
    list.erase(9);
    EXPECT_EQ(list.size(), 2u);
    list.sortByName();
    EXPECT_EQ(list.at(0)->name, "a");
}

}  // namespace
}  // namespace orv
