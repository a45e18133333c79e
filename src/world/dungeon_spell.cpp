// The field-healing screen.
#include "world/dungeon_spell.h"

#include <cmath>
#include <cstdlib>

#include "app/game.h"
#include "core/colors.h"
#include "core/text.h"

namespace orv {

namespace {

struct FieldSpell {
    const char* option;
    const char* costLine;
    const char* spellName;
    float cost;
    float factor;
    bool wholeParty;
};

const FieldSpell kFieldSpells[] = {
    {"<1> Lesser Heal Self", "Lesser Heal Self  -  20 MP", "Lesser Healing", 20, 3, false},
    {"<2> Greater Heal Self", "Greater Heal Self -  80 MP", "Greater Healing", 80, 9, false},
    {"<3> Greater Heal-All", "Greater Heal-All  - 120 MP", "Greater Heal-All", 120, 9, true},
};

void heal(Protagonist& who, float amount) {
    who.effective[HP] = std::min(who.effective[HP] + amount, who.effective[MaxHP]);
}

}  // namespace

DungeonSpell::DungeonSpell(State* parent) : State(parent) { game().screen.clearMessages(); }

void DungeonSpell::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    const StatBlock& p = g.player.effective;
    const StatBlock& s = g.sidekick.effective;
    screen.addArtLine(colorYellow + g.player.name + colorWhite);
    screen.addArtLine(colorGreen + "  HP: " + toText(p[HP]) + " / " + toText(p[MaxHP]) + "\n");
    screen.addArtLine(colorYellow + g.sidekick.name + colorWhite);
    screen.addArtLine(colorGreen + "  HP: " + toText(s[HP]) + " / " + toText(s[MaxHP]) + "\n\n");
    screen.addArtLine(colorCyan + "MP: " + toText(p[MP]) + " / " + toText(p[MaxMP]) + colorWhite + "\n\n");
    screen.addArtLine(colorRed + "Available Spells:\n" + colorWhite);
    screen.addMenuOption("<0> Exit");
    for (const FieldSpell& spell : kFieldSpells) {
        if (!g.player.knowsSpell(spell.spellName)) continue;
        screen.addMenuOption(spell.option);
        screen.addArtLine(spell.costLine);
    }
}

void DungeonSpell::Update(const std::string& command) {
    if (command == "0") {
        closeState();
        return;
    }
    Game& g = game();
    const int n = std::atoi(command.c_str());
    if (n < 1 || n > 3) return;
    const FieldSpell& row = kFieldSpells[n - 1];
    if (!g.player.knowsSpell(row.spellName)) return;
    if (g.player.effective[MP] <= row.cost) {
        g.screen.addMessage("Not Enough Mana");
        return;
    }
    g.player.effective[MP] -= row.cost;
    const Spell spell(row.spellName);
    const float amount = std::trunc(row.factor * g.player.effective[Magic]);
    heal(g.player, amount);
    std::string targets = "yourself";
    if (row.wholeParty) {
        heal(g.sidekick, amount);
        targets += " and " + colorYellow + g.sidekick.name + colorWhite;
    }
    g.screen.addMessage("You cast " + colorCyan + spell.name + colorWhite + " on " + targets + ". " + colorGreen +
                        toText(amount) + " " + colorWhite + "health healed.");
}

}  // namespace orv
