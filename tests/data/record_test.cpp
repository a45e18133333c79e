// Tagged records and the keyed data-file reader.
#include <gtest/gtest.h>

#include "combat/monster.h"
#include "data/record.h"
#include "data/simple_file.h"
#include "data/spell.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::ScratchDirectory;
using test::TestWorld;

int countBars(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '|')); }

TEST(Record, ProtagonistRecordHas32FieldsAndTwoBarsMeetBeforeTheName) {
    TestWorld w;
    Player& player = w.game.player;
    player.reset();
    player.name = "Zed";
    const std::string record = player.toRecord();
    EXPECT_EQ(countBars(record), 4 * 32);
    EXPECT_NE(record.find("|NUM|modNormal|0||STR|name|Zed|"), std::string::npos);
    EXPECT_EQ(record.rfind("|NUM|HP|0|", 0), 0u);
    EXPECT_NE(record.find("|NUM|modMaxHP|0|"), std::string::npos);
    EXPECT_NE(record.find("|NUM|hiDef|0||NUM|modSpd|"), std::string::npos);
}

TEST(Record, NumbersAreWrittenPlainAndReadBackByPositionOnly) {
    TestWorld w;
    Player& player = w.game.player;
    player.stats[HP] = 2.5f;
    player.stats[MaxHP] = 100;
    player.effective[Attack] = 12.25f;
    player.effectiveResistances[Ether] = 1.05f;
    std::string record = player.toRecord();
    EXPECT_NE(record.find("|HP|2.5|"), std::string::npos);
    EXPECT_NE(record.find("|maxHP|100|"), std::string::npos);

    // Scripts may misspell names: only the order matters.
    std::size_t at;
    while ((at = record.find("|NUM|HP|")) != std::string::npos) record.replace(at, 8, "|NUM|hitpoints|");
    Sidekick other;
    other.fromRecord(record);
    EXPECT_EQ(other.stats[HP], 2.5f);
    EXPECT_EQ(other.stats[MaxHP], 100.0f);
    EXPECT_EQ(other.effective[Attack], 12.25f);
    EXPECT_FLOAT_EQ(other.effectiveResistances[Ether], 1.05f);
    EXPECT_EQ(other.name, "Sidekick");  // names are never read back
}

TEST(Record, NextFieldTakesValuesInOrderAndSurvivesBrokenRecords) {
    std::string record = RecordWriter().number("a", 7.5f).text("b", "word").str();
    EXPECT_EQ(nextField(record), "7.5");
    EXPECT_EQ(nextField(record), "word");
    EXPECT_EQ(record, "");
    std::string broken = "|NUM|a|1";
    float value = 99;
    readFloat(broken, value);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(broken, "");
    std::string text = "|NUM|a|abc|";
    readFloat(text, value);
    EXPECT_EQ(value, 0.0f);
}

TEST(SimpleFile, FindStopsAtNewlineOnlyWhenAsked) {
    ScratchDirectory dir;
    dir.write("data.txt", "first line\nKEY: 12\nKEY:12\n");
    TestWorld w;
    SimpleFile stopping("data.txt");
    EXPECT_EQ(stopping.find("KEY", true), -1);
    SimpleFile open("data.txt");
    EXPECT_EQ(open.find("KEY", false), 12);
    EXPECT_EQ(open.readString(), "12");
    // Successive finds give successive occurrences; exactly one character
    // after the colon is skipped.
    EXPECT_GT(open.find("KEY", false), 12);
    EXPECT_EQ(open.readString(), "2");
    EXPECT_EQ(open.find("KEY", false), -1);
}

TEST(SimpleFile, FindBackwardAndMissingThings) {
    ScratchDirectory dir;
    dir.write("data.txt", "A: 1\nB: 2\nA: 3\n");
    TestWorld w;
    SimpleFile file("data.txt");
    ASSERT_GT(file.find("B", false), 0);
    EXPECT_EQ(file.findBackward("A", false), 1);
    EXPECT_EQ(file.readString(), "1");
    ASSERT_GT(file.find("A: 3", false), 0);
    EXPECT_EQ(file.findBackward("B", true), -1);  // B is on an earlier line

    SimpleFile nothing("absent.txt");
    EXPECT_EQ(nothing.readString(), "");
    EXPECT_EQ(nothing.readNumber(), 0.0);
    const auto& messages = w.game.screen.messages();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[2], "ERROR: could not open absent.txt\n");
    EXPECT_EQ(messages[1], "currentFile not found!absent.txt\n");
    EXPECT_EQ(messages[0], "currentFile not found!absent.txt\n");

    SimpleFile noColon("data.txt");
    noColon.find("A: 3", false);
    noColon.readString();
    EXPECT_EQ(noColon.readString(), "");
    EXPECT_EQ(w.game.screen.messages()[0], "ERROR: could not read string stat from data.txt\n");

    SimpleFile copy(file);
    EXPECT_FALSE(copy.isOpen());
    EXPECT_NE(w.game.screen.messages()[0].find("you are screwed."), std::string::npos);
}

TEST(Spell, ReadsItsRecordFromTheFirstOccurrenceOfItsName) {
    ScratchDirectory dir;
    dir.write("spells/spells.txt",
              "SPELL_BEGIN\nName: Spark\nDescription: a spark\n Level: 1\nPower: 1.5\nMP Cost: 4\n"
              "Battle Only: no\nElement: Fire\nTarget: ENEMY\nScript: none\n"
              "SPELL_BEGIN\nName: Mend\nDescription: heals\n Level: 2\nPower: -2\nMP Cost: 6\n"
              "Battle Only: No\nElement: Light\nTarget: ALLY\nScript: None\n");
    TestWorld w;
    Spell spark("Spark");
    EXPECT_TRUE(spark.found);
    EXPECT_EQ(spark.description, "a spark");
    EXPECT_EQ(spark.level, 1.0f);
    EXPECT_EQ(spark.power, 1.5f);
    EXPECT_EQ(spark.mpCost, 4.0f);
    EXPECT_TRUE(spark.battleOnly);  // only the exact "No" is false
    EXPECT_EQ(spark.script, "none");
    EXPECT_EQ(spark.toRecord(),
              "|NUM|level|1||NUM|power|1.5||NUM|MPCost|4||NUM|battleOnly|1||STR|element|Fire|"
              "|STR|target|ENEMY||STR|script|none|");
    Spell mend("Mend");
    EXPECT_FALSE(mend.battleOnly);
    EXPECT_EQ(mend.target, "ALLY");
    Spell lost("Nowhere");
    EXPECT_FALSE(lost.found);
}

TEST(Record, ABarInATextCannotSplitTheRecord) {
    TestWorld w;
    Player& player = w.game.player;
    player.name = "Zed|NUM|lv|99";
    const std::string record = player.toRecord();
    EXPECT_EQ(countBars(record), 4 * 32);
    EXPECT_NE(record.find("|STR|name|Zed/NUM/lv/99|"), std::string::npos);
    EXPECT_EQ(recordProblem(record, kProtagonistRecord), "");
}

TEST(Record, OnlyRecordsWithSaneNumbersCanBeRead) {
    TestWorld w;
    Player& player = w.game.player;
    player.stats[Level] = 7;
    const std::string good = player.toRecord();
    EXPECT_EQ(recordProblem(good, kProtagonistRecord), "");
    EXPECT_NE(recordProblem(good, kMonsterRecord), "");  // the wrong number of fields
    EXPECT_NE(recordProblem("", kProtagonistRecord), "");
    EXPECT_NE(recordProblem(good.substr(1), kProtagonistRecord), "");

    // Field 9 is the level, counted by position as the reader counts.
    auto withField = [&](std::size_t index, const std::string& value) {
        std::string rest = good, rebuilt;
        for (std::size_t field = 0; field < 32; ++field) {
            const std::size_t afterValue = rest.find('|', rest.find('|', rest.find('|', 1) + 1) + 1);
            std::string piece = rest.substr(0, afterValue + 1);
            if (field == index) piece = piece.substr(0, piece.rfind('|', piece.size() - 2) + 1) + value + "|";
            rebuilt += piece;
            rest.erase(0, afterValue + 1);
        }
        return rebuilt;
    };
    for (const char* bad : {"nan", "-nan", "inf", "-infinity", "1e30", "-2e7", "0x1p100"})
        EXPECT_NE(recordProblem(withField(0, bad), kProtagonistRecord), "") << bad;
    for (const char* badLevel : {"-1", "-1e38", "1001", "1e9"})
        EXPECT_NE(recordProblem(withField(8, badLevel), kProtagonistRecord), "") << badLevel;
    for (const char* fine : {"9999999", "-9999999", "0.001", "abc", ""})
        EXPECT_EQ(recordProblem(withField(0, fine), kProtagonistRecord), "") << fine;
    EXPECT_EQ(recordProblem(withField(8, "1000"), kProtagonistRecord), "");
    // A monster's level sits fifth; its texts are not numbers at all.
    Monster monster;
    monster.name = "inf";
    monster.monsterType = "nan";
    EXPECT_EQ(recordProblem(monster.toRecord(), kMonsterRecord), "");
    monster.stats[Level] = -3;
    EXPECT_NE(recordProblem(monster.toRecord(), kMonsterRecord), "");
}

}  // namespace
}  // namespace orv
