// One fight between the party and a monster: the three-column screen, the
// spell list, the sidekick's orders, every command, the arithmetic of
// blows and spells, the narration, and the ways out (victory, defeat,
// flight).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "combat/lua_script.h"
#include "combat/monster.h"
#include "core/state.h"
#include "data/spell.h"
#include "data/stat_block.h"
#include "items/battle_turns.h"

namespace orv {

class Item;
class Protagonist;

enum class Outcome { Normal = 1, Critical = 2, Fumble = 3 };

// The speed ratio's part in a blow: criticals, fumbles and the hit test.
Outcome rollOutcome(float speedRatio);
// The outcome of roll `n` (1-100) at a speed ratio.
Outcome outcomeOf(int n, float speedRatio);
float clampRatio(float speedRatio);
// Whether hit roll `h` (1-100) hits at a clamped ratio for an attacker (or,
// for the monster, a victim) of `level`.
bool hitTest(int h, float clampedRatio, float level);
// Damage of a hit before rounding: variance `v` (86-100), the attacker's
// attack and the defence of the part struck.
float blowDamage(int variance, float attack, float defence, bool critical, bool fumble);
// Experience for a victory over a monster of `monsterLevel`.
float victoryExperience(float monsterLevel, float playerLevel, bool boss);

class Battle : public State, public BattleTurns {
public:
    Battle(State* parent, std::unique_ptr<Monster> monster);
    ~Battle() override;

    void Draw() override;
    void Update(const std::string& command) override;

    void drawBattleScreen() override;
    void monsterTurn() override;
    void sidekickTurn() override;

    void restoreStats();
    void redraw();
    void playerAttack(int part);
    bool sidekickMagic(bool randomElement);
    void castSpell(const Spell& spell, int caster);
    int runMonsterAI();
    void describeAction(const std::string& actor, bool hit, const Item* weapon, bool critical, bool fumble,
                        float damage, const Spell* spell = nullptr);
    void deathCurtain(int foreground, int background);

    const Monster* monster() const { return monster_.get(); }
    Monster* monster() { return monster_.get(); }
    bool battleOn() const { return battleOn_; }
    bool playerAlive() const { return playerAlive_; }
    bool spellMenuOpen() const { return spellMenuOpen_; }
    bool ordersMenuOpen() const { return ordersMenuOpen_; }
    float spellDamage() const { return spellDamage_; }
    const Spell& recastSpell() const { return recastSpell_; }

    static constexpr int kPlayer = 1;
    static constexpr int kSidekick = 2;

private:
    struct Snapshot {
        StatBlock stats;
        ResistanceBlock resistances;
    };
    // What a spell's own effect did to one of the party's hit points.
    struct HealthChange {
        bool player;
        float amount;
    };

    // Commands.
    void fight(const std::string& command);
    void spellListInput(const std::string& command);
    void ordersInput(const std::string& command);
    void recast();
    void flee();
    void recordCheck();
    void victoryExit();
    void defeatExit();
    void afterPlayerAction();
    void showSpellRanks();

    // Screens.
    void drawSpellList();
    void drawOrders();
    void drawVictory();
    void drawGameOver();

    // Narration.
    std::string composeHit(const std::string& actor, const Item* weapon, bool critical, bool fumble, float damage);
    std::string composeMiss(const std::string& actor, const Item* weapon);
    std::string composeMonsterHit(bool critical, bool fumble, float damage);
    std::string composeSpell(bool firstPerson, const Spell& spell, float damage);
    void showTurnHeader();
    void announceOutcome();
    void announcePlayerFall();

    std::unique_ptr<Monster> monster_;
    bool battleOn_ = true;
    int monsterTargetPart_ = 0;
    int playerTargetPart_ = 0;
    int sidekickTargetPart_ = 0;
    bool spellMenuOpen_ = false;
    bool ordersMenuOpen_ = false;
    bool monsterHitPlayer_ = true;
    bool playerAlive_ = true;
    bool sidekickDown_ = false;
    bool sidekickOut_ = false;
    bool scriptedCastByPlayer_ = false;
    bool spellChosen_ = false;
    bool battleDecided_ = false;
    std::string lowerLabel_, middleLabel_, upperLabel_;
    Spell lastEnemySpell_;
    float spellDamage_ = 0;
    Spell recastSpell_;
    // The party's hit point changes of the last cast, told after a spell that
    // is not thrown at the monster.
    std::vector<HealthChange> lastCastChanges_;
    bool turnHeaderShown_ = true;
    Snapshot sidekickSnapshot_;
    Snapshot playerSnapshot_;
    LuaScript aiScript_;
    LuaScript spellScript_;
    // The victory screen pays once; later draws show the same texts.
    bool rewardsGiven_ = false;
    std::string victoryArt_;
    std::vector<std::string> victoryMessages_;
};

}  // namespace orv
