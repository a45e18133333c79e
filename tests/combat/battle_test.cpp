// The arithmetic of blows and spells, monsters, the script bridge and the
// battle's ways out, against hand-computed values and fixed seeds.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/dice.h"
#include "combat/battle.h"
#include "combat/combat_content.h"
#include "combat/lua_script.h"
#include "core/colors.h"
#include "core/text.h"
#include "items/item.h"
#include "screens/creator.h"
#include "support/test_root.h"

namespace orv {
namespace {

using test::CombatContent;
using test::findSeed;
using test::TestWorld;

using Root = test::TestRoot;

struct Fight {
    CombatContent content;
    TestWorld world;
    Root root;
    Battle* battle = nullptr;
    Game& g = world.game;

    Fight() {
        applyClass(g.player, "Fighter", true);
        applyClass(g.sidekick, "Rogue", false);
        g.player.name = "Zed";
        g.sidekick.name = "Bob";
    }
    void open(Monster monster) {
        battle = new Battle(&root, std::make_unique<Monster>(std::move(monster)));
        root.setSubState(battle);
    }
    void type(const std::string& command) { root.updateCurrent(command); }
    std::string traceFile() const {
        std::ifstream in("luaTrace.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

Monster plainMonster(float level = 1) {
    Monster monster;
    monster.name = "Dummy";
    monster.monsterType = "None";
    monster.stats[Speed] = 10;
    monster.stats[Attack] = 10;
    for (std::size_t r = 0; r < ResistanceCount; ++r) monster.resistances[r] = 1;
    monster.lowerPart = "tail";
    monster.middlePart = "belly";
    monster.upperPart = "snout";
    monster.weapon = "fork";
    monster.weaponType = "sword";
    monster.setLevel(level);
    return monster;
}

TEST(BlowArithmetic, CriticalsFumblesAndHitsByTheSpeedRatio) {
    int criticals = 0, fumbles = 0, hitsAtLevelOne = 0, fastCriticals = 0, fastFumbles = 0;
    for (int n = 1; n <= 100; ++n) {
        const Outcome even = outcomeOf(n, 1);
        criticals += even == Outcome::Critical;
        fumbles += even == Outcome::Fumble;
        if (n >= 95) {
            EXPECT_EQ(even, Outcome::Critical) << n;
        }
        if (n <= 5) {
            EXPECT_EQ(even, Outcome::Fumble) << n;
        }
        hitsAtLevelOne += hitTest(n, clampRatio(1), 1);
        // The player's criticals see the ratio before it is cut to 2.
        fastCriticals += outcomeOf(n, 4) == Outcome::Critical;
        fastFumbles += outcomeOf(n, 4) == Outcome::Fumble;
    }
    EXPECT_EQ(criticals, 6);
    EXPECT_EQ(fumbles, 5);
    EXPECT_EQ(hitsAtLevelOne, 71);
    EXPECT_FALSE(hitTest(29, 1, 1));
    EXPECT_TRUE(hitTest(30, 1, 1));
    EXPECT_EQ(fastCriticals, 21);
    EXPECT_EQ(fastFumbles, 0);
    EXPECT_EQ(clampRatio(4), 2.0f);
    EXPECT_EQ(clampRatio(0.1f), 0.5f);
}

TEST(BlowArithmetic, DamageFormulaAndItsFloor) {
    // 86 x 30 x 0.033 / ln(0.9 x 150)
    EXPECT_NEAR(blowDamage(86, 30, 150, false, false), 86 * 30 * 0.033f / std::log(135.0f), 1e-4);
    EXPECT_EQ(blowDamage(86, 1, 500, false, false), 1.0f);  // never below 1
    EXPECT_EQ(blowDamage(86, 1, 500, false, true), 0.5f);
    EXPECT_EQ(blowDamage(86, 1, 500, true, false), 2.0f);
    // Next to no armour takes the whole blow, neither nothing nor a multiple.
    EXPECT_FLOAT_EQ(blowDamage(100, 50, 0, false, false), 100 * 50 * 0.033f);
    EXPECT_FLOAT_EQ(blowDamage(100, 50, 1.2f, false, false), 100 * 50 * 0.033f);
    EXPECT_EQ(victoryExperience(5, 5, false), 6000.0f);
    EXPECT_EQ(victoryExperience(5, 5, true), 30000.0f);
    EXPECT_EQ(victoryExperience(100, 1, false), 50000.0f);
}

TEST(BlowArithmetic, AFumbledMinimumBlowIsZeroForThePlayerAndOneForOthers) {
    Fight fight;
    Monster monster = plainMonster(1);
    monster.stats[Speed] = fight.g.player.effective[Speed] = fight.g.sidekick.effective[Speed] = 12;
    fight.g.player.effective[Attack] = fight.g.sidekick.effective[Attack] = 1;
    monster.stats[Attack] = 1;
    for (Stat d : {LowDefence, MidDefence, HighDefence}) fight.g.player.effective[d] = 5000;
    fight.open(std::move(monster));
    Monster& m = *fight.battle->monster();

    // Player: outcome roll, hit roll.
    seedDice(findSeed([] { return rollDice() % 100 + 1 <= 5 && rollDice() % 100 + 1 >= 30; }));
    fight.battle->playerAttack(2);
    EXPECT_EQ(m.stats[HP], m.stats[MaxHP]);

    // Sidekick: obedience, hit roll, outcome roll.
    seedDice(findSeed([] {
        if (50 < rollDice() % 101) rollDice();  // the disobedient draw for magic
        return rollDice() % 100 + 1 >= 30 && rollDice() % 100 + 1 <= 5;
    }));
    fight.battle->sidekickTurn();
    EXPECT_EQ(m.stats[HP], m.stats[MaxHP] - 1);

    // Monster: script chance, hit roll, variance, victim, outcome.
    fight.g.sidekick.effective[HP] = 0;  // only the player can be struck
    const float hp = fight.g.player.effective[HP];
    seedDice(findSeed([] {
        if (rollDice() % 100 <= 50) return false;
        const int h = rollDice() % 100 + 1;
        rollDice();
        rollDice();
        return h >= 30 && rollDice() % 100 + 1 <= 5;
    }));
    fight.battle->monsterTurn();
    EXPECT_EQ(fight.g.player.effective[HP], hp - 1);
}

TEST(Spells, AResistedNegativeSpellHealsButNeverAboveMaximum) {
    Fight fight;
    Monster monster = plainMonster(3);
    monster.resistances[Fire] = -1;
    fight.open(std::move(monster));
    Monster& m = *fight.battle->monster();
    m.stats[HP] = m.stats[MaxHP] - 5;
    fight.g.player.effective[Magic] = 30;
    const float mp = fight.g.player.effective[MP];
    fight.battle->castSpell(Spell("Fireball"), Battle::kPlayer);
    EXPECT_EQ(m.stats[HP], m.stats[MaxHP]);
    EXPECT_EQ(fight.battle->spellDamage(), -5.0f);
    EXPECT_EQ(fight.g.player.effective[MP], mp - 5);

    fight.g.player.effective[HP] = 10;
    fight.battle->castSpell(Spell("Lesser Healing"), Battle::kPlayer);
    EXPECT_EQ(fight.g.player.effective[HP], 70.0f);  // 2 x magic 30
}

TEST(Monsters, LevelScalingAndTheThirteenWayDraw) {
    CombatContent content;
    TestWorld world;
    Monster monster = plainMonster(1);
    EXPECT_EQ(monster.stats[Speed], 12.0f);
    EXPECT_EQ(monster.stats[Attack], 15.0f);
    EXPECT_EQ(monster.stats[HP], 60.0f);
    EXPECT_EQ(monster.stats[MP], 15.0f);
    EXPECT_EQ(monster.stats[LowDefence], 150.0f);

    for (unsigned seed = 1; seed < 60; ++seed) {
        seedDice(seed);
        const int draw = rollDice() % 13;
        seedDice(seed);
        const Monster drawn = Monster::random(2, "Testland");
        std::string expected;
        if (draw < 10) expected = "Beast" + std::to_string(std::max(draw, 1));
        else expected = draw == 12 ? "Wanderer2" : "Wanderer1";
        EXPECT_EQ(drawn.name, expected) << "draw " << draw;
        EXPECT_EQ(drawn.stats[Level], 2.0f);
    }
    const Monster big = Monster::boss("Big", 4);
    EXPECT_EQ(big.name, "Big");  // not "Big Boss", whose name it begins
    EXPECT_TRUE(big.isBoss);
    const Monster bigBoss = Monster::boss("Big Boss", 4);
    EXPECT_EQ(bigBoss.monsterType, "Boss");
    EXPECT_EQ(bigBoss.stats[HP], 150.0f);
    EXPECT_FALSE(Monster::boss("Nobody", 4).found);
}

TEST(Monsters, RecordsRoundTripByPosition) {
    Monster monster = plainMonster(2);
    monster.resistances[Ice] = 0.5f;
    const std::string record = monster.toRecord();
    EXPECT_EQ(std::count(record.begin(), record.end(), '|'), 4 * 18);
    EXPECT_NE(record.find("|STR|mtype|None||STR|name|Dummy|"), std::string::npos);
    Monster copy;
    copy.fromRecord(record);
    EXPECT_EQ(copy.stats, monster.stats);
    EXPECT_EQ(copy.resistances, monster.resistances);
}

TEST(ScriptBridge, AnUnchangedMonsterAIChangesNothing) {
    Fight fight;
    fight.open(plainMonster(2));
    Monster& m = *fight.battle->monster();
    m.monsterType = "Sneaky";
    fight.g.player.effective[Attack] = 37.5f;
    const std::string player = fight.g.player.toRecord(), sidekick = fight.g.sidekick.toRecord(),
                      monster = m.toRecord();
    EXPECT_EQ(fight.battle->runMonsterAI(), 0);
    EXPECT_EQ(fight.g.player.toRecord(), player);
    EXPECT_EQ(fight.g.sidekick.toRecord(), sidekick);
    EXPECT_EQ(m.toRecord(), monster);
    m.monsterType = "None";
    EXPECT_EQ(fight.battle->runMonsterAI(), -1);
}

TEST(ScriptBridge, BrokenScriptsAreTracedAndTouchNobody) {
    Fight fight;
    fight.content.writeAiScript("function MonsterAI(player, sidekick\n  return 1\n");
    fight.open(plainMonster(2));
    Monster& m = *fight.battle->monster();
    m.monsterType = "Sneaky";
    const std::string player = fight.g.player.toRecord(), monster = m.toRecord();
    fight.battle->runMonsterAI();
    EXPECT_EQ(fight.g.player.toRecord(), player);
    EXPECT_EQ(m.toRecord(), monster);
    const std::string trace = fight.traceFile();
    EXPECT_NE(trace.find("Error loading file: "), std::string::npos);
    EXPECT_NE(trace.find("Error running function: "), std::string::npos);
    EXPECT_NE(trace.find("10:\t"), std::string::npos);  // the stack dump

    // A script that runs but hands back junk is refused too.
    fight.content.writeAiScript("function MonsterAI(p, s, m) return 'junk', 7, nil, 3 end\n");
    Fight second;
    second.open(plainMonster(2));
    second.battle->monster()->monsterType = "Sneaky";
    const std::string before = second.g.player.toRecord();
    second.battle->runMonsterAI();
    EXPECT_EQ(second.g.player.toRecord(), before);
    EXPECT_GT(second.battle->monster()->stats[HP], 0.0f);
}

TEST(ScriptBridge, DisplayFunctionsTakeTheirLastArgument) {
    CombatContent content;
    TestWorld world;
    content.dir.write("scripts/show.lua",
                      "function Show() DisplayAddMenuOption('first', 'second') DisplayAddMessage(42) end\n"
                      "function Complain() DisplayAddMessage({}) end\n");
    LuaScript script;
    ASSERT_TRUE(script.loadFile("scripts\\show.lua"));
    script.getFunction("Show");
    ASSERT_TRUE(script.call(0, 0));
    EXPECT_EQ(world.game.screen.menuOptions().back(), "second");
    // Typed out, as every message from a script is.
    EXPECT_EQ(world.game.screen.messages()[0], "42" + colorWhite + colorWhite + "\n");
    script.getFunction("Complain");
    ASSERT_TRUE(script.call(0, 0));
    EXPECT_EQ(world.game.screen.messages()[0],
              "DisplayAddMessage called from Lua with invalid parameter!" + colorWhite + "\n");
    EXPECT_EQ(script.stackSize(), 0);
}

TEST(BattleExits, ScriptChangesAreUndoneButHitPointsAndManaStay) {
    Fight fight;
    fight.open(plainMonster(1));
    const float attack = fight.g.player.effective[Attack];
    const float mp = fight.g.player.effective[MP];
    fight.battle->castSpell(Spell("Rage"), Battle::kPlayer);
    EXPECT_EQ(fight.g.player.effective[Attack], attack + 50);
    fight.g.player.effective[HP] = 33;
    fight.type("7");  // flight always succeeds
    EXPECT_EQ(fight.root.subState(), nullptr);
    EXPECT_EQ(fight.g.player.effective[Attack], attack);
    EXPECT_EQ(fight.g.player.effective[HP], 33.0f);
    EXPECT_EQ(fight.g.player.effective[MP], mp - 3);
    EXPECT_EQ(fight.g.audio.currentMusic(), "dungeon.mid");
}

TEST(BattleScreen, BossesCannotBeFledAndItemsNeedAConsumable) {
    Fight fight;
    fight.g.player.effective[HP] = 0;
    Monster boss = plainMonster(2);
    boss.isBoss = true;
    fight.open(std::move(boss));
    EXPECT_EQ(fight.g.player.effective[HP], 100.0f);  // revived to fight
    fight.g.screen.clearFrame();
    fight.root.drawCurrent();
    const auto& options = fight.g.screen.menuOptions();
    auto shown = [&](const std::string& text) {
        return std::any_of(options.begin(), options.end(),
                           [&](const std::string& o) { return o.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(shown("> Atk snout"));
    EXPECT_FALSE(shown("Run Away"));
    EXPECT_FALSE(shown("Use Item"));
    fight.type("7");
    fight.type(".");
    EXPECT_EQ(fight.root.subState(), fight.battle);

    auto stim = std::make_unique<Item>();
    stim->type = TypeHp;
    stim->name = "Stim";
    stim->stats[HP] = 10;
    fight.g.player.inventory.add(std::move(stim));
    fight.g.screen.clearFrame();
    fight.root.drawCurrent();
    EXPECT_TRUE(shown("Use Item"));
    fight.type(".");
    EXPECT_NE(fight.battle->subState(), nullptr);  // the inventory, in battle mode
}

TEST(BattleScreen, SpellListNumbersByElementAndChecksMana) {
    Fight fight;
    fight.g.player.learnSpell(Spell("Frostbite"));
    fight.g.player.learnSpell(Spell("Fireball"));
    fight.open(plainMonster(1));
    fight.type("0");
    EXPECT_TRUE(fight.battle->spellMenuOpen());
    fight.type("9");
    EXPECT_EQ(fight.g.screen.messages()[0], "That spell does not exist.\n");
    fight.g.player.effective[MP] = 5;
    fight.type("2");  // Fire first: 1 Fireball, then Ice: 2 Frostbite (6 MP)
    EXPECT_EQ(fight.g.screen.messages()[0], "You don't have enough mana to cast that!\n");
    fight.type("1");
    EXPECT_FALSE(fight.battle->spellMenuOpen());
    EXPECT_EQ(fight.battle->recastSpell().name, "Fireball");
    EXPECT_EQ(fight.g.player.effective[MP], 0.0f);
    fight.type("5");
    EXPECT_EQ(fight.g.screen.messages()[0], "You don't have enough mana to cast that spell!\n");
    fight.type("+");
    EXPECT_TRUE(fight.battle->ordersMenuOpen());
    fight.type("3");
    EXPECT_EQ(fight.g.sidekick.battleMode, "ice magic");
    fight.type("0");
    EXPECT_FALSE(fight.battle->ordersMenuOpen());
}

// Every row of `table` has its dividers at `columns` (counted in cells) with
// a blank before each.
void expectDividersAt(const std::string& table, std::initializer_list<std::size_t> columns) {
    std::istringstream rows(table);
    std::string row;
    int count = 0;
    while (std::getline(rows, row)) {
        if (row.find("||") == std::string::npos || row.rfind(" ==", 0) == 0) continue;  // not the ruler
        ++count;
        std::size_t from = 0;
        for (std::size_t column : columns) {
            const std::size_t bar = row.find("||", from);
            ASSERT_NE(bar, std::string::npos) << row;
            EXPECT_EQ(displayLength(row.substr(0, bar)), column) << row;
            EXPECT_EQ(row[bar - 1], ' ') << row;
            from = bar + 2;
        }
    }
    EXPECT_GT(count, 0);
}

TEST(BattleScreen, NoValueRunsIntoAColumnDivider) {
    Fight fight;
    fight.g.sidekick.effective[HP] = fight.g.sidekick.effective[MaxHP] = 107.9f;
    fight.g.sidekick.effective[MP] = fight.g.sidekick.effective[MaxMP] = 1234.5f;
    fight.g.sidekick.name = "Bartholomewz";
    fight.open(plainMonster(1));
    fight.g.screen.clearFrame();
    fight.root.drawCurrent();
    ASSERT_FALSE(fight.g.screen.artLines().empty());
    expectDividersAt(fight.g.screen.artLines()[0], {38});
    EXPECT_NE(fight.g.screen.artLines()[0].find(" HP: 107.9/107.9  ||"), std::string::npos) << "whole, on a short label";
    EXPECT_NE(fight.g.screen.artLines()[0].find(" MP: 1234.5/1234. ||"), std::string::npos) << "cut only when even that is short";

    // A knocked-out sidekick leaves the same widths.
    fight.g.sidekick.effective[HP] = 0;
    fight.g.screen.clearFrame();
    fight.root.drawCurrent();
    expectDividersAt(fight.g.screen.artLines()[0], {38});

    // The spell list: a word too long for its column is broken, not pushed
    // into the next one.
    fight.content.dir.write("spells/spells.txt", test::spellRecord("Fireball", 1, 1.0f, 5, "Fire", "ENEMY") +
                                                     test::spellRecord("Hyperthermoclastic Blast", 1, 1.0f, 5, "Fire",
                                                                       "ENEMY") +
                                                     test::spellRecord("Icicle", 1, 1.0f, 5, "Ice", "ENEMY"));
    fight.g.player.spells.clear();
    fight.g.player.learnSpell(Spell("Hyperthermoclastic Blast"));
    fight.g.player.learnSpell(Spell("Icicle"));
    fight.type("0");
    fight.g.screen.clearFrame();
    fight.root.drawCurrent();
    std::string list;
    for (const std::string& line : fight.g.screen.artLines()) {
        list += line;
        if (list.back() != '\n') list += '\n';  // full-width lines carry no newline
    }
    expectDividersAt(list, {16, 31, 46, 61});
    EXPECT_NE(list.find(" 1." + colorRed + "Hyperthermoc" + colorWhite), std::string::npos);
    EXPECT_NE(list.find("   " + colorRed + "lastic" + colorWhite), std::string::npos);
}

// Casts spell `number` of the list with the sidekick out of the fight and
// the monster taking a quiet scripted turn, so the cast's sentence is the
// last thing in the log.
std::string narrationOfListCast(Fight& fight, const std::string& number) {
    fight.g.sidekick.effective[HP] = 0;
    fight.type("0");
    // Two target parts, three words for the sentence, then the monster's
    // choice of its script (which does nothing for a monster of type None).
    seedDice(findSeed([] {
        for (int i = 0; i < 5; ++i) rollDice();
        return rollDice() % 100 <= 50;
    }));
    fight.type(number);
    std::string told = fight.g.screen.messages().empty() ? "" : fight.g.screen.messages()[0];
    std::replace(told.begin(), told.end(), '\n', ' ');
    return told;
}

TEST(SpellNarration, ASpellFromTheListIsToldAsTheSpellCastWithWhatItDid) {
    Fight fight;
    fight.g.player.spells.clear();
    fight.g.player.learnSpell(Spell("Frostbite"));
    fight.g.player.learnSpell(Spell("Lesser Healing"));
    fight.g.player.effective[Magic] = 30;
    fight.g.player.effective[MP] = 50;
    fight.open(plainMonster(1));
    fight.g.player.effective[HP] = 10;

    // Ice comes before Light: 1 Frostbite, 2 Lesser Healing (2 x magic 30).
    const std::string healing = narrationOfListCast(fight, "2");
    EXPECT_EQ(fight.g.player.effective[HP], 70.0f);
    EXPECT_NE(healing.find("Lesser Healing" + colorWhite + " on yourself."), std::string::npos) << healing;
    EXPECT_NE(healing.find("60" + colorWhite + " HP restored to you!"), std::string::npos) << healing;
    EXPECT_EQ(healing.find("Fireball"), std::string::npos) << healing;
    EXPECT_EQ(healing.find("Damage Inflicted"), std::string::npos) << healing;

    // A spell thrown at the monster still tells the damage it really did.
    Monster& monster = *fight.battle->monster();
    const float before = monster.stats[HP];
    const std::string frost = narrationOfListCast(fight, "1");
    const float dealt = before - monster.stats[HP];
    EXPECT_GT(dealt, 0.0f);
    EXPECT_NE(frost.find("Frostbite" + colorWhite + " at the "), std::string::npos) << frost;
    EXPECT_NE(frost.find(toText(dealt) + colorWhite + " Damage Inflicted!"), std::string::npos) << frost;

    // The sidekick's own healing names whom it reached (seen in the frames
    // typed out: its turn ends by opening the next round's log).
    fight.g.sidekick.effective[HP] = 5;
    fight.g.sidekick.effective[Magic] = 10;
    const Spell heal("Lesser Healing");
    fight.battle->castSpell(heal, Battle::kSidekick);
    std::ostringstream frames;
    fight.world.console.printFramesTo(&frames, HeadlessConsole::FrameOutput::Every);
    fight.battle->describeAction("sidekick", false, nullptr, false, false, 0, &heal);
    fight.world.console.printFramesTo(nullptr, HeadlessConsole::FrameOutput::None);
    EXPECT_NE(frames.str().find("himself."), std::string::npos);
    EXPECT_NE(frames.str().find("restored"), std::string::npos);
    EXPECT_NE(frames.str().find("Bob!"), std::string::npos);
    EXPECT_EQ(frames.str().find("Fireball"), std::string::npos);
    EXPECT_EQ(fight.g.sidekick.effective[HP], 25.0f);
}

}  // namespace
}  // namespace orv
