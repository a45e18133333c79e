// Every action told as a generated sentence with its sound, and what the
// end of a fight announces.
#include <cmath>
#include <cstdlib>

#include "core/dice.h"
#include "app/game.h"
#include "combat/battle.h"
#include "core/colors.h"
#include "core/text.h"
#include "items/item.h"

namespace orv {

namespace {

// Bosses are named with their article ("The Auditor"): the sentence then
// starts with the name itself, never "The The Auditor".
std::string theName(const std::string& name, const std::string& shown) {
    return name.rfind("The ", 0) == 0 ? shown : "The " + shown;
}

using Table = std::array<const char*, 11>;

const Table kAdverbPlayer = {"visciously ", "calmly ",    "quickly ",      "swiftly ",    "hastily ",    "speedily ",
                             "brutally ",   "ferociously ", "sadistically ", "venomously ", "maliciously "};
const Table kAdverbOthers = {"viciously ", "calmly ",      "quickly ",      "swiftly ",    "hastily ",    "speedily ",
                             "brutally ",  "ferociously ", "sadistically ", "venomously ", "maliciously "};
const Table kGunPlayer = {"blast",   "discharge", "fire",     "shoot",   "let off", "blast",
                          "fire away with", "cast", "release", "let loose", "detonate"};
const Table kGunOthers = {"blasts",   "discharges", "fires",     "shoots",   "lets off", "blasts",
                          "fires away with", "casts", "releases", "lets loose", "detonates"};
const Table kSwordPlayer = {"cut", "hack", "slash", "slice", "slit", "gash", "grate", "chop", "strike", "swing", "sycthe"};
const Table kSwordOthers = {"cuts",   "hacks", "slashes", "slices",  "slices", "gashes",
                            "grates", "chops", "strikes", "swings", "sycthes"};
const Table kStaffPlayer = {"whack at", "smack",  "bludgeon", "club at", "beat",          "pummel",
                            "strike",   "batter", "hammer",   "swing away at", "bash"};
const Table kStaffOthers = {"whacks", "smacks",   "bludgeons", "clubs",          "beats", "pummels",
                            "strikes", "batters", "hammers",   "swings away at", "bashes"};
const Table kNoWeapon = {" visciously", " wildly",       " crazily",   " sadistically", " angrily",    " quickly",
                         " destructively", " furiously", " smartly", " maniacally", " furiously"};
const Table kSpellVerbPlayer = {"unleash", "let loose", "discharge", "fire", "blast", "throw",
                                "hurl",    "set free",  "cast",      "emit", "direct"};
const Table kSpellVerbOthers = {"unleashes", "lets loose", "discharges", "fires", "blasts", "throws",
                                "hurls",     "sets free",  "casts",      "emits", "directs"};
const Table kLeadInPlayer = {"gather your energy and",
                             "charge up your elemental power and",
                             "gather your strength and",
                             "concentrate intensely and",
                             "calmy meditate then",
                             "dodge an attack and",
                             "use the power of the ether and",
                             "use your mind and",
                             "draw from the powers of the void and",
                             "evade a quick blow to the ribs and",
                             "summon a ball of energy and"};
const Table kLeadInOthers = {"gathers energy and",
                             "charges up elemental power and",
                             "gathers strength and",
                             "concentrates intensely and",
                             "calmy meditates then",
                             "dodges an attack and",
                             "uses the power of the ether and",
                             "accumulates energy and",
                             "draws from the powers of the void and",
                             "evades a quick blow to the ribs and",
                             "summons a ball of energy and"};
const Table kSpellAdverb = {" viscously ", " calmly ",   " quickly ",      " swiftly ",    " hastily ",    " speedily ",
                            " brutally ",  " ferociously ", " sadistically ", " venomously ", " maliciously "};

// rand() % 11: 1-10 pick entries 1-10, 0 picks the eleventh.
const char* oneInEleven(const Table& table) {
    const int n = rollDice() % 11;
    return table[n == 0 ? 10 : n - 1];
}

// rand() % 10 + 1: entries 1-10 only; the eleventh is never told.
const char* oneInTen(const Table& table) { return table[rollDice() % 10]; }

enum WeaponKind { NoWeapon = 0, Gun = 3, Sword = 4, Staff = 5 };

WeaponKind kindOfItem(const Item* weapon) {
    if (!weapon) return NoWeapon;
    switch (weapon->type) {
        case TypeGun: return Gun;
        case TypeSword: return Sword;
        case TypeStaff: return Staff;
        default: return NoWeapon;
    }
}

WeaponKind kindOfText(const std::string& type) {
    if (type == "gun") return Gun;
    if (type == "sword") return Sword;
    if (type == "staff") return Staff;
    return NoWeapon;
}

std::string attackWords(bool firstPerson, WeaponKind kind) {
    const char* adverb = oneInEleven(firstPerson ? kAdverbPlayer : kAdverbOthers);
    switch (kind) {
        case Gun: return colorWhite + adverb + oneInEleven(firstPerson ? kGunPlayer : kGunOthers) + colorWhite;
        case Sword: return colorWhite + adverb + oneInTen(firstPerson ? kSwordPlayer : kSwordOthers) + colorWhite;
        case Staff: return colorWhite + adverb + oneInTen(firstPerson ? kStaffPlayer : kStaffOthers) + colorWhite;
        default: return colorWhite + oneInTen(kNoWeapon) + colorWhite;
    }
}

std::string yellow(const std::string& text) { return colorYellow + text + colorWhite; }
std::string magenta(const std::string& text) { return colorMagenta + text + colorWhite; }

std::string damageLine(float damage) {
    return "  \n " + colorGreen + toText(static_cast<long>(std::trunc(damage))) + colorWhite + " damage dealt.";
}

std::string turnHeader() { return colorYellow + "Next" + colorRed + "Round" + colorWhite; }

}  // namespace

void Battle::showTurnHeader() {
    Screen& screen = game().screen;
    screen.clearMessages();
    screen.addMessage(turnHeader());
}

std::string Battle::composeHit(const std::string& actor, const Item* weapon, bool critical, bool fumble, float damage) {
    Audio& audio = game().audio;
    const bool player = actor == "player";
    const WeaponKind kind = kindOfItem(weapon);
    const int part = player ? playerTargetPart_ : sidekickTargetPart_;
    const std::string& label = part == 0 ? lowerLabel_ : part == 1 ? middleLabel_ : upperLabel_;
    const std::string P = colorRed + label + colorWhite + " ";
    const std::string M = magenta(monster_->name);
    const std::string W = weapon ? yellow(weapon->name) : "";
    const std::string words = attackWords(player, kind);
    const std::string your = player ? "your " : "his ";
    std::string text;
    switch (kind) {
        case Gun:
            audio.playEffect("shot.wav");
            text = " " + words + " " + your + W + " at the enemy's " + P;
            if (critical) text += "blowing away the " + M + " without any mercy!";
            else if (fumble) text += "but it bounces off the " + M + "'s" + " tough armor!";
            else text += (player ? "and score a solid hit on the " : "and scores a solid hit on the ") + M + ".";
            break;
        case Staff:
        case Sword: {
            audio.playEffect(kind == Staff ? "punch.wav" : "sword.wav");
            text = " " + words + " at the enemy's " + P + "with " + your + W + " ";
            const std::string s = player ? "" : "s";
            if (kind == Staff) {
                if (critical) text += "and find" + s + " a chink in the " + M + "'s armor!";
                else if (fumble) text += "but it bounces off the " + M + "'s" + " tough armor!";
                else text += "and score" + s + " a solid hit on the " + M + ".";
            } else {
                if (critical) text += "and inflict" + s + " a devastating blow upon the " + M + "!";
                else if (fumble) text += "but it slides harmlessly off the " + M + "'s" + " tough armor!";
                else text += "and score" + s + " a decent hit on the " + M + ".";
            }
            break;
        }
        default:
            audio.playEffect("punch.wav");
            if (player) {
                text = words + " direct your punches at the enemy's " + P;
                if (critical) text += "and you hit all the right places on the " + M + "'s body!";
                else if (fumble) text += "and ineffectively attack the " + M + "'s" + " tough armor!";
                else text += "and score some solid hits on the " + M + ".";
            } else {
                text = words + " directs his punches at the enemy's " + P;
                if (critical) text += "and he hits all the right places on the " + M + "'s body!";
                else if (fumble) text += "and ineffectively attacks the " + M + "'s" + " tough armor!";
                else text += "and scores some solid hits on the " + M + ".";
            }
            break;
    }
    return text + damageLine(damage);
}

std::string Battle::composeMonsterHit(bool critical, bool fumble, float damage) {
    Game& g = game();
    const Protagonist& victim = monsterHitPlayer_ ? static_cast<const Protagonist&>(g.player) : g.sidekick;
    const std::string V = monsterHitPlayer_ ? "you" : yellow(g.sidekick.name);
    const std::string Vs = monsterHitPlayer_ ? "your" : yellow(g.sidekick.name) + "'s";
    // The part struck is named by what the victim wears there.
    const int slot = monsterTargetPart_ == 2 ? SlotVisor : monsterTargetPart_ == 1 ? SlotShield : SlotBoots;
    const char* bare = monsterTargetPart_ == 2 ? "head " : monsterTargetPart_ == 1 ? "chest " : "legs ";
    const Item* worn = victim.equipped(slot);
    const std::string bodyPart = colorCyan + (worn ? worn->name + " " : std::string(bare)) + colorWhite;
    const std::string weapon = yellow(monster_->weapon);
    const WeaponKind kind = kindOfText(monster_->weaponType);
    std::string text;
    switch (kind) {
        case Gun:
            g.audio.playEffect("shot.wav");
            text = " " + attackWords(false, kind) + " its " + weapon + " at " + Vs + " " + bodyPart;
            if (critical) text += "blowing away " + V + " without any mercy!";
            else if (fumble) text += "but the projectile bounces off " + Vs + " tough armor!";
            else text += "and scores a solid hit on " + V + ".";
            break;
        case Staff:
        case Sword:
            g.audio.playEffect(kind == Staff ? "punch.wav" : "sword.wav");
            text = " " + attackWords(false, kind) + " at " + Vs + " " + bodyPart + "with its " + weapon + " ";
            if (kind == Staff) {
                if (critical) text += "and inflicts a devastating blow on " + V + "!";
                else if (fumble) text += "but it bounces off " + Vs + " tough armor!";
                else text += "and scores a solid hit on " + V + ".";
            } else {
                if (critical) text += "and finds " + Vs + " weak spot!";
                else if (fumble) text += "but it slides harmlessly off " + Vs + " tough armor!";
                else text += "and scores a decent hit on " + V + ".";
            }
            break;
        default:
            // Claws, teeth and the like: a sentence of its own.
            g.audio.playEffect("punch.wav");
            text = attackWords(false, kind) + " goes for " + Vs + " " + bodyPart + "with its " + weapon + " ";
            if (critical) text += "and hits all the right places on " + V + "!";
            else if (fumble) text += "but ineffectively attacks " + Vs + " tough armor!";
            else text += "and scores some solid hits on " + V + ".";
            break;
    }
    return text + damageLine(damage);
}

std::string Battle::composeSpell(bool firstPerson, const Spell& spell, float damage) {
    Game& g = game();
    g.audio.playEffect("spell.wav");
    const char* verb = oneInEleven(firstPerson ? kSpellVerbPlayer : kSpellVerbOthers);
    const char* leadIn = oneInEleven(firstPerson ? kLeadInPlayer : kLeadInOthers);
    const char* adverb = oneInEleven(kSpellAdverb);
    std::string text = " " + colorWhite + leadIn + adverb + verb + colorWhite + " " + elementColor(spell.element) +
                       spell.name + colorWhite;
    if (spell.target == "ENEMY")
        return text + " at the " + magenta(monster_->name) + "." + "\n " + colorGreen + toText(damage) + colorWhite +
               " Damage Inflicted!";

    // A spell on the party is told by whom it reached and what it did to
    // their hit points.
    const std::string sidekickName = yellow(g.sidekick.name);
    if (spell.target == "YOU") text += firstPerson ? " on yourself" : " on himself";
    else if (spell.target == "ALLY") text += firstPerson ? " on " + sidekickName : " on himself";
    else if (spell.target == "PARTY") text += " on the party";
    text += ".\n";
    if (lastCastChanges_.empty()) return text + " Nothing happens.";
    for (const HealthChange& change : lastCastChanges_) {
        const std::string whom = change.player ? "you" : sidekickName;
        if (change.amount > 0)
            text += " " + colorGreen + toText(change.amount) + colorWhite + " HP restored to " + whom + "!";
        else if (change.amount < 0)
            text += " " + colorRed + toText(-change.amount) + colorWhite + " damage dealt to " + whom + "!";
        else
            text += " No effect on " + whom + ".";
    }
    return text;
}

std::string Battle::composeMiss(const std::string& actor, const Item* weapon) {
    Game& g = game();
    g.audio.playEffect("miss.wav");
    const std::string M = magenta(monster_->name);
    if (actor == "monster")
        return " attacks " + yellow(monsterHitPlayer_ ? "you" : g.sidekick.name) + " with its " +
               yellow(monster_->weapon) + " but misses.";
    const std::string arms = weapon ? colorYellow + weapon->name : "powerful fists";
    if (actor == "player") return " attack the " + M + " with your " + arms + colorWhite + ", but " + colorRed + "miss." + colorWhite;
    return " attacks the " + M + " with his " + arms + colorWhite + ", but " + colorRed + "misses." + colorWhite;
}

void Battle::describeAction(const std::string& actor, bool hit, const Item* weapon, bool critical, bool fumble,
                            float damage, const Spell* spell) {
    Game& g = game();
    if (!turnHeaderShown_) {
        // A scripted cast is told by its script: no sentence of ours.
        turnHeaderShown_ = true;
        if (!scriptedCastByPlayer_) showTurnHeader();
        else scriptedCastByPlayer_ = false;
        return;
    }
    if (battleDecided_) {
        if (g.player.effective[HP] <= 0) announcePlayerFall();
        return;
    }
    const bool player = actor == "player";
    std::string text;
    if (player) text = yellow("You");
    else if (actor == "sidekick") text = yellow(g.sidekick.name);
    else text = theName(monster_->name, magenta(monster_->name));

    if (spell) {
        text += composeSpell(player, *spell, damage);
    } else if (!hit) {
        text += composeMiss(actor, weapon);
    } else if (actor == "monster") {
        text += composeMonsterHit(critical, fumble, damage);
    } else {
        text += composeHit(actor, weapon, critical, fumble, damage);
    }
    g.screen.narrate(text, 14, 1.5);
    g.console.sleepMs(200);
    redraw();
    announceOutcome();
    if (battleOn_ && actor == "sidekick") showTurnHeader();
}

void Battle::announceOutcome() {
    Game& g = game();
    if (monster_->stats[HP] <= 0) {
        g.console.sleepMs(250);
        g.screen.addMessage(colorGreen + theName(monster_->name, monster_->name) + " has been defeated!" + colorWhite);
        g.screen.render();
        g.audio.playEffect("battle_win.wav");
        g.audio.stopMusic();
        g.console.sleepMs(2000);
        g.console.sleepMs(1000);
        g.console.flushInput();
        battleOn_ = false;
        battleDecided_ = true;
    } else if (g.sidekick.effective[HP] <= 0 && !sidekickDown_) {
        g.console.sleepMs(250);
        g.screen.narrate(colorRed + g.sidekick.name + " has been knocked out!" + colorWhite, 12, 1.0);
        g.screen.render();
        g.console.sleepMs(1000);
        sidekickDown_ = true;
    } else if (g.player.effective[HP] <= 0) {
        announcePlayerFall();
    }
}

void Battle::announcePlayerFall() {
    Game& g = game();
    g.console.sleepMs(250);
    g.screen.narrate(colorRed +
                         "Your vision narrows and you feel dizzy.  The world seems to fall away and fade into "
                         "blackness.  Is this... the end?" +
                         colorWhite,
                     12, 1.0);
    g.screen.render();
    g.console.sleepMs(1000);
    playerAlive_ = false;
    deathCurtain(4, 64);
}

}  // namespace orv
