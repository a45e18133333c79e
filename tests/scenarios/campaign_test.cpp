// The story played through, destination by destination, by a bot that
// follows the quests as a player follows the town's log: each destination
// is reached from the ship with the party the plan
// expects, its quests are played to their resting states (bosses beaten,
// missions flown by the test pilot, side quests done), no scene shows
// "This is not a valid quest", and the next destination is reached at
// about the level the plan expects there. A party that falls loads the
// game it saved at the inn before going down, as a player would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <vector>

#include "core/dice.h"
#include "support/campaign_bot.h"

namespace orv {
namespace {

struct Destination {
    int k;
    int arrivalLevel;      // the plan's level on arrival
    const char* boss;      // beaten on the way
    int missions;          // flown on the way
    int nextArrival;       // the plan's level on arrival at the next destination
};

// The first half of the campaign.
const Destination kFirstHalf[] = {
    {0, 1, "Queen Gnawbit", 1, 8},   {1, 8, "Captain Hoarfrost", 1, 19}, {2, 19, "The Head Gardener", 0, 30},
    {3, 30, "The Auditor", 0, 41},   {4, 41, "Colonel Vell", 1, 52},     {5, 52, "Forgemaster Brakka", 1, 64},
};

class CampaignScenario : public testing::TestWithParam<Destination> {};

TEST_P(CampaignScenario, EachDestinationIsPlayedThroughToTheNext) {
    const Destination& destination = GetParam();
    seedDice(1000 + destination.k);
    test::CampaignBot bot;
    bot.prepareFor(destination.k, destination.arrivalLevel);
    const std::string planet = bot.planets()[destination.k];
    SCOPED_TRACE(planet);
    const std::optional<int> arrived = bot.playDestination(destination.k);
    for (const std::string& trouble : bot.trouble) ADD_FAILURE() << trouble;
    ASSERT_TRUE(bot.trouble.empty());
    ASSERT_TRUE(arrived.has_value());
    EXPECT_EQ(*arrived, destination.arrivalLevel);
    EXPECT_TRUE(bot.allResting(destination.k)) << "every quest of " << planet << " rests";
    EXPECT_TRUE(bot.arrivedAt(destination.k + 1)) << "the next destination is reached";
    EXPECT_NE(std::find(bot.bossesBeaten.begin(), bot.bossesBeaten.end(), destination.boss), bot.bossesBeaten.end())
        << destination.boss << " was beaten";
    EXPECT_EQ(bot.missionsWon, destination.missions);
    EXPECT_EQ(bot.missionsLost, 0);
    // The fights along the way bring the party to the next destination at
    // about the level the plan expects there.
    EXPECT_NEAR(bot.level(), destination.nextArrival, 3) << "arriving after " << planet;
    RecordProperty("fights", bot.fights);
    std::printf("[ campaign ] %s: %d fights, %d run from, %d retreats, %d potions, %d defeats, %d missions flown "
                "again, level %d on leaving\n",
                planet.c_str(), bot.fights, bot.fled, bot.retreats, bot.potions, bot.defeats, bot.missionsRetried,
                bot.level());
}

// The second half, to the Admiral: The Abominable's main quest ends the
// story, so "the next destination" there is the ending itself.
const Destination kSecondHalf[] = {
    {6, 64, "The Late Professor Quell", 1, 75}, {7, 75, "The Eye Warden", 0, 86}, {8, 86, "Lady Nightjar", 1, 97},
    {9, 97, "Boss Grimsby", 1, 100},           {10, 100, "Admiral Morwen Kesh", 1, 100},
};

std::string destinationName(const testing::TestParamInfo<Destination>& info) {
    return "Destination" + std::to_string(info.param.k);
}
INSTANTIATE_TEST_SUITE_P(FirstHalf, CampaignScenario, testing::ValuesIn(kFirstHalf), destinationName);
INSTANTIATE_TEST_SUITE_P(SecondHalf, CampaignScenario, testing::ValuesIn(kSecondHalf), destinationName);

// Slots for trying the story by hand: with ORVANTIS_CAMPAIGN_SLOTS=DIR, the
// party the plan expects at each destination is saved at
// the inn of the town before it, as DIR/<k>.txt (copy one into saves/ and
// fly on). Without the variable there is nothing to make.
TEST(CampaignSlots, ThePlannedPartyAtEachDestinationIsSavedForPlayingByHand) {
    const char* dir = std::getenv("ORVANTIS_CAMPAIGN_SLOTS");
    if (!dir || !*dir) GTEST_SKIP() << "set ORVANTIS_CAMPAIGN_SLOTS=DIR to make the slots";
    std::vector<Destination> all(std::begin(kFirstHalf), std::end(kFirstHalf));
    all.insert(all.end(), std::begin(kSecondHalf), std::end(kSecondHalf));
    for (const Destination& destination : all) {
        if (destination.k == 0) continue;  // a new game stands there already
        seedDice(2000 + destination.k);
        test::CampaignBot bot;
        bot.prepareFor(destination.k, destination.arrivalLevel);
        bot.type("3");  // the inn
        bot.type("5");  // its save
        const std::string saved = bot.type("1");  // slot 1
        ASSERT_TRUE(std::filesystem::exists("saves/1.txt")) << saved;
        std::filesystem::copy_file("saves/1.txt", std::filesystem::path(dir) / (std::to_string(destination.k) + ".txt"),
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

// The rewards the story hands out through its scenes, played on the game's
// own Glimmerholm: the soup quest's money and named item, and the random
// item found in the icebreaker's cold storage (made at 1.1 times the hero's
// level).
TEST(CampaignRewards, MoneyANamedItemAndARandomItemComeFromRealScenes) {
    seedDice(31);
    test::CampaignBot bot;
    bot.prepareFor(1, 20);
    const int row = 1;
    for (int state : {1, 2}) bot.g.player.questProgress[row][1][state] = bot.g.player.questProgress[row][2][state] = 2;
    Town* rustwater = bot.at<Town>();
    ASSERT_NE(rustwater, nullptr);
    rustwater->setSubState(new Town(rustwater, "Empyreon VIII"));
    rustwater->closeState();

    const long long money = bot.g.player.money;
    const std::size_t items = bot.g.player.inventory.size();
    bot.type("3");  // the inn, where the innkeeper waits for her ladle
    bot.type("+");
    ASSERT_NE(bot.at<Quest>(), nullptr);
    bot.type("+");
    EXPECT_EQ(bot.g.player.money, money + 700);
    ASSERT_EQ(bot.g.player.inventory.size(), items + 1);
    EXPECT_EQ(bot.g.player.inventory.at(long(items))->name, "Fish Soup");
    EXPECT_EQ(currentState(bot.g.player, row, 2), 4);  // the soup quest rests

    bot.type("0");
    bot.type("0");
    Town* glimmerholm = bot.at<Town>();
    ASSERT_NE(glimmerholm, nullptr);
    glimmerholm->setSubState(new Quest(glimmerholm, "Empyreon VIII", "Cold Storage"));
    bot.type("+");
    ASSERT_EQ(bot.g.player.inventory.size(), items + 2);
    // Made at level trunc(1.1 x 20) = 22, which the item maker lowers by 5
    // to 10 (a quarter of the level, plus five) before it finds its base.
    const float found = bot.g.player.inventory.at(long(items + 1))->stats[Level];
    EXPECT_GE(found, 12.0f);
    EXPECT_LE(found, 17.0f);
    EXPECT_EQ(currentState(bot.g.player, row, 1), 4);
}


// A scene in the dungeon that makes another room's state current: that room
// offers its event on the same trip, without a walk back to town. In the
// Frozen Icebreaker, the crates in Cold Storage send the party to the bridge.
TEST(CampaignRewards, ARoomWhoseStateBecameCurrentDownThereOffersItsEventAtOnce) {
    seedDice(41);
    test::CampaignBot bot;
    bot.prepareFor(1, 40);  // strong enough that the walk is no story
    for (int state : {1, 2}) bot.g.player.questProgress[1][1][state] = 2;
    Town* rustwater = bot.at<Town>();
    ASSERT_NE(rustwater, nullptr);
    rustwater->setSubState(new Town(rustwater, "Empyreon VIII"));
    rustwater->closeState();
    bot.type("5");
    ASSERT_TRUE(bot.walkTo("Frozen Bridge"));
    EXPECT_EQ(bot.at<Dungeon>()->map().roomAt(bot.at<Dungeon>()->playerX(), bot.at<Dungeon>()->playerY())
                  ->menuTrigger(), "");  // not yet: the crates come first
    ASSERT_TRUE(bot.walkTo("Cold Storage"));
    bot.type("+");
    bot.type("+");
    bot.type("0");
    ASSERT_NE(bot.at<Dungeon>(), nullptr);
    EXPECT_EQ(currentState(bot.g.player, 1, 1), 4);
    ASSERT_TRUE(bot.walkTo("Frozen Bridge"));
    const Dungeon* icebreaker = bot.at<Dungeon>();
    const Room* bridge = icebreaker->map().roomAt(icebreaker->playerX(), icebreaker->playerY());
    EXPECT_EQ(bridge->menuTrigger(), "chair");
    EXPECT_EQ(bridge->menuOption(), "Take the captain's chair");
    // The room whose event was used stays quiet until the next trip.
    ASSERT_TRUE(bot.walkTo("Cold Storage"));
    const Room* storage = icebreaker->map().roomAt(icebreaker->playerX(), icebreaker->playerY());
    EXPECT_EQ(storage->menuTrigger(), "");
}

}  // namespace
}  // namespace orv
