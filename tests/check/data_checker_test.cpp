// The content checker finds what would break the readers, and names the place.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace orv
