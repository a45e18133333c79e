// The battle's screens: the three-column fight, the spell list, the
// sidekick's orders, victory and game over, and the death curtain.
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/dice.h"
#include "app/game.h"
#include "combat/battle.h"
#include "core/colors.h"
#include "core/text.h"
#include "items/item.h"
#include "items/stat_rows.h"
#include "screens/character_sheet.h"

namespace orv {

namespace {

constexpr std::size_t kMonsterColumn = 18;
constexpr std::size_t kLeftColumns = 38;
constexpr std::size_t kSpellRows = 19;
const char* const kGroupElements[] = {"Fire", "Ice", "Dark", "Light", "Normal"};
constexpr std::size_t kSpellColumnWidths[] = {16, 13, 13, 13, 15};
// A spell's number ("12.") or the indent of its name's further lines.
constexpr std::size_t kSpellIndent = 3;

std::string cutOrPad(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// Text broken into lines of at most `width` characters on blanks.
std::vector<std::string> breakLines(const std::string& text, std::size_t width) {
    std::vector<std::string> lines;
    std::istringstream words(text);
    std::string word, line;
    while (words >> word) {
        while (word.size() > width) {
            if (!line.empty()) lines.push_back(line);
            lines.push_back(word.substr(0, width));
            word.erase(0, width);
            line.clear();
        }
        if (line.empty()) line = word;
        else if (line.size() + 1 + word.size() <= width) line += " " + word;
        else {
            lines.push_back(line);
            line = word;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string vitals(float value, float maximum) { return toText(value) + "/" + toText(maximum); }

std::string percentAvoided(float resistance) { return toText((1 - resistance) * 100); }

}  // namespace

void Battle::Draw() {
    Game& g = game();
    if (!playerAlive_) drawGameOver();
    else if (!battleOn_) drawVictory();
    else if (spellMenuOpen_) drawSpellList();
    else if (ordersMenuOpen_) drawOrders();
    else drawBattleScreen();
    for (Protagonist* who : {static_cast<Protagonist*>(&g.player), static_cast<Protagonist*>(&g.sidekick)}) {
        if (who->effective[HP] > who->effective[MaxHP]) who->effective[HP] = who->effective[MaxHP];
        if (who->effective[MP] > who->effective[MaxMP]) who->effective[MP] = who->effective[MaxMP];
    }
}

void Battle::drawBattleScreen() {
    Game& g = game();
    Player& player = g.player;
    Sidekick& sidekick = g.sidekick;
    Monster& monster = *monster_;
    if (player.effective[HP] < 0) player.effective[HP] = 0;
    if (sidekick.effective[HP] < 0) sidekick.effective[HP] = 0;
    if (monster.stats[HP] < 0) monster.stats[HP] = 0;

    std::vector<std::string> monsterCells = {
        monster.name,
        " Level: " + toText(monster.stats[Level]),
        " HP: " + vitals(monster.stats[HP], monster.stats[MaxHP]),
        " MP: " + vitals(monster.stats[MP], monster.stats[MaxMP]),
        " Description ",
    };
    for (const std::string& line : breakLines(monster.description, kMonsterColumn - 1))
        monsterCells.push_back(" " + line);
    const std::string plan = sidekick.battleMode.substr(0, sidekick.battleMode.find(' '));
    // A sidekick's long numbers ("107.9/107.9") take the label's padding
    // before they would be cut at the divider.
    auto sidekickVitals = [](const std::string& label, const std::string& shortLabel, const std::string& value) {
        constexpr std::size_t kRoom = kLeftColumns - kMonsterColumn - 2 - 1;
        return displayLength(label + value) <= kRoom ? label + value : shortLabel + value;
    };
    const std::vector<std::string> sidekickCells = {
        sidekick.name,
        " Level   : " + toText(sidekick.stats[Level]),
        sidekickVitals(" HP  : ", " HP: ", vitals(sidekick.effective[HP], sidekick.effective[MaxHP])),
        sidekickVitals(" MP  : ", " MP: ", vitals(sidekick.effective[MP], sidekick.effective[MaxMP])),
        " Mood  : " + sidekick.moodName(),
        " Plan  : " + plan,
    };
    const StatBlock& p = player.effective;
    const ResistanceBlock& pr = player.effectiveResistances;
    const std::vector<std::string> playerCells = {
        player.name,
        " Level   : " + toText(player.stats[Level]),
        " HP  : " + vitals(p[HP], p[MaxHP]),
        " MP  : " + vitals(p[MP], p[MaxMP]),
        " Atk     : " + toText(p[Attack]),
        " Mag     : " + toText(p[Magic]),
        " Speed   : " + toText(p[Speed]),
        " LowDef  : " + toText(p[LowDefence]),
        " MidDef  : " + toText(p[MidDefence]),
        " HiDef   : " + toText(p[HighDefence]),
        "Elemental",
        " Fire    : " + percentAvoided(pr[Fire]),
        " Ice     : " + percentAvoided(pr[Ice]),
        " Dark    : " + percentAvoided(pr[Dark]),
        " Light   : " + percentAvoided(pr[Light]),
        " Ether   : " + percentAvoided(pr[Ether]),
    };
    const std::size_t rows = std::min<std::size_t>(kArtRows, std::max(monsterCells.size(), playerCells.size()));
    std::string table;
    for (std::size_t row = 0; row < rows; ++row) {
        std::string left = cutOrPad(row < monsterCells.size() ? monsterCells[row] : "", kMonsterColumn);
        if (sidekick.effective[HP] > 0) left += "  " + (row < sidekickCells.size() ? sidekickCells[row] : "");
        // The left columns always end in a blank before the divider, however
        // long the sidekick's numbers grow ("107.9/107.9").
        table += fitColumn(left, kLeftColumns) + "||" + (row < playerCells.size() ? playerCells[row] : "") + "\n";
    }
    Screen& screen = g.screen;
    screen.addArtLine(table);
    screen.addMenuOption("<1> Atk " + upperLabel_);
    screen.addMenuOption("<2> Atk " + middleLabel_);
    screen.addMenuOption("<3> Atk " + lowerLabel_);
    if (player.inventory.hasConsumable()) screen.addMenuOption("<.> Use Item");
    screen.addMenuOption("<0> Cast Spell");
    screen.addMenuOption("<+> Command Sidekick");
    screen.addMenuOption("<5> Recast spell");
    if (!monster.isBoss) screen.addMenuOption("<7> Run Away");
}

void Battle::drawSpellList() {
    Game& g = game();
    Screen& screen = g.screen;
    screen.addArtLine(std::string(80, '='));
    screen.addArtLine(std::string(37, ' ') + "SPELLS\n");
    screen.addArtLine(std::string(80, '='));
    screen.addArtLine("      FIRE      ||     ICE     ||     DARK    ||    LIGHT    ||     ETHER");
    screen.addArtLine(" ===============||=============||=============||=============||===============\n");

    // Each column: its spells numbered through all groups, names broken on
    // blanks (and a word too long for the column broken where it must), a
    // blank line after each spell.
    std::vector<std::vector<std::string>> columns(5);
    int number = 0;
    for (std::size_t group = 0; group < 5; ++group) {
        const std::size_t room = kSpellColumnWidths[group] - 1 - kSpellIndent;
        for (const Spell& spell : g.player.spells) {
            if (spell.element != kGroupElements[group]) continue;
            ++number;
            std::istringstream words(spell.name);
            std::string word;
            bool first = true;
            while (words >> word) {
                for (std::size_t at = 0; at < word.size(); at += room) {
                    std::string line = first ? (number < 10 ? " " : "") + toText(number) + "." : "   ";
                    columns[group].push_back(line + elementColor(spell.element) + word.substr(at, room) + colorWhite);
                    first = false;
                }
            }
            columns[group].push_back("");
        }
    }
    for (std::size_t row = 0; row < kSpellRows; ++row) {
        std::string line;
        for (std::size_t group = 0; group < 5; ++group) {
            const std::string cell = row < columns[group].size() ? columns[group][row] : "";
            line += fitColumn(cell, kSpellColumnWidths[group]);
            if (group < 4) line += "||";
        }
        screen.addArtLine(line);
    }
    screen.addMenuOption("<SPELL NUMBER>");
    screen.addMenuOption("<0> Exit Menu");
}

void Battle::drawOrders() {
    Game& g = game();
    for (const std::string& line : ordersSheet(g.sidekick)) g.screen.addArtLine(line);
    for (const char* option : {"<1> Attack", "<2> Fire magic", "<3> Ice magic", "<4> Dark magic", "<5> Light magic",
                               "<6> Ether magic", "<0> Cancel"})
        g.screen.addMenuOption(option);
}

void Battle::drawVictory() {
    Game& g = game();
    Screen& screen = g.screen;
    screen.clearMessages();
    if (!rewardsGiven_) {
        rewardsGiven_ = true;
        if (monster_->stats[Level] == 0) {
            screen.addMessage(" ENEMY HAS BEEN DELETED SOMEHOW! ");
            screen.render();
            g.console.sleepMs(3000);
            victoryMessages_ = {" ENEMY HAS BEEN DELETED SOMEHOW! "};
            return;
        }
        const float level = monster_->stats[Level];
        const float playerLevel = g.player.stats[Level];
        // A monster of an absurd level (an edited file) pays a purse's worth, not an overflow.
        auto wholeAmount = [](float amount) {
            constexpr float kMost = 1e9f;
            return !(amount > 0) ? 0 : amount >= kMost ? static_cast<int>(kMost) : static_cast<int>(amount);
        };
        const int square = wholeAmount(std::trunc(level * level));
        const int tenSquares = wholeAmount(std::trunc(10 * level * level));
        const int money = (tenSquares > 0 ? rollDice() % tenSquares : 0) + square;
        g.player.changeMoney(money);
        const float experience = victoryExperience(level, playerLevel, monster_->isBoss);
        if (rollDice() % 100 > 40) {
            auto loot = Item::random(static_cast<int>(std::trunc(playerLevel)));
            victoryMessages_.push_back(colorWhite + "You recieve " + colorYellow + loot->name + colorWhite + " -- " +
                                       colorGreen + loot->description + colorWhite);
            g.player.inventory.add(std::move(loot));
        }
        g.player.stats[Experience] += experience;
        victoryMessages_.push_back("You recieve " + colorMagenta + toText(money) + colorWhite + "*");
        victoryMessages_.push_back("You recieve " + colorGreen + toText(experience) + colorWhite +
                                   " experience points!");
        if (g.player.levelUpPending()) victoryMessages_.push_back(colorGreen + "You level up!" + colorWhite);
        // "the sinister" brings its own article: The Iron Bosun is "the
        // sinister Iron Bosun", never "the sinister The Iron Bosun".
        victoryArt_ = std::string(80, '=') + "\n" + colorYellow + "          -----> Congratulations <-----\n" +
                      colorWhite + colorGreen + "       You have defeated the sinister " + colorMagenta +
                      withoutArticle(monster_->name) + colorGreen + ".\n\n" + colorWhite;
    }
    for (const std::string& message : victoryMessages_) screen.addMessage(message);
    if (!victoryArt_.empty()) {
        screen.addArtLine(victoryArt_);
        screen.addMenuOption(colorGreen + "PRESS ENTER TO CONTINUE" + colorWhite);
    }
}

void Battle::drawGameOver() {
    Screen& screen = game().screen;
    screen.clearMessages();
    screen.loadArt("\\gameover.txt", false);
    screen.addMenuOption(colorGreen + "PRESS ENTER TO CONTINUE" + colorWhite);
}

void Battle::deathCurtain(int foreground, int background) {
    Game& g = game();
    Screen& screen = g.screen;
    screen.saveConsole();
    screen.clearFrame();
    screen.clearMessages();
    auto fillDownTo = [&](int lastRow) {
        screen.clearCells();
        screen.restoreCells();
        for (int y = 0; y <= lastRow; ++y)
            for (int x = 0; x < kConsoleWidth; ++x) screen.setCell('#', x, y, foreground, background, true, true);
        screen.writeCells();
        g.console.sleepMs(20);
    };
    for (int row = 0; row < kConsoleHeight; ++row) fillDownTo(row);
    Draw();
    screen.render();
    screen.saveConsole();
    for (int row = kConsoleHeight - 1; row >= 0; --row) fillDownTo(row);
}

}  // namespace orv
