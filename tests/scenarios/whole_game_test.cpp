// The whole story in one sitting: a new game typed from the title screen,
// played by the campaign bot through all eleven destinations — every main
// quest and side quest, every boss, every mission flown by the test pilot —
// to the Admiral, the credits, and on into free play. Nothing is prepared:
// the party is what its own fights, purchases and rewards made it, and a
// fall loads the game it saved at the inn, as a player would.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/dice.h"
#include "screens/credits.h"
#include "world/dungeon.h"
#include "support/campaign_bot.h"

namespace orv {
namespace {

// The game CI plays; ORVANTIS_WHOLE_GAME_SEED plays another, and
// ORVANTIS_WHOLE_GAME_HERO / _SIDEKICK pick other classes (f, m, r, o).
unsigned wholeGameSeed() {
    const char* seed = std::getenv("ORVANTIS_WHOLE_GAME_SEED");
    return seed && *seed ? unsigned(std::strtoul(seed, nullptr, 10)) : 20261208u;
}

const char* const kBosses[] = {
    "Queen Gnawbit",           "Captain Hoarfrost", "The Head Gardener", "The Auditor",
    "Colonel Vell",            "Forgemaster Brakka", "The Late Professor Quell", "The Eye Warden",
    "Lady Nightjar",           "Boss Grimsby",      "The Iron Bosun",    "Admiral Morwen Kesh",
};

TEST(WholeGame, ANewGameIsPlayedFromTheFirstLineToTheCreditsAndOnIntoFreePlay) {
    const auto started = std::chrono::steady_clock::now();
    const unsigned seed = wholeGameSeed();
    seedDice(seed);
    const char* hero = std::getenv("ORVANTIS_WHOLE_GAME_HERO");
    const char* sidekick = std::getenv("ORVANTIS_WHOLE_GAME_SIDEKICK");
    test::CampaignBot bot(hero ? hero : "f", sidekick ? sidekick : "f");
    bot.startNewGame();
    const int destinations = int(bot.planets().size());
    ASSERT_EQ(destinations, 11);
    std::string arrivals;
    for (int k = 0; k < destinations; ++k) {
        SCOPED_TRACE(bot.planets()[k]);
        const int fightsBefore = bot.fights, defeatsBefore = bot.defeats;
        const std::optional<int> arrived = bot.playDestination(k);
        std::string falls;
        for (int d = defeatsBefore; d < bot.defeats; ++d) falls += (falls.empty() ? "; fell to " : ", ") + bot.defeatedBy[d];
        std::printf("[ whole game ] %s: arrived at level %d, %d fights, level %d on leaving%s\n",
                    bot.planets()[k].c_str(), arrived.value_or(0), bot.fights - fightsBefore, bot.level(),
                    falls.c_str());
        for (const std::string& trouble : bot.trouble) ADD_FAILURE() << trouble;
        ASSERT_TRUE(bot.trouble.empty());
        ASSERT_TRUE(bot.allResting(k)) << "every quest of " << bot.planets()[k] << " rests";
        arrivals += (k ? ", " : "") + std::to_string(arrived.value_or(0));
    }
    for (const char* boss : kBosses)
        EXPECT_NE(std::find(bot.bossesBeaten.begin(), bot.bossesBeaten.end(), boss), bot.bossesBeaten.end())
            << boss << " was beaten";
    EXPECT_EQ(bot.missionsWon, 8);
    EXPECT_EQ(bot.missionsLost, 0);

    // Leaving the Admiral's scene rolled the credits; "*" rolled them again.
    EXPECT_EQ(bot.creditsRolled, 2);
    ASSERT_EQ(bot.at<Credits>(), nullptr);

    // Free play, wherever the story left the party: home to Wreckport,
    // whose ship flies everywhere.
    for (int line = 0; line < 400 && !bot.at<Town>(); ++line) {
        if (const Dungeon* labyrinth = bot.at<Dungeon>()) {
            const Room* here = labyrinth->map().roomAt(labyrinth->playerX(), labyrinth->playerY());
            if (here && here->name == "Scrap Hatch") bot.type("4");
            else ASSERT_TRUE(bot.walkTo("Scrap Hatch"));
        } else {
            bot.type("0");
        }
    }
    const Town* wreckport = bot.at<Town>();
    ASSERT_NE(wreckport, nullptr);
    EXPECT_EQ(wreckport->planet(), "The Abominable");
    EXPECT_TRUE(wreckport->shipAvailable());
    EXPECT_TRUE(wreckport->canGoDown());
    for (const PlanetEntry& planet : bot.g.player.planets) EXPECT_TRUE(planet.unlocked) << planet.name;
    std::string screen = bot.type("4");
    ASSERT_NE(bot.at<Spaceship>(), nullptr);
    EXPECT_EQ(screen.find("???"), std::string::npos) << "every destination is on the ship's list\n" << screen;
    screen = bot.type("1");  // the first destination again, in free play
    EXPECT_TRUE(bot.at<Town>() || bot.at<Quest>()) << screen;
    for (const std::string& trouble : bot.trouble) ADD_FAILURE() << trouble;

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    RecordProperty("lines", int(bot.linesTyped));
    std::printf("[ whole game ] seed %u: %ld lines, %.1f s; %d fights, %d run from, %d defeats, %d potions, %d missions "
                "flown again; "
                "arrival levels %s; level %d at the end\n",
                seed, bot.linesTyped, seconds, bot.fights, bot.fled, bot.defeats, bot.potions, bot.missionsRetried,
                arrivals.c_str(), bot.level());
}

}  // namespace
}  // namespace orv
