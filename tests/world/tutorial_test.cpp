// The lessons on a lesson file written for each test: answering, repeating,
// skipping and going wrong; a missing file or step; the real screen under a
// step. (That each comes once a game is walked in the lessons scenario.)
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <map>

#include "core/paths.h"
#include "screens/character_sheet.h"
#include "screens/creator.h"
#include "support/test_root.h"
#include "support/test_world.h"
#include "world/tutorial.h"

namespace orv {
namespace {

using test::ScratchDirectory;
using test::TestWorld;

// Four steps: pictures, options, answers "look", "" and "go", and a last
// step that any line ends.
const char* const kLesson =
    "4\n"
    "_1\none.txt\n<1> First\n:\nlook\n:\nStep one is\n\nabout looking.\n:\n"
    "_2\ntwo.txt\n<2> Second\n:\n:\nStep two takes anything.\n:\n"
    "_3\n\n<3> Third\n:\ngo\n:\nStep three is nearly there.\n:\n"
    "_4\n\n:\n:\nThe end.\n:\n";

// An opener that says who it is when the lesson shows the real screen.
struct Opener : test::TestRoot {
    void Draw() override { game().screen.addArtLine("THE REAL SCREEN"); }
};

struct Lessons {
    ScratchDirectory dir;
    TestWorld world;
    Game& g = world.game;
    Opener opener;

    explicit Lessons(const std::string& lesson = kLesson) {
        if (!lesson.empty()) dir.write("tutorial/shop.txt", lesson);
        dir.write("art/tutorial/one.txt", "PICTURE ONE\n");
        dir.write("art/tutorial/two.txt", "PICTURE TWO\n");
    }
    Tutorial* open() {
        auto* tutorial = new Tutorial(&opener, HintShop);
        opener.setSubState(tutorial);
        return tutorial;
    }
    Tutorial* lesson() { return dynamic_cast<Tutorial*>(opener.current()); }
    // One pass of the main loop: the frame, then the line.
    std::string type(const std::string& line) {
        g.screen.clearFrame();
        opener.drawCurrent();
        g.screen.render();
        const std::string frame = world.console.frameText();
        opener.updateCurrent(line);
        return frame;
    }
    std::string frame() {
        g.screen.clearFrame();
        opener.drawCurrent();
        g.screen.render();
        return world.console.frameText();
    }
    std::string newestMessage() const { return g.screen.messages().empty() ? "" : g.screen.messages().front(); }
};

TEST(Tutorial, AnswersMoveOnRepeatsGoBackAndWrongLinesTryAgain) {
    Lessons t;
    t.open();
    std::string screen = t.type("look");  // the first explanation is told as the lesson opens
    EXPECT_NE(screen.find("PICTURE ONE"), std::string::npos);
    EXPECT_NE(screen.find("<0> Skip Tutorial"), std::string::npos);
    EXPECT_NE(screen.find("Step one is"), std::string::npos);
    EXPECT_NE(screen.find("about looking."), std::string::npos);  // a paragraph apart
    ASSERT_EQ(t.lesson()->step(), 2);

    // Step two takes any line at all.
    screen = t.type("whatever you like");
    EXPECT_NE(screen.find("PICTURE TWO"), std::string::npos);
    EXPECT_NE(screen.find("Step two takes anything."), std::string::npos);
    ASSERT_EQ(t.lesson()->step(), 3);

    // A wrong line shows the step again, without its explanation, and every
    // wrong line says so again.
    screen = t.type("stop");
    EXPECT_NE(screen.find("<3> Third"), std::string::npos);
    t.type("stop");
    screen = t.frame();
    EXPECT_EQ(t.lesson()->step(), 3);
    ASSERT_GE(t.g.screen.messages().size(), 2u);
    EXPECT_NE(t.g.screen.messages()[0].find("Let's try that again..."), std::string::npos);
    EXPECT_NE(t.g.screen.messages()[1].find("Let's try that again..."), std::string::npos);
    EXPECT_NE(screen.find("<3> Third"), std::string::npos);

    // "+" is judged as an answer first: from step three, which wants "go",
    // it goes back to step two in silence ...
    t.opener.updateCurrent("+");
    EXPECT_EQ(t.lesson()->step(), 2);
    screen = t.frame();
    EXPECT_NE(screen.find("PICTURE TWO"), std::string::npos);
    EXPECT_NE(t.newestMessage().find("Let's try that again..."), std::string::npos);
    // ... while from step two, which takes any line, step one is told again.
    t.opener.updateCurrent("+");
    EXPECT_EQ(t.lesson()->step(), 1);
    screen = t.frame();
    EXPECT_NE(screen.find("PICTURE ONE"), std::string::npos);
    EXPECT_NE(t.newestMessage().find("Step one is"), std::string::npos);
    // On step one it stays there.
    t.g.screen.clearMessages();
    t.opener.updateCurrent("+");
    EXPECT_EQ(t.lesson()->step(), 1);
    EXPECT_EQ(t.lesson()->expectedAnswer(), "look");
    t.frame();
    EXPECT_TRUE(t.g.screen.messages().empty());

    // The last step closes on any line.
    for (const char* line : {"look", "x", "go"}) t.opener.updateCurrent(line);
    ASSERT_EQ(t.lesson()->step(), 4);
    t.opener.updateCurrent("anything");
    EXPECT_EQ(t.opener.subState(), nullptr);
}

// The opener's messages from before the lesson (a dungeon's first room, a
// shop's welcome) are there again when it ends, however it ends.
TEST(Tutorial, ZeroClosesAtAnyStepAndHandsBackTheOpenersMessages) {
    const std::string longWelcome(100, 'w');  // wrapped once, and not again
    for (int step = 1; step <= 3; ++step) {
        Lessons t;
        t.g.screen.addMessage("Welcome to the shop.");
        t.g.screen.addMessage(longWelcome);
        const std::deque<std::string> before = t.g.screen.messages();
        t.open();
        for (int i = 1; i < step; ++i) t.type(i == 1 ? "look" : "go on");
        ASSERT_EQ(t.lesson()->step(), step);
        t.g.screen.addMessage("left by the lesson");
        t.type("0");
        EXPECT_EQ(t.opener.subState(), nullptr) << "step " << step;
        EXPECT_EQ(t.g.screen.messages(), before) << "step " << step;
    }
    Lessons missing("");
    missing.open();
    const std::string screen = missing.frame();
    EXPECT_NE(screen.find("Error Reading File!"), std::string::npos);
    EXPECT_NE(screen.find("<0> Skip Tutorial"), std::string::npos);
    missing.type("0");
    EXPECT_EQ(missing.opener.subState(), nullptr);

    // A step count no file could hold (the fuzzer's find) is no number to trust.
    for (const char* count : {"1e39\n", "-7\n", "nan\n"}) {
        Lessons absurd(count);
        absurd.open();
        absurd.type("0");
        EXPECT_EQ(absurd.opener.subState(), nullptr) << count;
    }
}

TEST(Tutorial, TheRealScreenShowsUnderAStepAndALastOneHandsItBack) {
    Lessons t("2\n_1\n~\n<9> Extra\n:\n:\nThis is the real screen.\n:\n_2\n~\n:\n:\nOver to you.\n:\n");
    t.g.screen.addMessage("The real screen's own news.");
    t.open();
    std::string screen = t.type("anything");
    EXPECT_NE(screen.find("THE REAL SCREEN"), std::string::npos);
    EXPECT_NE(screen.find("<9> Extra"), std::string::npos);
    EXPECT_EQ(screen.find("Skip Tutorial"), std::string::npos);
    // Step two tells its explanation over the real screen and closes itself.
    t.frame();
    EXPECT_EQ(t.opener.subState(), nullptr);
    EXPECT_NE(t.world.console.frameText().find("THE REAL SCREEN"), std::string::npos);
    EXPECT_EQ(t.newestMessage(), "The real screen's own news.\n");
}

TEST(Tutorial, AStepTheFileDoesNotHoldIsAnErrorNotAnEndlessSearch) {
    Lessons t("3\n_1\n\n:\n:\nOne.\n:\n_3\n\n:\n:\nThree.\n:\n");
    t.open();
    t.type("");
    const std::string screen = t.frame();  // step 2 has no marker
    EXPECT_NE(screen.find("Error Reading File!"), std::string::npos);
}

// A lesson line of ten megabytes (a mod gone wrong) is cut by the reader:
// the step shows, its explanation is told as far as the message area holds
// it, and the lesson goes on.
TEST(Tutorial, ATenMegabyteLineIsToldAsFarAsItFitsAndTheLessonGoesOn) {
    std::string huge;
    huge.reserve(10'000'000);
    while (huge.size() < 10'000'000) huge += "Listen well. ";
    Lessons t("2\n_1\none.txt\n<1> First\n:\nlook\n:\n" + huge + "\n:\n_2\ntwo.txt\n:\n:\nThe end.\n:\n");
    t.open();
    std::string screen = t.type("look");
    EXPECT_NE(screen.find("PICTURE ONE"), std::string::npos);
    EXPECT_EQ(t.world.console.rowText(25).rfind("Listen well.", 0), 0u) << screen;
    ASSERT_EQ(t.lesson()->step(), 2);
    screen = t.frame();
    EXPECT_NE(screen.find("PICTURE TWO"), std::string::npos);
    EXPECT_NE(screen.find("The end."), std::string::npos);
}

// A lesson of the game's own followed through with the answers it asks for:
// the picture of each step (as plain text) and the answer that left it.
struct Step {
    std::vector<std::string> picture;
    std::string answer;
};

std::string plain(const std::string& line) {
    std::string text;
    for (const char c : line)
        if (static_cast<unsigned char>(c) >= 32 && c != '\n') text += c;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::vector<Step> followedThrough(TestWorld& world, int lesson) {
    Opener opener;
    auto* tutorial = new Tutorial(&opener, lesson);
    opener.setSubState(tutorial);
    std::vector<Step> steps;
    for (int guard = 0; guard < 20 && opener.current() == tutorial; ++guard) {
        world.game.screen.clearFrame();
        opener.drawCurrent();
        if (opener.current() != tutorial) break;  // a last step on the real screen
        Step step{{}, tutorial->expectedAnswer()};
        for (const std::string& line : world.game.screen.artLines()) step.picture.push_back(plain(line));
        steps.push_back(step);
        opener.updateCurrent(step.answer);
    }
    return steps;
}

std::string valueAfter(const std::vector<std::string>& picture, const std::string& label) {
    for (const std::string& line : picture)
        if (const auto at = line.find(label); at != std::string::npos) return line.substr(at + label.size());
    return "";
}

// A class sheet in the creation lesson is the one creation draws for that
// class, number for number.
TEST(Tutorial, TheCreationLessonsClassSheetsAreTheGamesOwn) {
    test::InGameData data;
    TestWorld world;
    int sheets = 0;
    for (const Step& step : followedThrough(world, HintIntro)) {
        const std::string className = valueAfter(step.picture, "||  Type: ");
        if (className.empty()) continue;
        const bool sidekick =
            std::any_of(step.picture.begin(), step.picture.end(),
                        [](const std::string& shown) { return shown.find("SIDEKICK") != std::string::npos; });
        Protagonist& who = sidekick ? static_cast<Protagonist&>(world.game.sidekick) : world.game.player;
        who.name = valueAfter(step.picture, "||  Name: ");
        ASSERT_TRUE(applyClass(who, className, !sidekick)) << className;
        std::vector<std::string> expected;
        for (const std::string& line : characterSheet(who, {"CREATE", "YOUR", sidekick ? "SIDEKICK" : "CHARACTER"}))
            expected.push_back(plain(line));
        ASSERT_GE(step.picture.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(step.picture[i], expected[i]) << className;
        ++sheets;
    }
    EXPECT_GE(sheets, 1);
}

// The dungeon lesson's rooms are rooms of the first mine, described in its
// own words, and a closer look stays in the same room.
TEST(Tutorial, TheDungeonLessonsRoomsAreTheFirstMinesOwn) {
    test::InGameData data;
    TestWorld world;
    std::map<std::string, std::vector<std::string>> descriptions;
    std::ifstream mine = openDataFile("dungeons\\Empyreon VI.txt", std::ios::in);
    std::string line, room;
    while (std::getline(mine, line)) {
        if (line.rfind("NAME:", 0) == 0) room = line.substr(5);
        else if (line.rfind("DESC", 0) == 0) descriptions[room].push_back(line.substr(line.find(':') + 1));
    }
    ASSERT_FALSE(descriptions.empty());
    std::string lastRoom;
    std::size_t lastDescription = 0;
    std::string lastAnswer;
    int rooms = 0;
    for (const Step& step : followedThrough(world, HintDungeon)) {
        for (const std::string& shown : step.picture) {
            const auto colon = shown.find(": ");
            if (shown.rfind("  ", 0) != 0 || colon == std::string::npos) continue;
            const std::string name = shown.substr(2, colon - 2);
            if (name.find("You ") == 0 || name.find('|') != std::string::npos) continue;
            ASSERT_TRUE(descriptions.count(name)) << "no room of the mine is called " << name;
            const std::string words = shown.substr(colon + 2);
            const auto& told = descriptions[name];
            const auto which = std::find_if(told.begin(), told.end(),
                                            [&](const std::string& d) { return d.rfind(words, 0) == 0; });
            ASSERT_NE(which, told.end()) << name << " is never described as: " << words;
            if (lastAnswer == "7") {
                EXPECT_EQ(name, lastRoom) << "a closer look went to another room";
                EXPECT_EQ(std::size_t(which - told.begin()), lastDescription + 1) << name;
            }
            lastRoom = name;
            lastDescription = std::size_t(which - told.begin());
            ++rooms;
        }
        lastAnswer = step.answer;
    }
    EXPECT_GE(rooms, 3);
}

}  // namespace
}  // namespace orv
