// Whatever a player types at any destination of the campaign, the story
// never strands them: standing in a town, some way on is always open — the
// ship, the dungeon, or a quest event at one of the town's places. Seeded
// random walks of commands a player can type, from the moment each
// destination is reached; ORVANTIS_SOFT_LOCK_RUNS sets how many per
// destination (a few dozen by default; thousands were run by hand).
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/dice.h"
#include "data/planet_table.h"
#include "support/campaign_bot.h"

namespace orv {
namespace {

const char* const kCommands[] = {
    "1", "2", "3", "4", "5", "6", "7", "8", "0", "+", "+", "+", "", "", ".", "-", "*", "a", "w", "s", "d",
    "look around", "1", "2", "3", "5", "+", "0", "0", "yes", "no", "e", "t", "q", "b", "p", "fly",
};

// The town's places that can hold a quest event, and whether one of the
// current states of the destination's quests is at such a place.
bool questEventInTown(test::CampaignBot& bot, int k, const std::string& uniquePlace) {
    for (const auto& [quest, states] : test::readStoryPlaces(bot.planets()[k])) {
        const auto state = states.find(currentState(bot.g.player, k, quest));
        if (state == states.end()) continue;
        const std::string& place = state->second;
        if (place == "Armor" || place == "Weapon" || place == "Inn" || place == "common area" || place == "town" ||
            (!place.empty() && place == uniquePlace))
            return true;
    }
    return false;
}

TEST(SoftLock, RandomCommandsNeverStrandThePartyInAnyTown) {
    const char* setting = std::getenv("ORVANTIS_SOFT_LOCK_RUNS");
    const int runs = setting ? std::max(1, std::atoi(setting)) : 12;
    constexpr int kArrivalLevels[] = {1, 8, 19, 30, 41, 52, 64, 75, 86, 97, 100};
    long townsChecked = 0;
    for (int k = 0; k < int(std::size(kArrivalLevels)); ++k) {
        for (int run = 0; run < runs; ++run) {
            const unsigned seed = 5000u + unsigned(k) * 100000u + unsigned(run);
            seedDice(seed);
            test::CampaignBot bot;
            bot.prepareFor(k, kArrivalLevels[k]);
            if (k > 0) {
                bot.type("4");
                bot.type(std::to_string(k + 1));
            }
            for (int step = 0; step < 150; ++step) {
                if (bot.at<Splash>()) break;  // the party fell: a loss, not a trap
                if (const Town* town = bot.at<Town>(); town && town->known()) {
                    const int row = questTableIndex(town->planet());
                    ++townsChecked;
                    ASSERT_TRUE(town->shipAvailable() || town->canGoDown() ||
                                questEventInTown(bot, row, test::uniquePlaceOf(town->planet())))
                        << "stranded in " << town->planet() << " (seed " << seed << ", step " << step << ")";
                }
                bot.type(kCommands[rollDice() % std::size(kCommands)]);
            }
        }
    }
    RecordProperty("towns_checked", int(townsChecked));
    EXPECT_GT(townsChecked, runs * int(std::size(kArrivalLevels)));
}

}  // namespace
}  // namespace orv
