// The balance simulation's party and fights: a hero and sidekick built the
// way a sensible player builds them for a destination (class, level-up
// choices, the town's shops, potions from the inn), and one fight played
// through the game's own Battle, scripts and dice, with a plain policy
// standing in for the player's typing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "combat/monster.h"
#include "items/item.h"

namespace orv::balance {

inline const char* const kClasses[] = {"Fighter", "Mage", "Rogue", "Outlaw"};
constexpr int kClassCount = 4;
constexpr int kDestinations = 11;

// What the plan says about destination k (its line in the planet list).
struct Destination {
    int index = 0;
    std::string station;
    std::string planet;  // the orbited planet: the name of its monster file
    int plannedArrival = 1;
    long questMoney = 0;
    long questExperience = 0;
    std::vector<std::string> bosses;
    int bossLevel() const { return 9 * index + 3; }
};

// The eleven destinations of the planet list with the plan's numbers;
// empty when the list cannot be read.
std::vector<Destination> readDestinations();

// The levels of the ordinary monsters a hero of `heroLevel` meets there.
int lowestMonsterLevel(int destination, int heroLevel);
constexpr int kMonsterLevelSpread = 4;  // lowest … lowest + 3

// The money a party has on arriving at destination k: the starting purse,
// the mean pay of fourteen fights at every earlier destination, and every
// earlier main quest's money.
long arrivalBudget(const std::vector<Destination>& plan, int destination);

// How the hero's levels grow over a destination: fights at the mean of the
// monster levels, each paying the game's experience, then the boss and the
// main quest.
struct Progress {
    int fightsToBossLevel = -1;  // from arrival to the boss's level; -1: not within 200 fights
    int levelAfterFights = 0;    // after the usual fourteen fights
    int levelAfterBoss = 0;      // after the boss and the main quest's experience
    float experiencePerFightAtArrival = 0;
};
constexpr int kFightsPerDestination = 14;
Progress progressAt(const Destination& destination, int arrivalLevel);

struct PartyPlan {
    int heroClass = 0;
    int sidekickClass = 0;
    int level = 1;
    int destination = 0;
    long budget = 300;
    unsigned shopSeed = 1;
};

struct FightResult {
    bool won = false;
    int rounds = 0;
    float heroHpShareLeft = 0;  // of the hero's max HP, at the end
    int potionsUsed = 0;
    bool sidekickStanding = false;
    // The sidekick was knocked out in the first exchange, before its first
    // turn came round.
    bool sidekickOutBeforeActing = false;
};

// One monster a fight is played against: its record and level.
struct Opponent {
    std::string name;
    Monster monster;
};

class Simulator {
public:
    // Plays in `game`, which must be quiet and stand in the content directory.
    explicit Simulator(Game& game);

    // Builds the party and fills its kit; later fights start from this.
    void buildParty(const PartyPlan& plan);
    // What the shops and the inn sold the party.
    const std::vector<std::string>& purchases() const { return purchases_; }
    int potionsCarried() const { return static_cast<int>(potions_.size()); }

    // Ordinary monsters of a planet, in the order of the draw that picks
    // them: the planet file's nine records, then the two met everywhere.
    std::vector<Opponent> planetMonsters(const std::string& planet, int level) const;
    Opponent boss(const std::string& name, int level) const;

    FightResult fight(const Monster& monster, unsigned seed, bool withPotions);

    static constexpr int kPotionsCarried = 3;
    static constexpr int kRoundLimit = 150;

private:
    void restoreParty(bool withPotions);
    void shop(const PartyPlan& plan);
    Game& game_;
    struct Kit {
        StatBlock stats;
        StatBlock effective;
        ResistanceBlock effectiveResistances;
    };
    Kit hero_, sidekick_;
    std::vector<Item> potions_;
    std::vector<std::string> purchases_;
};

// The level-up choice a sensible player makes for `heroClass` at `level`.
int levelChoiceFor(int heroClass, int level);

}  // namespace orv::balance
