// The arithmetic of a fight: blows, the sidekick's will, the monster's
// turn, spells and their scripts.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/dice.h"
#include "app/game.h"
#include "combat/battle.h"
#include "data/record.h"
#include "items/item.h"

namespace orv {

namespace {

constexpr float kLevelHitBonus = 0.1f;
constexpr float kAttackFactor = 0.033f;
constexpr float kDefenceFactor = 0.9f;
constexpr int kNoScript = -1;

// Attacker speed over defender speed; a defender with no speed at all is
// outpaced as far as the rules allow.
float speedRatio(float attacker, float defender) { return defender > 0 ? attacker / defender : 2.0f; }

float defenceOf(const StatBlock& stats, int part) {
    switch (part) {
        case 0: return stats[LowDefence];
        case 1: return stats[MidDefence];
        default: return stats[HighDefence];
    }
}

int elementGroup(const std::string& element) {
    if (element == "Fire") return 0;
    if (element == "Ice") return 1;
    if (element == "Dark") return 2;
    if (element == "Light") return 3;
    if (element == "Normal") return 4;
    return -1;
}

int modeGroup(const std::string& mode) {
    if (mode == "fire magic") return 0;
    if (mode == "ice magic") return 1;
    if (mode == "dark magic") return 2;
    if (mode == "light magic") return 3;
    return 4;
}

Resistance resistanceFor(const std::string& element, bool& known) {
    known = true;
    if (element == "Fire") return Fire;
    if (element == "Ice") return Ice;
    if (element == "Dark") return Dark;
    if (element == "Light") return Light;
    known = element == "Normal";
    return Ether;
}

void keepWithinMax(Protagonist& who) {
    if (who.effective[HP] > who.effective[MaxHP]) who.effective[HP] = who.effective[MaxHP];
}

// Reads the three records a script handed back (monster on top, then the
// sidekick's, then the player's) into the combatants; when any of them is not
// a record the battle can use, nobody is changed and the reason is traced for
// the script's writer.
void takeScriptRecords(LuaScript& script, const char* function, Monster& monster, Protagonist& sidekick,
                       Protagonist& player) {
    const std::string monsterRecord = script.popString();
    const std::string sidekickRecord = script.popString();
    const std::string playerRecord = script.popString();
    script.clearStack();
    const std::pair<const char*, std::string> problems[] = {
        {"the monster's", recordProblem(monsterRecord, kMonsterRecord)},
        {"the sidekick's", recordProblem(sidekickRecord, kProtagonistRecord)},
        {"the player's", recordProblem(playerRecord, kProtagonistRecord)},
    };
    for (const auto& [whose, problem] : problems) {
        if (problem.empty()) continue;
        trace(std::string(function) + " returned " + whose + " record, but " + problem + "; nothing was changed");
        return;
    }
    monster.fromRecord(monsterRecord);
    sidekick.fromRecord(sidekickRecord);
    player.fromRecord(playerRecord);
}

// The number MonsterAI returns first, as a whole number (0 when a script
// hands back something no whole number can hold).
int wholeResult(float number) {
    return std::isfinite(number) && std::fabs(number) < 1e9f ? static_cast<int>(number) : 0;
}

}  // namespace

Outcome outcomeOf(int n, float ratio) {
    if (static_cast<float>(n) >= 100.0f - 5.0f * ratio) return Outcome::Critical;
    if (static_cast<float>(n) <= 10.0f - 5.0f * ratio) return Outcome::Fumble;
    return Outcome::Normal;
}

Outcome rollOutcome(float ratio) { return outcomeOf(rollDice() % 100 + 1, ratio); }

bool hitTest(int hitRoll, float clampedRatio, float level) {
    return static_cast<float>(hitRoll) * clampedRatio >= 30.0f - kLevelHitBonus * level;
}

float clampRatio(float ratio) {
    if (ratio >= 2) return 2;
    if (ratio < 0.5f) return 0.5f;
    return ratio;
}

float blowDamage(int variance, float attack, float defence, bool critical, bool fumble) {
    const float base = static_cast<float>(variance) * attack * kAttackFactor;
    // Armour divides a blow by the logarithm of the defence. Below a defence
    // of about 3 that logarithm falls under 1 and towards 0: a blow would
    // grow without bound, or (at 0) shrink to nothing. A hero with next to
    // no armour takes the whole blow instead.
    const float guarded = kDefenceFactor * defence;
    const float divisor = guarded > 0 ? std::max(1.0f, std::log(guarded)) : 1.0f;
    float damage = base / divisor;
    if (!(damage >= 1)) damage = 1;
    if (critical) damage *= 2;
    if (fumble) damage *= 0.5f;
    return damage;
}

float victoryExperience(float monsterLevel, float playerLevel, bool boss) {
    float experience = std::trunc(monsterLevel / playerLevel * 10000.0f * 0.6f);
    if (boss) experience *= 5;
    return std::min(experience, 50000.0f);
}

void Battle::playerAttack(int part) {
    Player& player = game().player;
    playerTargetPart_ = part;
    const int n = rollDice() % 100 + 1;
    const int h = rollDice() % 100 + 1;
    const Item* weapon = player.equipped(SlotWeapon);
    float r = speedRatio(player.effective[Speed], monster_->stats[Speed]);
    if (r < 0.5f) r = 0.5f;
    // The player's criticals use the ratio before it is cut to 2.
    const Outcome outcome = outcomeOf(n, r);
    const bool critical = outcome == Outcome::Critical;
    const bool fumble = outcome == Outcome::Fumble;
    if (r >= 2) r = 2;
    const bool hit = hitTest(h, r, player.stats[Level]);
    float damage = 0;
    if (hit) {
        const int v = rollDice() % 15 + 86;
        damage = blowDamage(v, player.effective[Attack], defenceOf(monster_->stats, part), critical, fumble);
        monster_->stats[HP] -= std::trunc(damage);
        if (monster_->stats[HP] <= 0) monster_->stats[HP] = 0;
    }
    describeAction("player", hit, weapon, critical, fumble, damage);
}

void Battle::sidekickTurn() {
    Game& g = game();
    Sidekick& sidekick = g.sidekick;
    if (!(sidekick.effective[HP] > 0 && battleOn_ && playerAlive_ && !sidekickOut_ && !sidekickDown_)) return;
    const bool obeys = sidekick.mood >= static_cast<float>(rollDice() % 101);
    if (obeys && sidekick.battleMode != "attack" && sidekickMagic(false)) return;
    if (!obeys && rollDice() % 10 > 7 && sidekickMagic(true)) return;

    const int h = rollDice() % 100 + 1;
    const Item* weapon = sidekick.equipped(SlotWeapon);
    float r = speedRatio(sidekick.effective[Speed], monster_->stats[Speed]);
    const Outcome outcome = rollOutcome(r);
    r = clampRatio(r);
    const bool hit = hitTest(h, r, sidekick.stats[Level]);
    const bool critical = outcome == Outcome::Critical;
    const bool fumble = outcome == Outcome::Fumble;
    float damage = 0;
    if (hit) {
        const int v = rollDice() % 15 + 86;
        damage = blowDamage(v, sidekick.effective[Attack], defenceOf(monster_->stats, sidekickTargetPart_), critical,
                            fumble);
        monster_->stats[HP] -= std::ceil(damage);
        if (monster_->stats[HP] <= 0) monster_->stats[HP] = 0;
    }
    describeAction("sidekick", hit, weapon, critical, fumble, damage);
    redraw();
}

bool Battle::sidekickMagic(bool randomElement) {
    Sidekick& sidekick = game().sidekick;
    const int group = randomElement ? rollDice() % 5 : modeGroup(sidekick.battleMode);
    std::vector<const Spell*> choices;
    for (const Spell& spell : sidekick.spells)
        if (elementGroup(spell.element) == group) choices.push_back(&spell);
    if (choices.empty()) return false;
    std::size_t reach = choices.size();
    const float mp = sidekick.effective[MP];
    if (static_cast<float>(reach) > mp / 20) reach = static_cast<std::size_t>(std::max(0.0f, std::trunc(mp))) / 20;
    if (mp < 20 || reach == 0) return false;
    const Spell spell = *choices[static_cast<unsigned>(rollDice()) % reach];
    castSpell(spell, kSidekick);
    describeAction("sidekick", false, nullptr, false, false, spellDamage_, &spell);
    redraw();
    return true;
}

void Battle::monsterTurn() {
    Game& g = game();
    if (monster_->stats[HP] <= 0 || !battleOn_) return;
    const int scriptChance = monster_->isBoss ? 70 : 50;
    // A sidekick at 0 HP no longer acts; it is marked down only once its
    // fall has been told, so the blow that felled it is never silent.
    auto settleFalls = [&] {
        if (g.sidekick.effective[HP] <= 0) g.sidekick.effective[HP] = 0;
        if (g.player.effective[HP] <= 0) {
            g.player.effective[HP] = 0;
            battleDecided_ = true;
            playerAlive_ = false;
        }
    };
    if (rollDice() % 100 <= scriptChance) {
        runMonsterAI();
        settleFalls();
        if (g.sidekick.effective[HP] <= 0 && !sidekickDown_ && playerAlive_) announceOutcome();
        return;
    }
    const int h = rollDice() % 100 + 1;
    const int v = rollDice() % 15 + 86;
    const int n = rollDice() % 50;
    monsterHitPlayer_ = !(n <= 20 && g.sidekick.effective[HP] > 0);
    Protagonist& victim = monsterHitPlayer_ ? static_cast<Protagonist&>(g.player) : g.sidekick;
    float r = speedRatio(monster_->stats[Speed], victim.effective[Speed]);
    const Outcome outcome = rollOutcome(r);
    r = clampRatio(r);
    const bool hit = hitTest(h, r, victim.stats[Level]);
    const bool critical = outcome == Outcome::Critical;
    const bool fumble = outcome == Outcome::Fumble;
    float damage = 0;
    if (hit) {
        damage = blowDamage(v, monster_->stats[Attack], defenceOf(victim.effective, monsterTargetPart_), critical,
                            fumble);
        victim.effective[HP] -= std::ceil(damage);
    }
    settleFalls();
    describeAction("monster", hit, nullptr, critical, fumble, damage);
}

int Battle::runMonsterAI() {
    if (monster_->monsterType == "None") return kNoScript;
    Game& g = game();
    aiScript_.getFunction("MonsterAI");
    aiScript_.pushString(g.player.toRecord());
    aiScript_.pushString(g.sidekick.toRecord());
    aiScript_.pushString(monster_->toRecord());
    if (!aiScript_.call(3, 4)) {
        redraw();
        return kNoScript;  // traced; nobody is touched by a broken script
    }
    const int result = wholeResult(aiScript_.popNumber());
    takeScriptRecords(aiScript_, "MonsterAI", *monster_, g.sidekick, g.player);
    redraw();
    return result;
}

void Battle::castSpell(const Spell& spell, int caster) {
    Game& g = game();
    Protagonist& who = caster == kPlayer ? static_cast<Protagonist&>(g.player) : g.sidekick;
    if (spell.script != "None") {
        spellScript_.getFunction("SpellCast");
        spellScript_.pushString(g.player.toRecord());
        spellScript_.pushString(g.sidekick.toRecord());
        spellScript_.pushString(monster_->toRecord());
        spellScript_.pushString(spell.toRecord());
        spellScript_.pushNumber(caster);
        if (spellScript_.call(5, 3)) takeScriptRecords(spellScript_, "SpellCast", *monster_, g.sidekick, g.player);
        if (caster == kPlayer) scriptedCastByPlayer_ = true;
        turnHeaderShown_ = false;
    }
    redraw();
    // The party's hit points before the spell's own effect, so its narration
    // can tell what it really did.
    const float playerBefore = g.player.effective[HP];
    const float sidekickBefore = g.sidekick.effective[HP];
    who.effective[MP] -= spell.mpCost;
    const float power = spell.power * who.effective[Magic];
    bool knownElement = false;
    const Resistance element = resistanceFor(spell.element, knownElement);
    if (spell.target == "ENEMY") {
        const float before = monster_->stats[HP];
        if (knownElement) monster_->stats[HP] -= power * monster_->resistances[element];
        monster_->stats[HP] = std::clamp(monster_->stats[HP], 0.0f, std::max(0.0f, monster_->stats[MaxHP]));
        spellDamage_ = before - monster_->stats[HP];
        lastEnemySpell_ = spell;
    } else if (spell.target == "ALLY") {
        if (knownElement) g.sidekick.effective[HP] -= power;
        keepWithinMax(g.sidekick);
    } else if (spell.target == "PARTY") {
        who.effective[HP] -= power;
        g.sidekick.effective[HP] -= power;
        keepWithinMax(who);
        keepWithinMax(g.sidekick);
    } else if (spell.target == "YOU") {
        who.effective[HP] -= power;
        keepWithinMax(who);
    }
    lastCastChanges_.clear();
    const bool byPlayer = caster == kPlayer;
    const bool touchesPlayer = byPlayer && (spell.target == "YOU" || spell.target == "PARTY");
    const bool touchesSidekick = (spell.target == "ALLY" && knownElement) || spell.target == "PARTY" ||
                                 (!byPlayer && spell.target == "YOU");
    if (touchesPlayer) lastCastChanges_.push_back({true, g.player.effective[HP] - playerBefore});
    if (touchesSidekick) lastCastChanges_.push_back({false, g.sidekick.effective[HP] - sidekickBefore});
}

}  // namespace orv
