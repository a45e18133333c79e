// The content check on broken and hostile copies of the game's content: each
// break that would crash, overflow or stall the game is named by file and
// line and fails the run, and nothing a file holds stops the check itself.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "check/data_checker.h"
#include "core/dice.h"
#include "items/item.h"
#include "support/test_world.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// A copy of the game's own content that a test may break.
class ContentCopy {
public:
    // Sound is no part of the check; leaving it out keeps each copy cheap.
    ContentCopy() {
        fs::create_directories(data());
        for (const fs::directory_entry& entry : fs::directory_iterator(ORVANTIS_TEST_DATA)) {
            const std::string name = entry.path().filename().string();
            if (name != "music" && name != "effects")
                fs::copy(entry.path(), data() / name, fs::copy_options::recursive);
        }
    }

    fs::path data() const { return dir_.path() / "data"; }

    std::vector<std::string> lines(const std::string& file) const {
        std::ifstream in(data() / file, std::ios::binary);
        std::vector<std::string> result;
        std::string line;
        while (std::getline(in, line)) result.push_back(line);
        return result;
    }
    void write(const std::string& file, const std::string& text) const {
        fs::create_directories((data() / file).parent_path());
        std::ofstream(data() / file, std::ios::binary | std::ios::trunc) << text;
    }
    void writeLines(const std::string& file, const std::vector<std::string>& lines) const {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        write(file, text);
    }
    // The number of the nth line (1-based) that starts with `start`; 0 if none.
    int lineStarting(const std::string& file, const std::string& start, int nth = 1) const {
        const auto all = lines(file);
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].rfind(start, 0) == 0 && --nth == 0) return int(i + 1);
        return 0;
    }
    // Replaces the whole line; an empty replacement removes it.
    void replaceLine(const std::string& file, int number, const std::optional<std::string>& text) const {
        auto all = lines(file);
        if (text) all[number - 1] = *text;
        else all.erase(all.begin() + number - 1);
        writeLines(file, all);
    }

    std::vector<DataProblem> check() const { return DataChecker(data()).run(); }

    // Puts a file back as the game has it.
    void restore(const std::string& file) const {
        std::error_code error;
        fs::remove_all(data() / file, error);
        fs::copy(fs::path(ORVANTIS_TEST_DATA) / file, data() / file);
    }

private:
    test::ScratchDirectory dir_;
};

std::string describe(const std::vector<DataProblem>& problems) {
    std::ostringstream out;
    DataChecker::report(problems, out);
    return out.str();
}

bool mentions(const std::vector<DataProblem>& problems, const std::string& file, int line, const std::string& words) {
    for (const DataProblem& p : problems)
        if (p.file == file && p.line == line && p.message.find(words) != std::string::npos) return true;
    return false;
}

// One break: the file, the line that starts with `start` (its nth), what
// the line becomes (nothing: the line goes), and the words the report holds.
struct Break {
    std::string file;
    std::string start;
    int nth;
    std::optional<std::string> becomes;
    std::string words;
    int reportedLineShift = 0;  // where the report lands, relative to the broken line
};

void expectReported(const ContentCopy& content, const Break& b) {
    SCOPED_TRACE(b.file + ": \"" + b.start + "\" -> \"" + b.becomes.value_or("(removed)") + "\"");
    const int line = content.lineStarting(b.file, b.start, b.nth);
    ASSERT_GT(line, 0) << "the content no longer has the line this break needs";
    content.replaceLine(b.file, line, b.becomes);
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, b.file, line + b.reportedLineShift, b.words)) << describe(problems);
    std::ostringstream out;
    EXPECT_EQ(DataChecker::report(problems, out), 1);
    content.restore(b.file);
}

TEST(BrokenContent, NumbersThatOverflowOrTurnTheArithmeticAroundAreNamed) {
    ContentCopy content;
    const std::string guelf = "monsters/Guelf.txt";
    for (const Break& b : std::vector<Break>{
             {"items/swords.txt", "Level:", 3, "Level: 1e20", "level \"1e20\" is outside 0 to 1000"},
             {"items/boots.txt", "Level:", 2, "Level: -4", "level \"-4\" is outside 0 to 1000"},
             // The last sword, so the level order still holds: 400 x 400 x 75 is beyond any price.
             {"items/swords.txt", "Level: 110", 1, "Level: 400", "prices the item at 12000000"},
             {"items/shields.txt", "MidDef:", 1, "MidDef: 3e38", "bonus \"3e38\" is outside"},
             {guelf, "Attack:", 1, "Attack: -6", "attack \"-6\" is outside 0 to 10000"},
             {guelf, "Speed:", 2, "Speed: nan", "speed \"nan\" is not a finite number"},
             {guelf, "HighDef:", 1, "HighDef: inf", "high defence \"inf\" is not a finite number"},
             {guelf, "Magic:", 1, "Magic: 1e30", "magic \"1e30\" is outside"},
             {guelf, "Fire:", 1, "Fire: 99999", "fire resistance \"99999\" is outside -1000 to 1000"},
             {"monsters/Bosses.txt", "LowDef:", 1, "LowDef: lots", "low defence \"lots\" is not a number"},
             {"spells/spells.txt", "MP Cost:", 1, "MP Cost: -20", "MP cost \"-20\" is outside 0 to 10000"},
             {"spells/spells.txt", " Level:", 2, " Level: 0", "level \"0\" is outside 1 to 100"},
             {"spells/spells.txt", "Power:", 1, "Power: NAN", "power \"NAN\" is not a finite number"},
             {"quests/Empyreon VI.txt", "QUEST_ROOM_GET_MONEY:", 1, "QUEST_ROOM_GET_MONEY:99999999999",
              "QUEST_ROOM_GET_MONEY \"99999999999\" is outside 0 to 1000000"},
             {"quests/Empyreon VI.txt", "QUEST_ROOM_GET_EXP:", 1, "QUEST_ROOM_GET_EXP:lots",
              "is not a number: the reward would be 0"},
         })
        expectReported(content, b);
}

// A battle shows "<1> Atk " + a part's name in a 24-cell column of the
// option grid; a name that fills the column runs into the next option.
TEST(BrokenContent, BattleOptionsThatRunIntoTheNextColumnAreNamed) {
    ContentCopy content;
    for (const Break& b : std::vector<Break>{
             {"monsters/All Planets.txt", "Upper:", 1, "Upper: gap-toothed grin",
              "the battle option \"<1> Atk gap-toothed grin\" is 24 characters wide"},
             {"monsters/Guelf.txt", "Middle:", 2, "Middle: \x1d" "company overalls",
              "\"<2> Atk \\x1dcompany overalls\" is 24"},
             {"monsters/Bosses.txt", "Lower:", 1, "Lower: smouldering hooves", "<3> Atk smouldering hooves"},
         })
        expectReported(content, b);
    // Fifteen letters leave the blank that keeps the columns apart.
    const std::string file = "monsters/All Planets.txt";
    const int line = content.lineStarting(file, "Upper:");
    content.replaceLine(file, line, "Upper: crooked-grinned");
    EXPECT_FALSE(mentions(content.check(), file, line, "battle option"));
}

TEST(BrokenContent, QuestNumbersStatesAndBlocksTheReadersCannotFollowAreNamed) {
    ContentCopy content;
    const std::string quest = "quests/Empyreon VI.txt";
    for (const Break& b : std::vector<Break>{
             {quest, "BEGIN_QUEST:1", 1, "BEGIN_QUEST:12", "quest number \"12\" is read as quest 1"},
             {quest, "BEGIN_QUEST:1", 1, "BEGIN_QUEST:a", "never starts"},
             {quest, "BEGIN_QUEST:2", 1, "BEGIN_QUEST:0", "quests are numbered 1 to 9"},
             {quest, "BEGIN_STATE:1", 1, "BEGIN_STATE:0", "state 0 is never current"},
             {quest, "BEGIN_STATE:2", 1, "BEGIN_STATE:10", "state \"10\" is read as state 1"},
             {quest, "BEGIN_STATE:2", 1, "BEGIN_STATE:x", "is not a digit 1 to 9"},
             // A state's opening line gone: its lines belong to no state, and the quest has no state 1.
             {quest, "BEGIN_STATE:1", 1, std::nullopt, "its BEGIN_STATE is missing"},
             {quest, "BEGIN_STATE:1", 1, std::nullopt, "quest 1 has no state 1: it never starts", -1},
             // Its closing line gone: the next state begins inside it.
             {quest, "END_STATE", 1, std::nullopt, "state 1 of quest 1 has no END_STATE", -13},
             {quest, "END_QUEST_ROOM", 1, std::nullopt, "the scene has no END_QUEST_ROOM", -6},
             {quest, "BEGIN_QUEST_ROOM:2", 1, "BEGIN_QUEST_ROOM:3", "the scene is numbered \"3\" inside state 2"},
             {quest, "BEGIN_STATE:3", 1, "BEGIN_STATE:4", "has no state 3: it stops after state 2", -43},
         })
        expectReported(content, b);
}

TEST(BrokenContent, TheOpeningStoryNeedsEveryFrameAndItsPictureOnScreen) {
    ContentCopy content;
    for (const std::string file : {"art/animations/40.txt", "art/animations/80.txt", "art/introstatic.txt"}) {
        fs::remove(content.data() / file);
        const auto problems = content.check();
        EXPECT_TRUE(mentions(problems, file, 0, "missing")) << describe(problems);
        EXPECT_TRUE(mentions(problems, file, 0, "opening story")) << describe(problems);
        content.restore(file);
    }
    // The frames the animation skips over are not needed.
    fs::remove(content.data() / "art/animations/60.txt");
    EXPECT_TRUE(content.check().empty()) << describe(content.check());
    auto frame = content.lines("art/animations/30.txt");
    frame.insert(frame.begin() + 2, std::string(90, '*'));
    content.writeLines("art/animations/30.txt", frame);
    auto picture = content.lines("art/introstatic.txt");
    picture.resize(30, "  .  *  .");
    content.writeLines("art/introstatic.txt", picture);
    auto last = content.lines("art/animations/102.txt");
    last.insert(last.begin() + 1, "");
    last.insert(last.begin() + 1, std::string(150, '#'));
    content.writeLines("art/animations/102.txt", last);
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "art/animations/30.txt", 3, "wider than 80 columns")) << describe(problems);
    EXPECT_TRUE(mentions(problems, "art/introstatic.txt", 25, "only the first 24 lines")) << describe(problems);
    EXPECT_TRUE(mentions(problems, "art/animations/102.txt", 2, "cut at 119 and ends the picture"))
        << describe(problems);
}

TEST(BrokenContent, QuestStructureKeepsTheStoryGoing) {
    ContentCopy content;
    // A quest file written only for these rules: the rooms and places of the
    // real one are not what is checked here.
    content.write("quests/Zivar.txt",
                  "BEGIN_QUEST:1\n"                                                  // 1
                  "BEGIN_STATE:1\nLOCATION_NAME:town\nEND_STATE:\n"                  // 2-4
                  "BEGIN_STATE:2\nTOWN_QUEST_LOG_TEXT:waiting\nEND_STATE:\n"         // 5-7: no place
                  "BEGIN_STATE:3\nLOCATION_NAME:town\nEND_STATE:\n"                  // 8-10
                  "BEGIN_STATE:4\nTOWN_QUEST_LOG_TEXT:all done\nEND_STATE:\n"        // 11-13: the closing entry
                  "END_QUEST:\n"                                                     // 14
                  "BEGIN_QUEST:1\nBEGIN_STATE:1\nLOCATION_NAME:town\nEND_STATE:\n"   // 15-18: quest 1 again
                  "BEGIN_STATE:1\nLOCATION_NAME:town\nEND_STATE:\nEND_QUEST:\n"      // 19-22: state 1 again
                  "END_STATE:\n"                                                     // 23
                  "stray words\n"                                                    // 24
                  "BEGIN_QUEST:3\nBEGIN_STATE:1\nLOCATION_NAME:town\n"               // 25-27
                  "BEGIN_QUEST_ROOM:1\nQUEST_ROOM_MAP:x.txt\n");                     // 28-29, never closed
    const auto problems = content.check();
    const std::string file = "quests/Zivar.txt";
    EXPECT_TRUE(mentions(problems, file, 5, "state 2 of quest 1 has no LOCATION_NAME")) << describe(problems);
    EXPECT_FALSE(mentions(problems, file, 11, "LOCATION_NAME"));
    EXPECT_TRUE(mentions(problems, file, 15, "quest 1 is begun again (first at line 1)"));
    EXPECT_TRUE(mentions(problems, file, 19, "state 1 of quest 1 is written twice (first at line 16)"));
    EXPECT_TRUE(mentions(problems, file, 23, "END_STATE without a BEGIN_STATE"));
    EXPECT_TRUE(mentions(problems, file, 24, "belongs to no quest and no room"));
    EXPECT_TRUE(mentions(problems, file, 25, "quest 3 has no END_QUEST before the end of the file"));
    EXPECT_TRUE(mentions(problems, file, 26, "state 1 of quest 3 has no END_STATE before the end of the file"));
    EXPECT_TRUE(mentions(problems, file, 28, "the scene has no END_QUEST_ROOM before the end of the file"));
}

TEST(BrokenContent, MissionFilesKeepTheMissionReadersRules) {
    ContentCopy content;
    // The title's mission, written only for these rules.
    std::string mission =
        "LEVEL_BEGIN:1\n"                                                  // 1
        "WAVE_BEGIN:1\n"                                                   // 2: never examined
        "WAVE_BEGIN:1\n"                                                   // 3: no wait, 100 ships
        "WAVE_TEXT:say END_AI: twice\n"                                    // 4
        "WAVE_PORTRAIT:portraits/nobody\n"                                 // 5
        "GROUP_BEGIN:\nGROUP_SHIP_NUMBER:60\nGROUP_END:\n"                 // 6-8
        "START_AI:\nEND_AI:\nEND_AI_SET:\n"                                // 9-11
        "GROUP_BEGIN:\nGROUP_SHIP_NUMBER:40\nGROUP_END:\n";                // 12-14
    for (int step = 0; step < 10; ++step) mission += "START_AI:\nEND_AI:\n";  // 15-34: the tenth at 33
    mission +=
        "END_AI_SET:\nWAVE_END:\n"                                         // 35-36
        "# a note that says WAVE_END: aloud\n"                             // 37
        "WAVE_BEGIN:3\nWAVE_WAIT_AFTER:10\nWAVE_END:\n"                    // 38-40: no wave 2
        "END_ALL_WAVES:\n"                                                 // 41
        "BOSS_BEGIN:\nREAD_BOSS_STATS:\nBOSS_HEALTH:500\n"                 // 42-44
        "BEGIN_FIRING_LOCATIONS:\nFIRING_X:0\n"                            // 45-46: 46 is skipped
        "FIRING_Y:1\nFIRING_X:0\nFIRING_Y:3\nEND_FIRING_LOCATIONS:\n"      // 47-50: two points
        "BEGIN_AI_SET:\nAI_AFTER_TIMER:0\nAI_FIRING_LOCATION:2\n"          // 51-53
        "AI_BTYPE:13\nEND_AI:\nEND_AI_SET:\nBOSS_END:\n";                  // 54-57
    content.write("quorix/level_1.txt", mission);
    // Quests that open a mission with no file, and no mission at all.
    const std::string quest = "quests/Empyreon VI.txt";
    const int opener = content.lineStarting(quest, "QUEST_ITEM_QUORIX:");
    ASSERT_GT(opener, 0);
    auto questLines = content.lines(quest);
    questLines.insert(questLines.begin() + opener, {"QUEST_ROOM_QUORIX_LEVEL:9", "QUEST_ROOM_QUORIX_LEVEL:two"});
    content.writeLines(quest, questLines);
    fs::remove(content.data() / "art/quorix/game_over.txt");

    const auto problems = content.check();
    const std::string file = "quorix/level_1.txt";
    for (const auto& [line, words] : std::vector<std::pair<int, std::string>>{
             {2, "the line after LEVEL_BEGIN: is never read"},
             {3, "wave 1 has no WAVE_WAIT_AFTER"},
             {3, "spawns 100 ships"},
             {4, "holds both \"WAVE_TEXT:\" and \"END_AI:\""},
             {5, "portrait \"portraits/nobody\" lacks 1.txt 2.txt blink.txt"},
             {33, "a tenth flight step"},
             {37, "this note holds the key text \"WAVE_END:\""},
             {38, "there is no wave 2"},
             {46, "the line after BEGIN_FIRING_LOCATIONS: is skipped"},
             {53, "firing point 2 does not exist: the boss has 2"},
             {54, "bullet type 13"},
             {42, "no boss step lasts a frame"},
         })
        EXPECT_TRUE(mentions(problems, file, line, words)) << line << ": " << words << "\n" << describe(problems);
    EXPECT_TRUE(mentions(problems, "quorix/level_9.txt", 0,
                         ": mission 9, opened by quests/Empyreon VI.txt line " +
                             std::to_string(opener + 1)))
        << describe(problems);
    EXPECT_TRUE(mentions(problems, quest, opener + 2, "mission \"two\" is not a mission number"));
    EXPECT_TRUE(mentions(problems, "art/quorix/game_over.txt", 0, "missing"));
    // The game's own missions keep every rule.
    for (const std::string& broken : std::vector<std::string>{"quorix/level_1.txt", quest, "art/quorix/game_over.txt"})
        content.restore(broken);
    EXPECT_TRUE(content.check().empty()) << describe(content.check());
}

TEST(BrokenContent, HostileFilesNeverStopTheCheck) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
    const std::string hugeLine = std::string(2'000'000, 'x') + ":" + std::string(100, '_') + "\n";
    const std::vector<std::string> files = {
        "planets/Planet List.txt", "spells/spells.txt", "items/swords.txt", "items/prefix.txt",
        "items/suffix.txt",        "monsters/Guelf.txt", "monsters/Bosses.txt", "quests/Guelf.txt",
        "towns/towns.txt",         "art/splash.txt",    "art/animations/24.txt", "scripts/enemy_ai.lua",
        "dungeons/Guelf.txt",      "quorix/level_1.txt"};
    ContentCopy content;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        for (const std::string& text : {binary, hugeLine}) {
            content.write(file, text);
            std::ostringstream out;
            EXPECT_EQ(DataChecker::report(content.check(), out), 1);
            // What the report quotes never reaches the terminal as raw bytes.
            for (const char c : out.str()) {
                const auto byte = static_cast<unsigned char>(c);
                ASSERT_TRUE(c == '\n' || (byte >= 32 && byte < 127)) << "raw byte " << int(byte) << " in the report";
            }
        }
        content.write(file, std::string("\0\0\0:\0_\nName: \0\n", 15));
        EXPECT_NO_THROW(content.check());
        // A directory where the file should be.
        fs::remove(content.data() / file);
        fs::create_directories(content.data() / file);
        const auto problems = content.check();
        EXPECT_TRUE(mentions(problems, file, 0, "is not a file")) << describe(problems);
        content.restore(file);
    }
    EXPECT_TRUE(content.check().empty()) << "the copy is whole again";
    // Whole folders gone, or a file where a folder should be.
    for (const char* folder : {"items", "monsters", "art", "spells", "scripts"}) fs::remove_all(content.data() / folder);
    fs::remove_all(content.data() / "quests");
    content.write("quests", "not a folder");
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "items/boots.txt", 0, "missing"));
    EXPECT_TRUE(mentions(problems, "art/introstatic.txt", 0, "missing"));
    EXPECT_TRUE(mentions(problems, "quests/Guelf.txt", 0, "missing")) << describe(problems);
}

TEST(BrokenContent, RunawayScriptsAndUnnameablePlanetsAreReportedByTheCommandItself) {
    ContentCopy content;
    content.write("scripts/enemy_ai.lua", "function MonsterAI() end\nwhile true do end\n");
    // Checking a script runs its top level; it must not reach the machine.
    const fs::path victim = content.data() / "victim.txt";
    content.write("victim.txt", "still here");
    content.write("scripts/spell_cast.lua",
                  "os.remove([[" + victim.string() + "]])\nfunction SpellCast() end\nos.exit(0)\n");
    auto planets = content.lines("planets/Planet List.txt");
    planets.back() = "Last Chance Depot," + std::string(300, 'X');
    planets.push_back("Ring,Guelf/../../elsewhere");
    content.writeLines("planets/Planet List.txt", planets);

    const fs::path output = content.data().parent_path() / "report.txt";
    const std::string command = std::string("'") + ORVANTIS_BINARY + "' --check-data --data '" +
                                content.data().string() + "' > '" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "the check died";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(output);
    const std::string report(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(report.find("planets/Planet List.txt:11: planet name: a name of 300 bytes is too long"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("planets/Planet List.txt:12: planet name: a name with a slash"), std::string::npos);
    EXPECT_NE(report.find("scripts/enemy_ai.lua: does not load"), std::string::npos);
    EXPECT_NE(report.find("still running after"), std::string::npos) << report;
    EXPECT_NE(report.find("scripts/spell_cast.lua: does not load"), std::string::npos) << report;
    EXPECT_TRUE(fs::exists(victim));
}

// Found by fuzzing the item files: a base record whose level is beyond an
// int (the check above names such a level) made the item reader convert it
// to an int when it rolled a prefix or suffix, which is undefined; the
// sanitizers catch any return of it.
TEST(BrokenContent, LessonsTheReaderWouldLoseItsWayInAreNamed) {
    ContentCopy content;
    const std::string shop = "tutorial/shop.txt";
    for (const Break& b : std::vector<Break>{
             {shop, "6", 1, "7", "the file says 7 steps but holds 6"},
             {shop, "_3", 1, "_4", "step 3's marker \"_3\" expected here"},
             // The answer's closing line gone: the explanation runs into the next step.
             {shop, ":", 2, "1", "step 1's explanation must be closed by a line starting with \":\"", 3},
             {shop, "Your first shop!", 1, "Look at the item_list.", "\"_\" is kept for step markers"},
             {shop, "3", 1, "Three", "\"Three\" can never be given"},
             {shop, "3", 1, "+", "the answer \"+\" skips or repeats the lesson"},
         })
        expectReported(content, b);
    content.replaceLine(shop, content.lineStarting(shop, "~"), "no-such-picture.txt");
    fs::remove(content.data() / "tutorial/battle.txt");
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "art/tutorial/no-such-picture.txt", 0, "the picture of step 1")) << describe(problems);
    EXPECT_TRUE(mentions(problems, "tutorial/battle.txt", 0, "missing"));
}

TEST(BrokenContent, TheSidekickNeedsItsFacesAndALineForEveryPlanet) {
    ContentCopy content;
    content.write("art/sidekick/sad.txt", " (  ) \n");
    content.write("sidekick/Guelf.txt", "One thing.\n\nAnother thing.\n");
    content.write("sidekick/Zivar.txt", std::string(300, 'a') + "\n");
    fs::remove(content.data() / "sidekick/Aleph.txt");
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, "art/sidekick/sad.txt", 0, "a face has three lines")) << describe(problems);
    EXPECT_TRUE(mentions(problems, "sidekick/Guelf.txt", 2, "an empty line gives the sidekick nothing to say"));
    EXPECT_TRUE(mentions(problems, "sidekick/Zivar.txt", 1, "over 299 characters"));
    EXPECT_TRUE(mentions(problems, "sidekick/Aleph.txt", 0, "missing"));
    EXPECT_EQ(problems.size(), 4u) << describe(problems);
}

TEST(BrokenContent, ItemReaderTakesAHugeRecordLevelSafely) {
    test::TestWorld world;
    test::ScratchDirectory dir;
    dir.write("items/swords.txt", "_Name: Stick\nLevel: 1e23\nDescription: a stick\nAttack: 2\n");
    dir.write("items/prefix.txt", "_Name: Sooty\nLevel: 1\nElement: fire\n");
    dir.write("items/suffix.txt", "_Name: of Might\nLevel: 1\nKind: Attack\n");
    EXPECT_TRUE(mentions(DataChecker(dir.path()).run(), "items/swords.txt", 2, "level \"1e23\" is outside"));
    for (unsigned seed = 1; seed <= 8; ++seed) {
        seedDice(seed);
        const auto item = Item::random(5, TypeSword);
        EXPECT_EQ(item->name.rfind("Stick", 0) == std::string::npos, item->hasPrefix);
    }
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(BrokenContent, NamesThatLeadOutsideTheGameFolderAreNamed) {
    ContentCopy content;
    const std::string shop = "tutorial/shop.txt", level = "quorix/level_1.txt", towns = "towns/towns.txt";
    const std::string quest = "quests/Empyreon VI.txt";
    const int picture = content.lineStarting(shop, "~"), portrait = content.lineStarting(level, "WAVE_PORTRAIT:");
    const int map = content.lineStarting(towns, "MAP:"), scene = content.lineStarting(quest, "QUEST_ROOM_MAP:");
    ASSERT_TRUE(picture && portrait && map && scene);
    content.replaceLine(shop, picture, "../../../../../etc/passwd");
    content.replaceLine(level, portrait, "WAVE_PORTRAIT:../../outside/portrait");
    content.replaceLine(towns, map, "MAP:..\\..\\..\\secret.txt");
    content.replaceLine(quest, scene, "QUEST_ROOM_MAP:../../arrival.txt");
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, shop, picture, "\"../../../../../etc/passwd\" climbs out")) << describe(problems);
    EXPECT_TRUE(mentions(problems, level, portrait, "\"../../outside/portrait\" climbs out"));
    EXPECT_TRUE(mentions(problems, towns, map, "climbs out of the game's folder"));
    EXPECT_TRUE(mentions(problems, quest, scene, "climbs out of the game's folder"));
    // The check itself reads nothing out there either.
    EXPECT_TRUE(mentions(problems, "art/tutorial/../../../../../etc/passwd", 0, "never read"));
    for (const DataProblem& p : problems) EXPECT_EQ(p.message.find("root:"), std::string::npos) << p.message;
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// A lesson text no message could show whole: a line longer than the reader
// keeps, and an explanation of shorter lines taller than the message area.
TEST(BrokenContent, LessonTextsNoMessageCouldShowAreNamed) {
    ContentCopy content;
    const std::string shop = "tutorial/shop.txt";
    const int first = content.lineStarting(shop, "Your first shop!");
    const int second = content.lineStarting(shop, "The shop wants to know");
    ASSERT_TRUE(first && second && second > first);
    std::string paragraph;
    while (paragraph.size() < 1000) paragraph += "A shelf of things. ";
    content.replaceLine(shop, second, paragraph + "\n" + paragraph);
    std::string huge;
    while (huge.size() < 10'000'000) huge += "Buy it now. ";
    content.replaceLine(shop, first, huge);
    const auto problems = content.check();
    EXPECT_TRUE(mentions(problems, shop, first, "a line over 4095 characters is cut there")) << describe(problems);
    EXPECT_TRUE(mentions(problems, shop, first, "step 1's explanation takes"));
    EXPECT_TRUE(mentions(problems, shop, second, "step 2's explanation takes 28 of the 20 rows"));
    EXPECT_EQ(problems.size(), 3u) << describe(problems);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// The rules the story itself relies on, broken one at a time in the first
// destination's quest file: each is named where a writer would mend it.
TEST(BrokenContent, AStoryThatWouldStopOrShowAnInvalidSceneIsNamed) {
    ContentCopy content;
    const std::string file = "quests/Empyreon VI.txt";
    ASSERT_TRUE(content.check().empty()) << describe(content.check());
    for (const Break& b : std::vector<Break>{
             {file, "QUEST_ROOM_ENABLE_PLANET:", 1, "QUEST_ROOM_ENABLE_PLANET:Empyreon 8", "no destination"},
             {file, "QUEST_ROOM_MAP:", 1, "QUEST_ROOM_MAP:", "empty picture"},
             {file, "TOWN_QUEST_LOG_TEXT:", 1, "TOWN_QUEST_LOG_TEXT:Find some work at once", "longer than 14"},
             {file, "QUEST_ITEM_MENU_OPTION:", 3, "QUEST_ITEM_MENU_OPTION:Ask the foreman about any work going",
              "longer than 28"},
             // Quest 2 begins in the common area; sent to the Claim Office
             // it would meet quest 1 there.
             {file, "LOCATION_NAME:common area", 1, "LOCATION_NAME:Claim Office", "place of quest 1 too"},
         })
        expectReported(content, b);

    // A picture that is not there is named at the picture's own path.
    content.replaceLine(file, content.lineStarting(file, "QUEST_ROOM_MAP:"), "QUEST_ROOM_MAP:lost.txt");
    EXPECT_TRUE(mentions(content.check(), "art/quests/Empyreon VI/lost.txt", 0, "the scene's picture"));
    content.restore(file);

    // The main quest's resting state with a place, and without the town keys.
    const int resting = content.lineStarting(file, "BEGIN_STATE:6");
    content.replaceLine(file, resting + 3, "LOCATION_NAME:Claim Office");
    auto problems = content.check();
    EXPECT_TRUE(mentions(problems, file, resting, "nothing is left to rest in")) << describe(problems);
    EXPECT_TRUE(mentions(problems, file, resting, "does not say whether the town offers the dungeon"));
    content.restore(file);

    // A scene taken out of a written destination leaves its state unplayable.
    const int begin = content.lineStarting(file, "BEGIN_QUEST_ROOM:4");
    const int state = content.lineStarting(file, "BEGIN_STATE:4");
    auto lines = content.lines(file);
    const auto end = std::find(lines.begin() + begin, lines.end(), "END_QUEST_ROOM");
    lines.erase(lines.begin() + begin - 1, end + 1);
    content.writeLines(file, lines);
    problems = content.check();
    EXPECT_TRUE(mentions(problems, file, state, "has no scene")) << describe(problems);
}

}  // namespace
}  // namespace orv
