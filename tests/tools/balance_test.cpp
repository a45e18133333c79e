// The balance simulation on a tiny sample of the game's own content: the
// same seeds play the same fights, and its numbers mean what they say (an
// overwhelming party always wins, a hopeless one never does).
#include <gtest/gtest.h>

#include <cstdlib>

#include "balance_fight.h"
#include "support/test_world.h"

namespace orv {
namespace {

using balance::FightResult;
using balance::Simulator;

struct Sample {
    test::InGameData data;
    test::TestWorld world;
    Simulator sim{world.game};
    Sample() { world.game.screen.setQuiet(true); }

    std::vector<FightResult> play(const Monster& monster, int fights, unsigned seed, bool potions = true) {
        std::vector<FightResult> results;
        for (int i = 0; i < fights; ++i) results.push_back(sim.fight(monster, seed + static_cast<unsigned>(i), potions));
        return results;
    }
};

bool same(const FightResult& a, const FightResult& b) {
    return a.won == b.won && a.rounds == b.rounds && a.heroHpShareLeft == b.heroHpShareLeft &&
           a.potionsUsed == b.potionsUsed && a.sidekickStanding == b.sidekickStanding &&
           a.sidekickOutBeforeActing == b.sidekickOutBeforeActing;
}

TEST(BalanceSimulation, TheSameSeedsPlayTheSameFightsWhateverCameBefore) {
    Sample s;
    s.sim.buildParty({0, 1, 1, 0, 300, 5});
    const auto monsters = s.sim.planetMonsters("Empyreon VI", 2);
    ASSERT_EQ(monsters.size(), 11u);
    EXPECT_EQ(monsters.front().name, "Rust Mite");
    const auto first = s.play(monsters[1].monster, 12, 40);
    s.play(monsters[4].monster, 5, 900);  // fights in between leave nothing behind
    s.sim.buildParty({0, 1, 1, 0, 300, 5});
    const auto again = s.play(monsters[1].monster, 12, 40);
    ASSERT_EQ(first.size(), again.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(same(first[i], again[i])) << "fight " << i;
    int rounds = 0;
    for (const FightResult& r : first) {
        rounds += r.rounds;
        EXPECT_GE(r.heroHpShareLeft, 0.0f);
        EXPECT_LE(r.heroHpShareLeft, 1.0f);
        EXPECT_LE(r.potionsUsed, Simulator::kPotionsCarried);
    }
    EXPECT_GT(rounds, 12);  // a level-1 party needs more than one blow now and then
}

TEST(BalanceSimulation, AnOverwhelmingPartyAlwaysWinsAndAHopelessOneNever) {
    Sample s;
    s.sim.buildParty({0, 0, 100, 10, 50'000'000, 3});
    const Monster mite = s.sim.planetMonsters("Empyreon VI", 1).front().monster;
    for (const FightResult& r : s.play(mite, 15, 1)) {
        EXPECT_TRUE(r.won);
        EXPECT_EQ(r.potionsUsed, 0);
    }
    s.sim.buildParty({0, 0, 1, 0, 300, 3});
    const auto bosun = s.sim.boss("The Iron Bosun", 93);
    ASSERT_TRUE(bosun.monster.found);
    for (const FightResult& r : s.play(bosun.monster, 15, 1)) {
        EXPECT_FALSE(r.won);
        EXPECT_LT(r.rounds, Simulator::kRoundLimit);  // it ends by the hero's fall, not by the round limit
    }
}

// The price a purchase line names: "... (120*)".
long priceOf(const std::string& purchase) {
    const std::size_t open = purchase.rfind('(');
    return std::atol(purchase.c_str() + open + 1);
}

TEST(BalanceSimulation, TheKitIsPaidForAndWornWhereItBelongs) {
    Sample s;
    s.sim.buildParty({3, 2, 20, 2, 5000, 11});
    long spent = 0;
    for (const std::string& bought : s.sim.purchases()) spent += priceOf(bought);
    EXPECT_GT(spent, 0);
    EXPECT_LE(spent, 5000);
    EXPECT_LE(s.sim.potionsCarried(), Simulator::kPotionsCarried);
    for (Protagonist* who : {static_cast<Protagonist*>(&s.world.game.player),
                             static_cast<Protagonist*>(&s.world.game.sidekick)}) {
        if (const Item* weapon = who->equipped(SlotWeapon)) {
            EXPECT_GE(weapon->type, TypeGun);
            EXPECT_LE(weapon->type, TypeStaff);
        }
        for (int slot : {SlotBoots, SlotShield, SlotVisor}) {
            if (const Item* item = who->equipped(slot)) {
                EXPECT_EQ(item->type, slot);
            }
        }
        // The party starts its fights at full strength, kit included.
        EXPECT_EQ(who->effective[HP], who->effective[MaxHP]);
        EXPECT_GE(who->effective[MaxHP], who->stats[MaxHP]);
    }
    s.sim.buildParty({3, 2, 20, 2, 0, 11});
    EXPECT_TRUE(s.sim.purchases().empty());
    EXPECT_EQ(s.world.game.player.equipped(SlotWeapon), nullptr);
}

TEST(BalanceSimulation, PotionsAreDrunkOnlyWhenCarried) {
    Sample s;
    s.sim.buildParty({0, 1, 8, 1, 4000, 2});
    ASSERT_GT(s.sim.potionsCarried(), 0);
    const auto captain = s.sim.boss("Captain Hoarfrost", 12);
    int drunk = 0;
    for (const FightResult& r : s.play(captain.monster, 12, 300)) {
        drunk += r.potionsUsed;
        EXPECT_LE(r.potionsUsed, s.sim.potionsCarried());
    }
    EXPECT_GT(drunk, 0);  // a boss above the party's level wears it down
    for (const FightResult& r : s.play(captain.monster, 12, 300, false)) EXPECT_EQ(r.potionsUsed, 0);
}

TEST(BalanceSimulation, ThePlanAndTheExperienceRulesReadAsTheCampaignSays) {
    test::InGameData data;
    test::TestWorld world;
    const auto plan = balance::readDestinations();
    ASSERT_EQ(plan.size(), 11u);
    EXPECT_EQ(plan[0].planet, "Empyreon VI");
    EXPECT_EQ(plan[0].bosses, std::vector<std::string>{"Queen Gnawbit"});
    EXPECT_EQ(plan[10].bosses.size(), 2u);  // the Iron Bosun and the Admiral
    EXPECT_EQ(plan[10].bossLevel(), 93);
    // A level-1 hero at the first destination earns a level in two fights or
    // fewer and passes the boss's level 3 well within the fourteen fights.
    const auto progress = balance::progressAt(plan[0], 1);
    EXPECT_GE(progress.experiencePerFightAtArrival, 6000.0f);
    EXPECT_GT(progress.fightsToBossLevel, 0);
    EXPECT_LT(progress.fightsToBossLevel, balance::kFightsPerDestination);
    EXPECT_GT(progress.levelAfterBoss, progress.levelAfterFights);
    // Nobody buys anything with no money; money brings gear.
    EXPECT_EQ(balance::arrivalBudget(plan, 0), 300);
    EXPECT_GT(balance::arrivalBudget(plan, 5), balance::arrivalBudget(plan, 4));
}

}  // namespace
}  // namespace orv
