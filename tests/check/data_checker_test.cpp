// The content checker finds what would break the readers, and names the place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "check/data_checker.h"
#include "support/test_world.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::ScratchDirectory;

std::string spellRecord(const std::string& name, const std::string& description = "words") {
    return "SPELL_BEGIN\nName: " + name + "\nDescription: " + description +
           "\n Level: 1\nPower: 1\nMP Cost: 2\nBattle Only: No\nElement: Fire\nTarget: ENEMY\nScript: None\n";
}

struct Content {
    ScratchDirectory dir;
    Content() {
        dir.write("art/splash.txt", "  ORVANTIS\n  *  .  *\n");
        std::string planets;
        for (const char* planet : {"Empyreon VI", "Empyreon VIII", "Vega IV", "Guelf", "Arcturus Prime", "Titan II",
                                   "Cronus III", "Aleph", "Zivar", "Sigma VI", "The Abominable"})
            planets += std::string("Station ") + planet + "," + planet + "\n";
        dir.write("planets/Planet List.txt", planets);
        // The game's own content, with the files these tests are about replaced.
        fs::copy(ORVANTIS_TEST_DATA, dir.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        dir.write("spells/spells.txt", spellRecord("Fireball") + spellRecord("Lesser Healing") +
                                           spellRecord("Greater Healing") + spellRecord("Greater Heal-All"));
    }
    std::vector<DataProblem> check() { return DataChecker(dir.path()).run(); }
};

bool mentions(const std::vector<DataProblem>& problems, const std::string& file, int line, const std::string& words) {
    for (const DataProblem& p : problems)
        if (p.file == file && p.line == line && p.message.find(words) != std::string::npos) return true;
    return false;
}

TEST(DataChecker, GoodContentPassesAndTheRealContentToo) {
    Content content;
    EXPECT_TRUE(content.check().empty());
    std::ostringstream out;
    EXPECT_EQ(DataChecker::report(DataChecker(ORVANTIS_TEST_DATA).run(), out), 0) << out.str();
}

TEST(DataChecker, SpellNamesMustFirstAppearOnTheirOwnNameLine) {
    Content content;
    content.dir.write("spells/spells.txt", spellRecord("Spark", "weaker than Fireball") + spellRecord("Fireball") +
                                               spellRecord("Lesser Healing") + spellRecord("Greater Healing") +
                                               spellRecord("Greater Heal-All"));
    const auto problems = content.check();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 3, "\"Fireball\" appears here before its own record"));
}

TEST(DataChecker, IncompleteSpellsAndMissingRequiredOnes) {
    Content content;
    content.dir.write("spells/spells.txt",
                      "SPELL_BEGIN\nName: Fireball\nDescription: hot\n Level: one\nPower: 1\nMP Cost: 2\n"
                      "Battle Only: No\nElement: Plasma\nTarget: ENEMY\nScript:None\n"
                      "SPELL_BEGIN\nName: Lesser Healing\nDescription: d\nLevel: 1\n");
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 4, "level \"one\" is not a number"));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 8, "element \"Plasma\""));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 10, "label: value"));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 14, "must start with \" Level: \""));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 11, "record ends before its power line"));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 0, "\"Greater Heal-All\""));
}

TEST(DataChecker, PlanetListNeedsElevenKnownPlanets) {
    Content content;
    content.dir.write("planets/Planet List.txt", "Dock,Empyreon VI\nRing,Pluto\nNo comma\nDock,Guelf\n");
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "planets/Planet List.txt", 2, "\"Pluto\" is not one of the eleven planets"));
    EXPECT_TRUE(mentions(problems, "planets/Planet List.txt", 3, "no comma"));
    EXPECT_TRUE(mentions(problems, "planets/Planet List.txt", 4, "listed twice"));
    EXPECT_TRUE(mentions(problems, "planets/Planet List.txt", 0, "holds 4"));
}

TEST(DataChecker, SplashArtRulesAndMissingFiles) {
    Content content;
    std::string art = "top\n\nhidden\n" + std::string(130, 'x') + "\n";
    content.dir.write("art/splash.txt", art);
    auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "art/splash.txt", 2, "empty line"));
    fs::remove(content.dir.path() / "art/splash.txt");
    fs::remove(content.dir.path() / "spells/spells.txt");
    problems = content.check();
    EXPECT_TRUE(mentions(problems, "art/splash.txt", 0, "missing"));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", 0, "missing"));
    std::ostringstream out;
    EXPECT_EQ(DataChecker::report(problems, out), 1);
    EXPECT_NE(out.str().find("art/splash.txt: missing"), std::string::npos);
}

// The game's own content, copied so a test can break it.
struct CopiedContent {
    ScratchDirectory dir;
    CopiedContent() {
        fs::copy(ORVANTIS_TEST_DATA, dir.path() / "data", fs::copy_options::recursive);
    }
    fs::path file(const std::string& relative) const { return dir.path() / "data" / relative; }
    std::string read(const std::string& relative) const {
        std::ifstream in(file(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& relative, const std::string& text) const {
        std::ofstream(file(relative), std::ios::binary | std::ios::trunc) << text;
    }
    std::vector<DataProblem> check() const { return DataChecker(dir.path() / "data").run(); }
};

int lineOf(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

TEST(DataChecker, AnItemRecordMovedOutOfLevelOrderIsNamedByFileAndLine) {
    CopiedContent content;
    std::string swords = content.read("items/swords.txt");
    // Take the third record and put it at the end of the file.
    std::size_t third = swords.find("_Name:");
    for (int i = 0; i < 2; ++i) third = swords.find("_Name:", third + 1);
    const std::size_t fourth = swords.find("_Name:", third + 1);
    const std::string moved = swords.substr(third, fourth - third);
    swords.erase(third, fourth - third);
    swords += moved;
    content.write("items/swords.txt", swords);
    const int levelLine = lineOf(swords, swords.rfind("Level:"));
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "items/swords.txt", levelLine, "records must rise in level"));
    std::ostringstream out;
    EXPECT_EQ(DataChecker::report(problems, out), 1);
    EXPECT_NE(out.str().find("items/swords.txt:" + std::to_string(levelLine) + ":"), std::string::npos);
}

TEST(DataChecker, ItemSkipsUnderscoresSectionsAndNames) {
    CopiedContent content;
    std::string boots = content.read("items/boots.txt");
    boots.replace(boots.find("Description:"), 12, "Desc_ription:");
    content.write("items/boots.txt", boots);

    // A prefix whose text begins a base name, and one written in the wrong case.
    std::string prefixes = content.read("items/prefix.txt");
    const std::size_t firstName = prefixes.find("_Name: ") + 7;
    const std::string firstPrefix = prefixes.substr(firstName, prefixes.find('\n', firstName) - firstName);
    std::string shields = content.read("items/shields.txt");
    const std::size_t shieldName = shields.find("_Name: ") + 7;
    shields.insert(shieldName, firstPrefix + " lid ");
    content.write("items/shields.txt", shields);

    // Sections that no longer sit where the seeks land.
    std::string suffixes = content.read("items/suffix.txt");
    suffixes.insert(0, "_Name: of Nothing\nLevel: 1\nKind: Attack\n" + std::string(150, '~') + "\n");
    content.write("items/suffix.txt", suffixes);

    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "items/boots.txt", lineOf(boots, boots.find("Desc_")), "underscore"));
    EXPECT_TRUE(mentions(problems, "items/shields.txt", 1, "begins with the prefix \"" + firstPrefix + "\""));
    EXPECT_TRUE(mentions(problems, "items/shields.txt", 1, "not written the way names are capitalised"));
    bool sectionProblem = false;
    for (const DataProblem& p : problems)
        sectionProblem |= p.file == "items/suffix.txt" && p.message.find("section, searched for level") != std::string::npos;
    EXPECT_TRUE(sectionProblem);
}

TEST(DataChecker, MonstersBossesAndScriptHooks) {
    CopiedContent content;
    // A planet file one monster short.
    std::string guelf = content.read("monsters/Guelf.txt");
    guelf.erase(guelf.rfind("MONSTER_BEGIN"));
    content.write("monsters/Guelf.txt", guelf);
    // A spell whose hook the spell script does not know.
    std::string spells = content.read("spells/spells.txt");
    spells += "SPELL_BEGIN\nName: Zap Of Testing\nDescription: d\n Level: 1\nPower: 1\nMP Cost: 20\n"
              "Battle Only: No\nElement: Fire\nTarget: ENEMY\nScript: NoSuchHook\n";
    content.write("spells/spells.txt", spells);
    // A quest that calls for a boss nobody wrote.
    fs::create_directories(content.file("quests"));
    content.write("quests/Guelf.txt", "QUEST_BEGIN\nQUEST_ROOM_BOSS_BATTLE: Nobody In Particular\n");
    // An AI script that does not load.
    content.write("scripts/enemy_ai.lua", "function MonsterAI(\n");

    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "monsters/Guelf.txt", 0, "needs at least 9 monsters, it has 8"));
    EXPECT_TRUE(mentions(problems, "spells/spells.txt", lineOf(spells, spells.rfind("Script:")) , "\"NoSuchHook\""));
    EXPECT_TRUE(mentions(problems, "quests/Guelf.txt", 2, "\"Nobody In Particular\" is not in monsters/Bosses.txt"));
    EXPECT_TRUE(mentions(problems, "scripts/enemy_ai.lua", 0, "does not load"));
}

}  // namespace
}  // namespace orv
