// The balance simulation's party and fights (see balance_fight.h).
#include "balance_fight.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "combat/battle.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/state.h"
#include "data/level_up.h"
#include "screens/creator.h"

namespace orv::balance {

namespace {

// What the campaign plan expects of each destination: the hero's level on
// arrival and what its main quest pays.
struct PlanRow {
    int arrival;
    long money;
    long experience;
};
constexpr PlanRow kPlan[kDestinations] = {
    {1, 300, 14000},       {8, 2000, 8000},       {19, 6000, 12000},  {30, 12000, 16000},
    {41, 20000, 20000},    {52, 30000, 24000},    {64, 45000, 28000}, {75, 60000, 32000},
    {86, 80000, 36000},    {97, 100000, 40000},   {100, 0, 0},
};

// A screen under the fight that draws nothing and ignores lines, and takes
// whatever was opened above it along when it goes.
struct Arena : State {
    Arena() : State(nullptr) {}
    ~Arena() override { destroyChain(subState()); }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    void Draw() override {}
    void Update(const std::string&) override {}
};

const char* const kSpellGroups[] = {"Fire", "Ice", "Dark", "Light", "Normal"};

int groupOf(const std::string& element) {
    for (int g = 0; g < 5; ++g)
        if (element == kSpellGroups[g]) return g;
    return -1;
}

Resistance resistanceOf(int group) {
    static constexpr Resistance kByGroup[] = {Fire, Ice, Dark, Light, Ether};
    return kByGroup[group];
}

// The number the battle's spell list gives a known spell (1-based), or 0.
int listNumber(const Protagonist& who, const std::string& spellName) {
    int number = 0;
    for (const char* element : kSpellGroups)
        for (const Spell& spell : who.spells) {
            if (spell.element != element) continue;
            ++number;
            if (spell.name == spellName) return number;
        }
    return 0;
}

float defenceOf(const StatBlock& stats, int part) {
    return part == 0 ? stats[LowDefence] : part == 1 ? stats[MidDefence] : stats[HighDefence];
}

// The weapon blow a protagonist can expect against a monster's weakest part:
// the game's own hit test over every roll, and its damage at the middle of
// the variance.
float expectedBlow(const Protagonist& who, const Monster& monster, int& weakestPart) {
    weakestPart = 0;
    for (int part = 1; part < 3; ++part)
        if (defenceOf(monster.stats, part) < defenceOf(monster.stats, weakestPart)) weakestPart = part;
    const float ratio =
        clampRatio(monster.stats[Speed] > 0 ? who.effective[Speed] / monster.stats[Speed] : 2.0f);
    int hits = 0;
    for (int roll = 1; roll <= 100; ++roll) hits += hitTest(roll, ratio, who.stats[Level]);
    return static_cast<float>(hits) / 100.0f *
           std::trunc(blowDamage(93, who.effective[Attack], defenceOf(monster.stats, weakestPart), false, false));
}

// Ways a player can heal in a fight, with what they give.
struct HealSpell {
    const Spell* spell = nullptr;
    float amount = 0;
};

HealSpell bestHeal(const Protagonist& hero) {
    HealSpell best;
    for (const Spell& spell : hero.spells) {
        if (spell.script != "None" || spell.power >= 0) continue;
        if (spell.target != "YOU" && spell.target != "PARTY") continue;
        if (spell.mpCost > hero.effective[MP]) continue;
        const float amount = -spell.power * hero.effective[Magic];
        if (amount > best.amount) best = {&spell, amount};
    }
    return best;
}

// The cheapest heal worth casting: what the hero keeps MP back for.
float healReserve(const Protagonist& hero) {
    float reserve = 0;
    for (const Spell& spell : hero.spells) {
        if (spell.script != "None" || spell.power >= 0 || spell.target != "YOU") continue;
        if (-spell.power * hero.effective[Magic] < 0.25f * hero.effective[MaxHP]) continue;
        if (reserve == 0 || spell.mpCost < reserve) reserve = spell.mpCost;
    }
    return reserve;
}

// The attack spell with the most expected damage the hero can pay for.
const Spell* bestAttackSpell(const Protagonist& hero, const Monster& monster, float mpToSpend, float& damage) {
    const Spell* best = nullptr;
    damage = 0;
    for (const Spell& spell : hero.spells) {
        if (spell.script != "None" || spell.target != "ENEMY" || spell.power <= 0) continue;
        const int group = groupOf(spell.element);
        if (group < 0 || spell.mpCost > mpToSpend) continue;
        const float expected = spell.power * hero.effective[Magic] * monster.resistances[resistanceOf(group)];
        if (expected > damage) {
            damage = expected;
            best = &spell;
        }
    }
    return best;
}

// The order number of the sidekick's plan: magic of the element the
// monster fears most among those it knows, or plain attacks.
int sidekickOrders(const Sidekick& sidekick, const Monster& monster) {
    if (sidekick.className == "Fighter" || sidekick.className == "Rogue") return 1;
    int bestGroup = -1;
    for (const Spell& spell : sidekick.spells) {
        const int group = groupOf(spell.element);
        if (group < 0 || spell.target != "ENEMY" || spell.script != "None") continue;
        if (bestGroup < 0 || monster.resistances[resistanceOf(group)] > monster.resistances[resistanceOf(bestGroup)])
            bestGroup = group;
    }
    return bestGroup < 0 ? 1 : bestGroup + 2;
}

// How much a class cares for each thing an item gives.
struct Taste {
    float attack, magic, speed, defence, maxHP, maxMP, resistance;
};
constexpr Taste kTastes[kClassCount] = {
    {1.0f, 0.0f, 0.5f, 1.0f, 0.1f, 0.0f, 20},   // Fighter
    {0.2f, 2.0f, 0.3f, 1.0f, 0.2f, 0.1f, 20},   // Mage
    {1.0f, 0.0f, 1.0f, 0.7f, 0.1f, 0.0f, 20},   // Rogue
    {1.0f, 0.8f, 0.6f, 0.8f, 0.1f, 0.05f, 20},  // Outlaw
};

float worth(const Item& item, int wearerClass) {
    const Taste& t = kTastes[wearerClass];
    float resist = 0;
    for (std::size_t r = 0; r < ResistanceCount; ++r) resist -= item.resistances[r];
    return t.attack * item.stats[Attack] + t.magic * item.stats[Magic] + t.speed * item.stats[Speed] +
           t.defence * (item.stats[LowDefence] + item.stats[MidDefence] + item.stats[HighDefence]) +
           t.maxHP * item.stats[MaxHP] + t.maxMP * item.stats[MaxMP] + t.resistance * resist;
}

int classIndex(const std::string& name) {
    for (int c = 0; c < kClassCount; ++c)
        if (name == kClasses[c]) return c;
    return 0;
}

long meanMonsterMoney(int level) {
    const long square = static_cast<long>(level) * level;
    return (10 * square - 1) / 2 + square;
}

}  // namespace

std::vector<Destination> readDestinations() {
    std::vector<Destination> plan;
    std::ifstream list = openDataFile("planets\\Planet List.txt");
    std::string line;
    while (std::getline(list, line) && static_cast<int>(plan.size()) < kDestinations) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        Destination d;
        d.index = static_cast<int>(plan.size());
        d.station = line.substr(0, comma);
        d.planet = line.substr(comma + 1);
        d.plannedArrival = kPlan[d.index].arrival;
        d.questMoney = kPlan[d.index].money;
        d.questExperience = kPlan[d.index].experience;
        plan.push_back(d);
    }
    // The boss file holds the bosses in planet order; the last destination
    // has the two that are left.
    std::ifstream bosses = openDataFile("monsters\\Bosses.txt");
    std::vector<std::string> names;
    bool afterMarker = false;
    while (std::getline(bosses, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (afterMarker && line.rfind("Name: ", 0) == 0) names.push_back(line.substr(6));
        afterMarker = line == "MONSTER_BEGIN";
    }
    for (std::size_t i = 0; i < names.size() && !plan.empty(); ++i)
        plan[std::min(i, plan.size() - 1)].bosses.push_back(names[i]);
    return plan;
}

int lowestMonsterLevel(int destination, int heroLevel) { return 7 * destination + heroLevel / 8 - 1; }

long arrivalBudget(const std::vector<Destination>& plan, int destination) {
    long money = kStartingMoney;
    for (int k = 0; k < destination && k < static_cast<int>(plan.size()); ++k) {
        const int low = lowestMonsterLevel(k, plan[k].plannedArrival);
        long perFight = 0;
        for (int i = 0; i < kMonsterLevelSpread; ++i) perFight += meanMonsterMoney(std::max(1, low + i));
        money += perFight / kMonsterLevelSpread * kFightsPerDestination + plan[k].questMoney;
    }
    return money;
}

Progress progressAt(const Destination& destination, int arrivalLevel) {
    Progress progress;
    float level = static_cast<float>(arrivalLevel);
    float experience = level > 1 ? level * 10000.0f : 0.0f;
    auto fightOnce = [&] {
        const int low = lowestMonsterLevel(destination.index, static_cast<int>(level));
        float gained = 0;
        for (int i = 0; i < kMonsterLevelSpread; ++i)
            gained += victoryExperience(static_cast<float>(std::max(1, low + i)), level, false);
        experience += gained / kMonsterLevelSpread;
        level += static_cast<float>(levelsGained(level, experience));
        return gained / kMonsterLevelSpread;
    };
    if (level >= static_cast<float>(destination.bossLevel())) progress.fightsToBossLevel = 0;
    for (int fight = 1; fight <= 200; ++fight) {
        const float gained = fightOnce();
        if (fight == 1) progress.experiencePerFightAtArrival = gained;
        if (fight == kFightsPerDestination) progress.levelAfterFights = static_cast<int>(level);
        if (progress.fightsToBossLevel < 0 && level >= static_cast<float>(destination.bossLevel()))
            progress.fightsToBossLevel = fight;
        if (fight >= kFightsPerDestination && progress.fightsToBossLevel >= 0) break;
    }
    // Back to the level after the usual fights, then the boss and the quest.
    level = static_cast<float>(progress.levelAfterFights);
    experience = std::max(experience, level * 10000.0f);
    for (std::size_t b = 0; b < destination.bosses.size(); ++b)
        experience += victoryExperience(static_cast<float>(destination.bossLevel()), level, true);
    experience += static_cast<float>(destination.questExperience);
    level += static_cast<float>(levelsGained(level, experience));
    progress.levelAfterBoss = static_cast<int>(level);
    return progress;
}

int levelChoiceFor(int heroClass, int level) {
    using C = LevelChoice;
    switch (heroClass) {
        // A Fighter keeps some pace with the monsters, whose speed grows
        // with their level: every third level goes to speed.
        case 0: return static_cast<int>(level % 3 == 0 ? C::Deadlier : level % 3 == 1 ? C::Tougher : C::Quicker);
        case 1: return static_cast<int>(level % 3 == 1 ? C::Tougher : C::Wiser);
        case 2: return static_cast<int>(level % 2 ? C::Deadlier : C::Quicker);
        default: return static_cast<int>(C::Better);
    }
}

Simulator::Simulator(Game& game) : game_(game) {}

void Simulator::buildParty(const PartyPlan& plan) {
    Player& hero = game_.player;
    Sidekick& sidekick = game_.sidekick;
    hero.reset();
    sidekick.reset();
    hero.tutorialHints = 0;
    applyClass(hero, kClasses[plan.heroClass], true);
    applyClass(sidekick, kClasses[plan.sidekickClass], false);
    hero.name = "Hero";
    sidekick.name = "Sidekick";
    hero.learnSpells(1);
    sidekick.learnSpells(1);
    game_.screen.clearMessages();
    for (int level = 2; level <= plan.level; ++level) {
        hero.applyLevel(playerLevelIncrements(static_cast<LevelChoice>(levelChoiceFor(plan.heroClass, level))));
        sidekick.applyLevel(sidekickLevelIncrements(sidekick.className));
        hero.learnSpells(level);
        sidekick.learnSpells(level);
        game_.screen.clearMessages();
    }
    shop(plan);
    for (Protagonist* who : {static_cast<Protagonist*>(&hero), static_cast<Protagonist*>(&sidekick)}) {
        who->effective[HP] = who->effective[MaxHP];
        who->effective[MP] = who->effective[MaxMP];
    }
    hero_ = {hero.stats, hero.effective, hero.effectiveResistances};
    sidekick_ = {sidekick.stats, sidekick.effective, sidekick.effectiveResistances};
}

void Simulator::shop(const PartyPlan& plan) {
    purchases_.clear();
    potions_.clear();
    seedDice(plan.shopSeed);
    // The shops' own stock rule: five items a shelf, each of level
    // rand() % (hero's level) + 5.
    const int range = std::max(1, plan.level);
    auto stockShelf = [&](int type) {
        std::vector<std::unique_ptr<Item>> shelf;
        for (int i = 0; i < 5; ++i) {
            shelf.push_back(Item::random(rollDice() % range + 5, type));
            shelf.back()->price = shelf.back()->shopPrice();
        }
        return shelf;
    };
    long money = plan.budget;
    // The inn first: the strongest hit-point potions a fifth of the purse buys.
    auto potions = stockShelf(TypeHp);
    std::sort(potions.begin(), potions.end(),
              [](const auto& a, const auto& b) { return a->stats[HP] > b->stats[HP]; });
    long potionMoney = money / 5;
    for (auto& potion : potions) {
        if (static_cast<int>(potions_.size()) >= kPotionsCarried) break;
        if (potion->price > potionMoney) continue;
        potionMoney -= potion->price;
        money -= potion->price;
        purchases_.push_back(potion->name + " (" + std::to_string(potion->price) + "*)");
        potions_.push_back(*potion);
    }
    // Then the armour shop and the weapon shop, a fair share of what is
    // left for each of the eight slots, the hero's first.
    std::vector<std::vector<std::unique_ptr<Item>>> forSlot(SlotCount);
    for (int type : {TypeBoots, TypeShield, TypeHeadgear}) forSlot[type] = stockShelf(type);
    for (int type : {TypeGun, TypeStaff, TypeSword})
        for (auto& item : stockShelf(type)) forSlot[SlotWeapon].push_back(std::move(item));
    Protagonist* wearers[] = {&game_.player, &game_.sidekick};
    const int slotOrder[] = {SlotWeapon, SlotShield, SlotVisor, SlotBoots};
    int slotsLeft = 2 * SlotCount;
    for (Protagonist* wearer : wearers) {
        const int taste = classIndex(wearer->className);
        for (int slot : slotOrder) {
            const long share = money / slotsLeft--;
            auto& shelf = forSlot[slot];
            auto best = shelf.end();
            for (auto it = shelf.begin(); it != shelf.end(); ++it)
                if ((*it)->price <= share && (best == shelf.end() || worth(**it, taste) > worth(**best, taste)))
                    best = it;
            if (best == shelf.end()) continue;
            money -= (*best)->price;
            purchases_.push_back(std::string(wearer == &game_.player ? "hero: " : "sidekick: ") + (*best)->name + " (" +
                                 std::to_string((*best)->price) + "*)");
            wearer->equip(slot, std::move(*best));
            shelf.erase(best);
        }
    }
}

std::vector<Opponent> Simulator::planetMonsters(const std::string& planet, int level) const {
    // The draw (0-12) that picks each record: 1-9 the planet's records,
    // 10 and 12 the two met everywhere. A seed whose first roll is that
    // draw lets the game's own reader fetch exactly that monster.
    std::vector<Opponent> monsters;
    for (int draw : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}) {
        unsigned seed = 1;
        for (;; ++seed) {
            seedDice(seed);
            if (rollDice() % 13 == draw) break;
        }
        seedDice(seed);
        Monster monster = Monster::random(level, planet);
        monsters.push_back({monster.name, std::move(monster)});
    }
    return monsters;
}

Opponent Simulator::boss(const std::string& name, int level) const { return {name, Monster::boss(name, level)}; }

void Simulator::restoreParty(bool withPotions) {
    Player& hero = game_.player;
    Sidekick& sidekick = game_.sidekick;
    hero.stats = hero_.stats;
    hero.effective = hero_.effective;
    hero.effectiveResistances = hero_.effectiveResistances;
    sidekick.stats = sidekick_.stats;
    sidekick.effective = sidekick_.effective;
    sidekick.effectiveResistances = sidekick_.effectiveResistances;
    sidekick.battleMode = "attack";
    sidekick.mood = 50;
    hero.money = 0;
    hero.inventory.clear();
    if (withPotions)
        for (const Item& potion : potions_) hero.inventory.add(std::make_unique<Item>(potion));
    game_.screen.clearMessages();
}

FightResult Simulator::fight(const Monster& monster, unsigned seed, bool withPotions) {
    restoreParty(withPotions);
    Player& hero = game_.player;
    Sidekick& sidekick = game_.sidekick;
    FightResult result;
    seedDice(seed);
    Arena arena;
    auto* battle = new Battle(&arena, std::make_unique<Monster>(monster));
    arena.setSubState(battle);
    auto type = [&](const std::string& line) { arena.updateCurrent(line); };
    // The sidekick's plan is set before the first blow; giving orders costs
    // no turn.
    const int orders = sidekickOrders(sidekick, monster);
    if (orders != 1) {
        type("+");
        type(std::to_string(orders));
        type("0");
    }
    auto decided = [&] {
        return !battle->battleOn() || !battle->playerAlive() || battle->monster()->stats[HP] <= 0;
    };
    while (!decided() && result.rounds < kRoundLimit) {
        const Monster& foe = *battle->monster();
        const float hpShare = hero.effective[HP] / std::max(1.0f, hero.effective[MaxHP]);
        int part = 0;
        const float blow = expectedBlow(hero, foe, part);
        std::string command = std::to_string(3 - part);  // "1" upper, "2" middle, "3" lower
        bool spellCast = false;
        if (hpShare < 0.4f) {
            const HealSpell heal = bestHeal(hero);
            if (heal.spell && heal.amount >= 0.25f * hero.effective[MaxHP]) {
                type("0");
                command = std::to_string(listNumber(hero, heal.spell->name));
                spellCast = true;
            } else if (hero.inventory.hasConsumable()) {
                type(".");
                command = "1 1";
                ++result.potionsUsed;
            }
        }
        if (!spellCast && command.size() == 1) {
            float damage = 0;
            const Spell* spell = bestAttackSpell(hero, foe, hero.effective[MP] - healReserve(hero), damage);
            if (spell && damage > blow) {
                type("0");
                command = std::to_string(listNumber(hero, spell->name));
            }
        }
        type(command);
        ++result.rounds;
        if (result.rounds == 1) result.sidekickOutBeforeActing = sidekick.effective[HP] <= 0;
        if (battle->spellMenuOpen()) type("0");  // a spell it could not pay for after all
    }
    result.won = battle->playerAlive() && battle->monster()->stats[HP] <= 0;
    result.heroHpShareLeft = std::max(0.0f, hero.effective[HP]) / std::max(1.0f, hero.effective[MaxHP]);
    result.sidekickStanding = sidekick.effective[HP] > 0;
    return result;
}

}  // namespace orv::balance
