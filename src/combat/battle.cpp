// The battle's commands and its ways out.
#include "combat/battle.h"

#include <cmath>
#include <cstdlib>

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/text.h"
#include "items/inventory.h"
#include "screens/creator.h"
#include "world/tutorial.h"

namespace orv {

namespace {

constexpr int kRecordPieces = 7;
constexpr std::size_t kRecordPieceLength = 70;
const char* const kElementOrder[] = {"Fire", "Ice", "Dark", "Light", "Normal"};

// The player's spells in the order the spell list numbers them.
std::vector<const Spell*> spellsInListOrder(const Protagonist& who) {
    std::vector<const Spell*> ordered;
    for (const char* element : kElementOrder)
        for (const Spell& spell : who.spells)
            if (spell.element == element) ordered.push_back(&spell);
    return ordered;
}

void takeSnapshot(const Protagonist& who, StatBlock& stats, ResistanceBlock& resistances) {
    stats = who.effective;
    resistances = who.effectiveResistances;
}

}  // namespace

Battle::Battle(State* parent, std::unique_ptr<Monster> monster)
    : State(parent), lastEnemySpell_("Fireball"), recastSpell_("Fireball") {
    Game& g = game();
    takeSnapshot(g.player, playerSnapshot_.stats, playerSnapshot_.resistances);
    takeSnapshot(g.sidekick, sidekickSnapshot_.stats, sidekickSnapshot_.resistances);
    g.screen.clearMessages();
    monster_ = std::move(monster);
    g.audio.playMusic("battle.mp3");
    spellScript_.loadFile("scripts\\spell_cast.lua");
    aiScript_.loadFile("scripts\\enemy_ai.lua");
    // A hero who comes into a fight with no life left gets back up.
    if (g.player.effective[HP] <= 0) g.player.effective[HP] = 100;
    sidekickDown_ = g.sidekick.effective[HP] < 0;
    lowerLabel_ = monster_->lowerPart;
    middleLabel_ = monster_->middlePart;
    upperLabel_ = monster_->upperPart;
    Tutorial::offer(this, HintBattle);
}

Battle::~Battle() = default;

void Battle::restoreStats() {
    Game& g = game();
    auto restore = [](Protagonist& who, const Snapshot& snapshot) {
        const float hp = who.effective[HP];
        const float mp = who.effective[MP];
        who.effective = snapshot.stats;
        who.effectiveResistances = snapshot.resistances;
        who.effective[HP] = hp;
        who.effective[MP] = mp;
    };
    restore(g.player, playerSnapshot_);
    restore(g.sidekick, sidekickSnapshot_);
}

void Battle::redraw() {
    Screen& screen = game().screen;
    screen.clearFrame();
    Draw();
    screen.render();
}

void Battle::Update(const std::string& command) {
    Game& g = game();
    g.screen.clearMessages();
    sidekickTargetPart_ = rollDice() % 3;
    monsterTargetPart_ = rollDice() % 3;
    if (g.sidekick.effective[HP] <= 0) sidekickDown_ = sidekickOut_ = true;

    if (!playerAlive_) {
        defeatExit();
    } else if (!battleOn_) {
        g.audio.stopMusic();
        victoryExit();
    } else if (spellMenuOpen_) {
        spellListInput(command);
        if (!spellChosen_) return;
        // Told as the spell that was chosen: the last spell thrown at the
        // monster may be another one altogether.
        describeAction("player", false, nullptr, false, false, spellDamage_, &recastSpell_);
        if (monster_->stats[HP] <= 0) {
            monster_->stats[HP] = 0;
            battleOn_ = false;
        }
        spellChosen_ = false;
        afterPlayerAction();
    } else if (ordersMenuOpen_) {
        ordersInput(command);
    } else if (g.player.effective[HP] > 0) {
        fight(command);
    }
}

void Battle::afterPlayerAction() {
    monsterTurn();
    sidekickTurn();
}

void Battle::fight(const std::string& command) {
    Game& g = game();
    if (command == "1" || command == "2" || command == "3") {
        playerAttack(command == "1" ? 2 : command == "2" ? 1 : 0);
        afterPlayerAction();
    } else if (command == "." && g.player.inventory.hasConsumable()) {
        setSubState(new Inventory(this, g.player, this));
    } else if (command == "0") {
        showSpellRanks();
        g.screen.addMessage("");
        spellMenuOpen_ = true;
    } else if (command == "+") {
        ordersMenuOpen_ = true;
        ordersInput("+");
    } else if (command == "5") {
        recast();
    } else if (command == "7" && !monster_->isBoss) {
        flee();  // the battle is gone after this
    } else if (command == "t") {
        recordCheck();
    }
}

void Battle::showSpellRanks() {
    Screen& screen = game().screen;
    for (int rank = 1; rank <= 7; ++rank)
        screen.addMessage(colorGreen + "Rank " + toText(rank) + ": " + colorYellow + toText(rank * 20) + " MP." +
                          colorWhite);
    screen.addMessage("\n");
}

void Battle::spellListInput(const std::string& command) {
    Game& g = game();
    if (command == "e" || command == "0") {
        spellMenuOpen_ = false;
        spellChosen_ = false;
        return;
    }
    const std::vector<const Spell*> spells = spellsInListOrder(g.player);
    const float number = std::trunc(toNumber(command));
    if (!(number >= 1 && number <= static_cast<float>(spells.size()))) {
        showSpellRanks();
        g.screen.addMessage("That spell does not exist.");
        return;
    }
    const Spell chosen = *spells[static_cast<std::size_t>(number) - 1];
    if (g.player.effective[MP] < chosen.mpCost) {
        showSpellRanks();
        g.screen.addMessage("You don't have enough mana to cast that!");
        return;
    }
    spellMenuOpen_ = false;
    spellChosen_ = true;
    recastSpell_ = chosen;
    redraw();
    castSpell(chosen, kPlayer);
}

void Battle::ordersInput(const std::string& command) {
    if (command == "e" || command == "0") {
        ordersMenuOpen_ = false;
        return;
    }
    static const char* const kModes[] = {"attack", "fire magic", "ice magic", "dark magic", "light magic",
                                         "ether magic"};
    const int choice = std::atoi(command.c_str());
    if (choice >= 1 && choice <= 6) game().sidekick.battleMode = kModes[choice - 1];
}

void Battle::recast() {
    Game& g = game();
    if (g.player.effective[MP] < recastSpell_.mpCost) {
        g.screen.addMessage("You don't have enough mana to cast that spell!");
        return;
    }
    const Spell spell = recastSpell_;
    castSpell(spell, kPlayer);
    describeAction("player", false, nullptr, false, false, spellDamage_, &spell);
    if (monster_->stats[HP] <= 0) monster_->stats[HP] = 0;
    spellChosen_ = false;
    afterPlayerAction();
}

void Battle::flee() {
    game().audio.playMusic("dungeon.mid");
    monster_.reset();
    restoreStats();
    closeState();
}

void Battle::recordCheck() {
    Game& g = game();
    const std::string record = g.player.toRecord();
    std::string text = "Passing player information to a string\n";
    for (int piece = 0; piece < kRecordPieces && piece * kRecordPieceLength < record.size(); ++piece)
        text += record.substr(piece * kRecordPieceLength, kRecordPieceLength) + "\n";
    text += "Parsing player information from the string\n";
    g.player.fromRecord(record);
    g.screen.addMessage(text);
}

void Battle::victoryExit() {
    Game& g = game();
    g.audio.playMusic("dungeon.mid");
    if (g.player.levelUpPending()) setSubState(new Creator(this, true));
    monster_.reset();
    restoreStats();
    closeState();
}

void Battle::defeatExit() {
    game().screen.clearMessages();
    monster_.reset();
    restoreStats();
    closeAll();
}

}  // namespace orv
