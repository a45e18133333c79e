// Saving and loading: a game comes back as it was saved, the file keeps its
// line-for-line form, and broken or hostile slots load without harm.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/check_save.h"
#include "core/colors.h"
#include "core/dice.h"
#include "items/loadscreen.h"
#include "items/save.h"
#include "items/save_file.h"
#include "screens/character_sheet.h"
#include "screens/creator.h"
#include "support/game_driver.h"
#include "support/test_root.h"
#include "support/test_world.h"
#include "world/quest_log.h"
#include "world/shop.h"
#include "world/town.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::TestWorld;

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int lineCount(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A game with something in every part of the file.
void makeRichGame(Game& g) {
    applyClass(g.player, "Rogue", true);
    applyClass(g.sidekick, "Mage", false);
    g.player.name = "Zo\x89";
    g.sidekick.name = "Bob";
    g.player.stats[Experience] = 12345;
    g.player.money = 4321;
    g.sidekick.mood = 73;
    g.player.questProgress[0][1][2] = 2;
    g.player.questProgress[10][29][9] = 1;
    g.player.planets.at(3).unlocked = true;
    g.player.tutorialHints = 0xFFFFFFF0u;
    g.audio.setMusicVolume(40);
    g.audio.setEffectVolume(70);
    g.player.inventory.add(Item::fromName("Work Boots"));
    g.player.inventory.at(0)->stats[Attack] = 7.25f;
    g.player.useOrEquip(Item::fromName("Shovel"));
    g.sidekick.useOrEquip(Item::fromName("Hardhat"));
    g.player.copyBaseToEffective();
    g.sidekick.copyBaseToEffective();
    for (Protagonist* who : {static_cast<Protagonist*>(&g.player), static_cast<Protagonist*>(&g.sidekick)})
        for (int slot = 0; slot < SlotCount; ++slot)
            if (Item* item = who->equipped(slot)) {
                who->effective.add(item->stats);
                who->effectiveResistances.add(item->resistances);
            }
}

struct Loaded {
    TestWorld world;
    Game& g = world.game;
    SaveReadResult result;
    explicit Loaded(const std::string& text) {
        world.game.player.loadPlanetList();
        resetForLoad(g);
        std::istringstream in(text);
        result = readSave(in, g);
    }
};

// A slot as the game wrote it before each hero's class was kept: saved at
// the Empyreon VI inn by an Outlaw named Brännoc (0x84 is the game's ä)
// with a Mage sidekick, right after the first lesson.
const std::string kSlotWithoutClass =
    "PLAYER:NAME:Br\x84nnoc\nPLAYER:DESC:YOU ARE A BUM, WHY DO YOU SUCK SO MUCH?\nPLAYER:STATS:LV:1\n"
    "PLAYER:STATS:HP:50\nPLAYER:STATS:MAXHP:50\nPLAYER:STATS:MP:25\nPLAYER:STATS:MAXMP:25\nPLAYER:STATS:SPD:20\n"
    "PLAYER:STATS:STR:0\nPLAYER:STATS:ATK:20\nPLAYER:STATS:MAG:20\nPLAYER:STATS:EXP:0\nPLAYER:STATS:DEF0:20\n"
    "PLAYER:STATS:DEF1:20\nPLAYER:STATS:DEF2:20\nPLAYER:STATS:FIRE:1\nPLAYER:STATS:ICE:1\nPLAYER:STATS:LIGHT:1\n"
    "PLAYER:STATS:DARK:1\nPLAYER:STATS:NORMAL:1\nSIDEKICK:NAME:Bob\nSIDEKICK:DESC:Your sidekick is an idiot.\n"
    "SIDEKICK:STATS:LV:1\nSIDEKICK:STATS:HP:15\nSIDEKICK:STATS:MAXHP:15\nSIDEKICK:STATS:MP:23\n"
    "SIDEKICK:STATS:MAXMP:23\nSIDEKICK:STATS:SPD:5\nSIDEKICK:STATS:STR:0\nSIDEKICK:STATS:ATK:3\n"
    "SIDEKICK:STATS:MAG:23\nSIDEKICK:STATS:EXP:0\nSIDEKICK:STATS:DEF0:5\nSIDEKICK:STATS:DEF1:5\n"
    "SIDEKICK:STATS:DEF2:5\nSIDEKICK:STATS:FIRE:0.9\nSIDEKICK:STATS:ICE:0.9\nSIDEKICK:STATS:LIGHT:0.9\n"
    "SIDEKICK:STATS:DARK:0.9\nSIDEKICK:STATS:NORMAL:0.9\nPLAYER:MONEY:300\nSIDEKICK:MOOD:50\n"
    "TUTORIAL:4294967292:\nPLAYER:QUESTS:0:1:1:2\nSHIP:0:\nPLANET:Empyreon VI\nFMOD:MUSIC_VOLUME:15\n"
    "FMOD:SOUND_VOLUME:15\n";

// Spends every pending level with the given choices, as the level-up screen
// after a battle does.
void spendLevels(Game& g, const std::vector<std::string>& choices) {
    ASSERT_EQ(&g, &game()) << "the level-up screen works on the running game";
    test::TestRoot opener;
    opener.setSubState(new Creator(&opener, true));
    for (const std::string& choice : choices) opener.updateCurrent(choice);
    opener.updateCurrent("0");
    ASSERT_EQ(opener.subState(), nullptr) << "every level spent";
}

TEST(SaveFile, AGameSavedAndLoadedIsTheSameGameAndSavesToTheSameBytes) {
    test::GameDataWithOwnSaves data;
    TestWorld saved;
    saved.game.player.loadPlanetList();
    makeRichGame(saved.game);
    Save(nullptr, "Vega IV").saveToSlot(1);
    const std::string text = fileText("saves/1.txt");
    ASSERT_FALSE(text.empty());
    EXPECT_NE(saved.game.screen.messages()[0].find("Game saved in slot "), std::string::npos);
    EXPECT_EQ(slotHeader(slotGamePath(1)), "Zo\x89, Level 1");

    Loaded back(text);
    EXPECT_TRUE(back.result.notes.empty());
    EXPECT_EQ(back.result.planet, "Vega IV");
    const Game& a = saved.game;
    const Game& b = back.g;
    EXPECT_EQ(b.player.name, a.player.name);
    EXPECT_EQ(b.sidekick.name, a.sidekick.name);
    EXPECT_EQ(b.player.stats, a.player.stats);
    EXPECT_EQ(b.sidekick.resistances, a.sidekick.resistances);
    // Base plus equipment again, to the last bit.
    EXPECT_EQ(b.player.effective, a.player.effective);
    EXPECT_EQ(b.sidekick.effective, a.sidekick.effective);
    EXPECT_GT(b.player.effective[Attack], b.player.stats[Attack]) << "the shovel's bonus is on";
    EXPECT_EQ(b.player.money, 4321);
    EXPECT_EQ(b.sidekick.mood, 73.0f);
    EXPECT_EQ(b.player.questProgress, a.player.questProgress);
    EXPECT_TRUE(b.player.planets.at(3).unlocked);
    EXPECT_FALSE(b.player.planets.at(2).unlocked);
    EXPECT_EQ(b.player.tutorialHints, 0xFFFFFFF0u);
    EXPECT_EQ(b.audio.getMusicVolume(), 40.0f);
    ASSERT_EQ(b.player.inventory.size(), 1u);
    EXPECT_EQ(b.player.inventory.at(0)->stats[Attack], 7.25f) << "stored numbers, not fresh rolls";
    ASSERT_NE(b.player.equipped(SlotWeapon), nullptr);
    EXPECT_EQ(b.player.equipped(SlotWeapon)->stats, a.player.equipped(SlotWeapon)->stats);
    ASSERT_NE(b.sidekick.equipped(SlotVisor), nullptr);
    EXPECT_EQ(saveText(b, "Vega IV"), text) << "saving it again gives the same file";

    // Loading the same slot twice gives the same game: everything is reset first.
    Loaded again(text);
    resetForLoad(again.g);
    std::istringstream in(text);
    readSave(in, again.g);
    EXPECT_EQ(saveText(again.g, "Vega IV"), text);
}

TEST(SaveFile, TheFormsThePlayersFilesRelyOn) {
    test::InGameData data;
    TestWorld w;
    w.game.player.loadPlanetList();
    w.game.player.questProgress[0][0][0] = 0;
    w.game.player.tutorialHints = 0xFFFFFFFFu;  // a new game's: every lesson still to come
    std::string text = saveText(w.game, "Guelf");
    EXPECT_EQ(lineCount(text), 2 * 21 + 3 + 3 + 1) << "nothing written but the first planet";
    EXPECT_EQ(text.substr(0, text.find('\n')), "PLAYER:NAME:Player");
    EXPECT_NE(text.find("\nTUTORIAL:-1:\nSHIP:0:\nPLANET:Guelf\nFMOD:MUSIC_VOLUME:15\n"), std::string::npos);
    // The hints are a signed number in the file; the unsigned form earlier
    // slots were written in reads as the same hints.
    w.game.player.tutorialHints = 0xFFFFFFFCu;
    EXPECT_NE(saveText(w.game, "Guelf").find("\nTUTORIAL:-4:\n"), std::string::npos);
    for (const char* written : {"TUTORIAL:-4:\n", "TUTORIAL:4294967292:\n"}) {
        Loaded hints(written);
        EXPECT_EQ(hints.g.player.tutorialHints, 0xFFFFFFFCu) << written;
        EXPECT_TRUE(hints.result.notes.empty()) << written;
    }

    // MONEY written last rebuilds the effective values after the equipment:
    // the bonuses are lost, as the reader's order rules say.
    makeRichGame(w.game);
    text = saveText(w.game, "Guelf");
    const std::size_t money = text.find("PLAYER:MONEY:");
    const std::string moneyLine = text.substr(money, text.find('\n', money) - money + 1);
    Loaded inOrder(text);
    text.erase(money, moneyLine.size());
    Loaded moneyLast(text + moneyLine);
    EXPECT_NE(inOrder.g.player.effective, inOrder.g.player.stats);
    EXPECT_EQ(moneyLast.g.player.effective[Attack], moneyLast.g.player.stats[Attack]);
    EXPECT_EQ(moneyLast.g.player.money, 4321);
}

// Experience runs into the millions late in the game, and rolled item
// numbers use every bit of a float: a save keeps each number exactly, in a
// form any reader of decimal numbers takes back unchanged.
TEST(SaveFile, EveryNumberComesBackExactly) {
    test::InGameData data;
    TestWorld w;
    Game& g = w.game;
    g.player.loadPlanetList();
    g.player.stats[Experience] = 1234567.9f;
    g.player.stats[Attack] = 9999999.0f;
    g.player.stats[HP] = 0.1f;
    g.player.stats[MaxHP] = 123.456789f;
    g.player.stats[LowDefence] = 1e-6f;
    g.player.resistances[Fire] = std::nextafter(1.05f, 2.0f);
    g.sidekick.mood = 100.0f / 3;
    g.audio.setMusicVolume(12.345678f);
    g.player.inventory.add(Item::fromName("Singed Work Boots of Spite"));
    g.player.inventory.at(0)->stats[Speed] = 23.760002f;
    const std::string text = saveText(g, "Guelf");
    for (const char* line : {"PLAYER:STATS:EXP:1234567.9\n", "PLAYER:STATS:ATK:9999999\n", "PLAYER:STATS:HP:0.1\n",
                             "ITEM:PLAYER:STATS:SPD:23.760002\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    // Any reader of decimal text: the C library's own reads each number back.
    for (const auto& [line, value] : {std::pair<const char*, float>{"PLAYER:STATS:MAXHP:", 123.456789f},
                                      {"PLAYER:STATS:DEF0:", 1e-6f},
                                      {"PLAYER:STATS:FIRE:", g.player.resistances[Fire]},
                                      {"SIDEKICK:MOOD:", g.sidekick.mood}}) {
        const std::size_t at = text.find(std::string("\n") + line);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(std::strtof(text.c_str() + at + 1 + std::strlen(line), nullptr), value) << line;
    }

    Loaded back(text);
    EXPECT_TRUE(back.result.notes.empty());
    EXPECT_EQ(back.g.player.stats, g.player.stats);
    EXPECT_EQ(back.g.player.resistances, g.player.resistances);
    EXPECT_EQ(back.g.sidekick.mood, g.sidekick.mood);
    EXPECT_EQ(back.g.audio.getMusicVolume(), g.audio.getMusicVolume());
    ASSERT_EQ(back.g.player.inventory.size(), 1u);
    EXPECT_EQ(back.g.player.inventory.at(0)->stats, g.player.inventory.at(0)->stats);
    EXPECT_EQ(back.g.player.inventory.at(0)->resistances, g.player.inventory.at(0)->resistances);
    EXPECT_EQ(saveText(back.g, "Guelf"), text);
}

TEST(SaveFile, EachHerosClassComesBackAndASlotWithoutOneStillLoads) {
    test::InGameData data;
    TestWorld w;
    w.game.player.loadPlanetList();
    makeRichGame(w.game);
    const std::string text = saveText(w.game, "Guelf");
    // One more line after each protagonist's statistics, where a reader that
    // knows no class skips it; the slot lists' three lines are unchanged.
    EXPECT_NE(text.find("PLAYER:STATS:NORMAL:0.95\nPLAYER:TYPE:Rogue\nSIDEKICK:NAME:Bob\n"), std::string::npos);
    EXPECT_NE(text.find("SIDEKICK:STATS:NORMAL:0.9\nSIDEKICK:TYPE:Mage\nPLAYER:MONEY:"), std::string::npos);
    EXPECT_EQ(text.find(":TYPE:", text.find("PLAYER:MONEY:")), std::string::npos) << "items have no class";
    Loaded back(text);
    EXPECT_TRUE(back.result.notes.empty());
    EXPECT_EQ(back.g.player.className, "Rogue");
    EXPECT_EQ(back.g.sidekick.className, "Mage");

    // A slot written before the class was kept loads as it always did, with
    // no class; nor does the class of the game played before leak into it.
    Loaded old(kSlotWithoutClass);
    EXPECT_TRUE(old.result.notes.empty());
    EXPECT_EQ(old.g.player.name, "Br\x84nnoc");
    EXPECT_EQ(old.g.player.stats[MaxHP], 50.0f);
    EXPECT_EQ(old.g.sidekick.stats[Magic], 23.0f);
    EXPECT_EQ(old.g.player.tutorialHints, 0xFFFFFFFCu);
    EXPECT_EQ(old.g.player.questProgress[0][1][1], 2);
    EXPECT_EQ(old.result.planet, "Empyreon VI");
    resetForLoad(back.g);
    std::istringstream again(kSlotWithoutClass);
    readSave(again, back.g);
    EXPECT_EQ(back.g.player.className, "");
    EXPECT_EQ(back.g.sidekick.className, "");

    // A class the game does not know is left out, and said so.
    Loaded wizard("SIDEKICK:TYPE:Wizard\x1b[2J\nITEM:PLAYER:NAME:Work Boots\nITEM:PLAYER:TYPE:Mage\n"
                  "ITEM:PLAYER:STATS:NORMAL:1\n");
    EXPECT_EQ(wizard.g.sidekick.className, "");
    ASSERT_EQ(wizard.result.notes.size(), 2u);
    EXPECT_NE(wizard.result.notes[0].text.find("is no class"), std::string::npos);
}

// The level-up sheet and the levels themselves: a loaded game must grow as
// the game that was saved would have.
TEST(SaveFile, ALoadedGameShowsItsClassesAndLevelsAsTheSavedOneWould) {
    test::InGameData data;
    TestWorld saved;
    Game& a = saved.game;
    a.player.loadPlanetList();
    applyClass(a.player, "Outlaw", true);
    applyClass(a.sidekick, "Mage", false);
    a.player.stats[Experience] = 30000;
    spendLevels(a, {"1", "5"});
    // A rest at the inn before saving: both are whole.
    for (Protagonist* who : {static_cast<Protagonist*>(&a.player), static_cast<Protagonist*>(&a.sidekick)}) {
        who->effective[HP] = who->effective[MaxHP];
        who->effective[MP] = who->effective[MaxMP];
    }
    const std::string text = saveText(a, "Guelf");
    const StatBlock wholeAtSaving = a.player.effective;
    // The saved game plays on: two more levels.
    a.player.stats[Experience] = 50000;
    spendLevels(a, {"2", "4"});

    Loaded back(text);
    Game& b = back.g;
    EXPECT_EQ(b.player.effective, wholeAtSaving) << "the build's hit points are its full ones";
    std::string sheet;
    for (const std::string& line : levelUpSheet(b.player, b.sidekick)) sheet += line + "\n";
    EXPECT_NE(sheet.find("Type: " + colorWhite + "Outlaw"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("Type: " + colorWhite + "Mage"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("HP: " + colorWhite + "107.5"), std::string::npos) << "50 + 30 + 27.5\n" << sheet;

    // The loaded game plays on the same way.
    b.player.stats[Experience] = 50000;
    spendLevels(b, {"2", "4"});
    EXPECT_EQ(b.player.stats, a.player.stats);
    EXPECT_EQ(b.sidekick.stats, a.sidekick.stats) << "the sidekick grew as a Mage";
    EXPECT_EQ(b.sidekick.stats[MaxMP], 23 + 4 * (7.5f + 5));
    EXPECT_EQ(b.player.effective, a.player.effective);
    EXPECT_EQ(b.sidekick.effective, a.sidekick.effective);
}

TEST(SaveFile, WordsWhereNumbersBelongReadAsZeroAndAreNamed) {
    Loaded l("PLAYER:STATS:ATK:12\nPLAYER:STATS:ATK:sharp\nPLAYER:MONEY:lots\nSIDEKICK:MOOD:grumpy\n"
             "FMOD:MUSIC_VOLUME:loud\n");
    EXPECT_EQ(l.g.player.stats[Attack], 0.0f);
    EXPECT_EQ(l.g.player.money, 0);
    EXPECT_EQ(l.g.sidekick.mood, 0.0f);
    EXPECT_EQ(l.g.audio.getMusicVolume(), 0.0f);
    std::string notes;
    for (const SaveReadNote& note : l.result.notes) notes += toText(note.line) + ": " + note.text + "\n";
    for (const char* word : {"2: \"sharp\"", "3: \"lots\"", "4: \"grumpy\"", "5: \"loud\""})
        EXPECT_NE(notes.find(std::string(word) + " is not a number; read as 0"), std::string::npos) << word << notes;
}

TEST(CheckSave, TheSlotsTextIsShownInTheTerminalsEncoding) {
    test::InGameData data;  // the planet list the SHIP line names
    std::istringstream slot(kSlotWithoutClass + "PLAYER:STATS:ATK:\x1b[31m\n");
    std::ostringstream utf8;
    EXPECT_EQ(reportSaveCheck(slot, "1.txt", utf8, true), 1);
    EXPECT_NE(utf8.str().find("lines: Br\xC3\xA4nnoc, level 1,"), std::string::npos) << utf8.str();
    EXPECT_NE(utf8.str().find("1.txt:49: \"\xE2\x86\x90[31m\" is not a number"), std::string::npos) << utf8.str();
    EXPECT_EQ(utf8.str().find('\x1b'), std::string::npos) << "nothing the terminal would obey";

    std::istringstream again(kSlotWithoutClass);
    std::ostringstream ascii;
    EXPECT_EQ(reportSaveCheck(again, "1.txt", ascii, false), 0);
    EXPECT_NE(ascii.str().find("lines: Brannoc, level 1,"), std::string::npos) << ascii.str();
}

// Whether the checker's report names each of the given lines of `fileName`.
std::string unnamedLines(const std::string& report, const std::string& fileName, const std::vector<int>& lines) {
    std::string missing;
    for (const int line : lines)
        if (report.find(fileName + ":" + std::to_string(line) + ": ") == std::string::npos)
            missing += std::to_string(line) + " ";
    return missing;
}

// The numbers of the lines of `text` that hold anything.
std::vector<int> linesWithText(const std::string& text) {
    std::vector<int> numbers;
    int number = 1;
    std::size_t start = 0;
    for (std::size_t end; start < text.size(); start = end + 1, ++number) {
        end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::size_t length = end - start;
        if (length > 1 || (length == 1 && text[start] != '\r')) numbers.push_back(number);
    }
    return numbers;
}

// A player who edits a slot by hand trusts the checker's word: every line
// the game reads as anything but what it says, and every line it does not
// read at all, is named, and the check fails.
TEST(CheckSave, EveryLineNotReadAsWrittenIsNamedAndFailsTheCheck) {
    test::InGameData data;
    const std::string edited = kSlotWithoutClass +
                               "PLAYER:STATS:HP:0x1p1000\nPLAYER:MONEY:1e308\nPLAYER:STATS:ATK:35abc\n"
                               "FMOD:MUSIC_VOLUME:nan\nPLAYER:QUESTS:0:1:1:2xyz\nPLAYER:STATS:SPD:+7\n";
    std::istringstream slot(edited);
    std::ostringstream report;
    EXPECT_EQ(reportSaveCheck(slot, "1.txt", report, false), 1);
    const int first = lineCount(kSlotWithoutClass) + 1;
    EXPECT_EQ(unnamedLines(report.str(), "1.txt", {first, first + 1, first + 2, first + 3, first + 4}), "")
        << report.str();
    EXPECT_EQ(report.str().find("1.txt:" + std::to_string(first + 5) + ":"), std::string::npos)
        << "+7 is 7 as written\n" << report.str();
    for (const char* read : {"\"0x1p1000\" is not a plain number; read as 0",
                             "\"1e308\" is not a plain number; read as 1",
                             "\"35abc\" is not a plain number; read as 35",
                             "\"2xyz\" is not a plain number; read as 2"})
        EXPECT_NE(report.str().find(read), std::string::npos) << read << "\n" << report.str();
    EXPECT_EQ(report.str().find("Every line is read as written."), std::string::npos);

    // Files that are no slot at all: random bytes, and a system file.
    std::mt19937 dice(16);
    std::string noise(64 * 1024, '\0');
    for (char& byte : noise) byte = static_cast<char>(dice() & 0xFF);
    std::string passwd = "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1:daemon:/usr/sbin:/usr/sbin/nologin\n";
    if (std::ifstream system("/etc/passwd"); system) passwd = fileText("/etc/passwd");
    for (const auto& [name, text] : {std::pair<std::string, std::string>{"noise.txt", noise}, {"passwd", passwd}}) {
        std::istringstream file(text);
        std::ostringstream out;
        EXPECT_EQ(reportSaveCheck(file, name, out, false), 1) << name;
        EXPECT_EQ(unnamedLines(out.str(), name, linesWithText(text)), "") << name << "\n" << out.str();
        EXPECT_NE(out.str().find(name + ": nothing in it is a saved game"), std::string::npos) << out.str();
    }
}

TEST(SaveFile, HostileSlotsLoadWithoutHarmAndSayWhatTheySkipped) {
    const std::string longLine = std::string(1 << 20, 'x') + "PLAYER:MONEY:5";
    const std::string text = "PLAYER:NAME:Zed\n" + longLine + "\nPLAYER:QUESTS:11:0:0:2\nPLAYER:QUESTS:0:30:0:2\n"
                             "PLAYER:QUESTS:-1:0:0:2\nPLAYER:QUESTS:0:0:10:2\nSHIP:400:\nSHIP:-1:\n"
                             "PLAYER:STATS:LV:-1e38\nPLAYER:STATS:ATK:1e30\nSIDEKICK:MOOD:250\n"
                             "ITEM:PLAYER:NAME:Nothing Like It Exists\nITEM:PLAYER:STATS:NORMAL:0\n"
                             "\x01\x02\xff\xfe:\x80:\n"
                             "PLAYER:MONEY:99999999999999\nITEM:PLAYER:NAME:Half An Item";  // no newline at the end
    test::InGameData data;
    Loaded l(text);
    EXPECT_EQ(l.g.player.name, "Zed");
    EXPECT_EQ(l.g.player.money, Player::kMoneyLimit);
    EXPECT_EQ(l.g.player.questProgress, QuestProgress{}) << "no write outside the table";
    EXPECT_EQ(l.g.player.stats[Level], 0.0f);
    EXPECT_EQ(l.g.player.stats[Attack], 1e7f);
    EXPECT_EQ(l.g.sidekick.mood, 99.0f);
    EXPECT_EQ(l.g.player.inventory.size(), 1u) << "an unknown name still gives an item; the unfinished one is left out";
    std::string notes;
    for (const SaveReadNote& note : l.result.notes) notes += toText(note.line) + ": " + note.text + "\n";
    EXPECT_NE(notes.find("2: longer than 1000 characters; skipped whole"), std::string::npos) << notes;
    for (const char* expected : {"3: QUESTS", "6: QUESTS", "7: SHIP", "8: SHIP", "9: \"-1e38\"", "10: \"1e30\"",
                                 "11: \"250\"", "15: \"99999999999999\"", "16: the last item"})
        EXPECT_NE(notes.find(expected), std::string::npos) << expected << "\n" << notes;

    // Thousands of items load too.
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "ITEM:PLAYER:NAME:Work Boots\nITEM:PLAYER:STATS:NORMAL:0\n";
    Loaded crowd(many);
    EXPECT_EQ(crowd.g.player.inventory.size(), 3000u);
}

// The load screen and the inn on the game's own content, slots in a scratch
// directory of their own.
struct SaveVisit {
    test::GameDataWithOwnSaves data;
    TestWorld world;
    Game& g = world.game;
    test::TestRoot root;
    SaveVisit() {
        g.player.loadPlanetList();
        applyClass(g.player, "Fighter", true);
    }
    std::string type(const std::string& line) {
        g.screen.clearFrame();
        root.drawCurrent();
        g.screen.render();
        root.updateCurrent(line);
        g.screen.clearFrame();
        root.drawCurrent();
        g.screen.render();
        return world.console.frameText();
    }
};

TEST(SaveSlots, TheFolderIsMadeAFailedWriteKeepsTheOldSlotAndAStrangePlanetStrandsNobody) {
    SaveVisit v;
    ASSERT_FALSE(fs::exists("saves"));
    v.root.setSubState(new Save(&v.root, "Nowhere Prime"));
    std::string screen = v.type("2");
    EXPECT_NE(screen.find("Slot 2: Player, Level 1"), std::string::npos) << screen;
    const std::string before = fileText("saves/2.txt");

    // A file where the saves folder must be: the write fails, the old slot stays.
    fs::rename("saves", "saves.kept");
    std::ofstream("saves") << "not a folder";
    v.g.player.money = 1;
    screen = v.type("2");
    EXPECT_NE(v.g.screen.messages()[0].find("NOT saved in slot 2"), std::string::npos) << screen;
    EXPECT_EQ(v.g.screen.messages()[0].rfind("failed to open saves\\2.txt", 0), 0u) << "the game's own words first";
    fs::remove("saves");
    fs::rename("saves.kept", "saves");
    EXPECT_EQ(fileText("saves/2.txt"), before);
    v.type("0");

    // Nowhere Prime has no town: the first destination's inn takes the player in.
    v.root.setSubState(new Loadscreen(&v.root));
    screen = v.type("");
    EXPECT_NE(screen.find("<2> Load Game 2"), std::string::npos);
    EXPECT_EQ(screen.find("<1> Load Game 1"), std::string::npos);
    screen = v.type("2");
    auto* inn = dynamic_cast<Shop*>(v.root.current());
    ASSERT_NE(inn, nullptr);
    EXPECT_EQ(inn->townName(), "Empyreon VI");
    EXPECT_NE(screen.find("Game loaded."), std::string::npos);
    EXPECT_NE(screen.find("no town at \"Nowhere Prime\""), std::string::npos);
    EXPECT_EQ(v.g.player.money, 300);
}

TEST(SaveSlots, LeavingAsksOnlyWhenSomethingWouldBeLost) {
    SaveVisit v;
    auto* town = new Town(&v.root, "Empyreon VI");
    v.root.setSubState(town);
    // A new game, never saved: asked; "0" stays in the town.
    std::string screen = v.type("*");
    EXPECT_NE(screen.find("Leave without saving?"), std::string::npos);
    v.type("0");
    ASSERT_EQ(v.root.current(), town);
    EXPECT_NE(v.world.console.frameText().find("<1> Armor shop"), std::string::npos);

    // Right after a save: leaves at once.
    markGameSaved();
    v.type("*");
    EXPECT_EQ(v.root.subState(), nullptr);

    // After a purchase: asked again, and "1" leaves.
    town = new Town(&v.root, "Empyreon VI");
    v.root.setSubState(town);
    v.g.player.changeMoney(-20);
    v.type("exit");
    ASSERT_EQ(v.root.current(), town);
    v.type("1");
    EXPECT_EQ(v.root.subState(), nullptr);
}

TEST(SaveScenario, AGameSavedAtTheInnComesBackWithItsThingsInTheSameInn) {
    test::GameDriver first;
    seedDice(11);
    for (const char* line : {"1", "zed", "f", "c", "bob", "r", "c", "", "1"}) first.type(line);
    for (int i = 0; i < 5 && !first.at<Town>(); ++i) first.type("");
    ASSERT_NE(first.at<Town>(), nullptr);
    first.type("1");
    first.typeThenAnswer("buy", "1");
    first.typeThenAnswer("buy", "6");
    first.type("0");
    first.type("claim");
    first.type("+");
    first.type("work");
    first.type("0");
    first.type("0");
    first.type("3");
    ASSERT_NE(first.at<Shop>(), nullptr);
    EXPECT_NE(first.world.console.frameText().find("<5> Save"), std::string::npos);
    first.type("5");
    EXPECT_NE(first.type("2").find("Game saved in slot 2"), std::string::npos);
    first.type("0");
    first.type("0");
    const std::string townBefore = first.world.console.frameText();
    const std::string savedText = saveText(first.g, "Empyreon VI");
    first.type("*");  // just saved: no question
    ASSERT_EQ(first.current(), first.title);

    test::GameDriver second;  // a new run, with the slots the first one left
    fs::copy(first.data.path() / "saves", second.data.path() / "saves");
    second.type("2");
    std::string screen = second.type("2");
    ASSERT_NE(second.at<Shop>(), nullptr) << screen;
    EXPECT_NE(screen.find("Inn"), std::string::npos);
    EXPECT_NE(screen.find("Game loaded."), std::string::npos);
    EXPECT_EQ(saveText(second.g, "Empyreon VI"), savedText) << "inventory, money, quests, everything";
    EXPECT_EQ(second.g.player.inventory.size(), 2u);
    second.type("0");
    ASSERT_NE(second.at<Town>(), nullptr);
    const std::string townAfter = second.world.console.frameText();
    EXPECT_EQ(townAfter.substr(0, townAfter.find("=====")), townBefore.substr(0, townBefore.find("=====")))
        << "the same town with the same quest log";
}

}  // namespace
}  // namespace orv
