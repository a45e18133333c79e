// The lessons on a lesson file written for each test: answering, repeating,
// skipping and going wrong; a missing file or step; the real screen under a
// step. (That each comes once a game is walked in the lessons scenario.)
#include <gtest/gtest.h>

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

    // A wrong line shows the step again, without its explanation.
    screen = t.type("stop");
    EXPECT_NE(screen.find("<3> Third"), std::string::npos);
    screen = t.frame();
    EXPECT_EQ(t.lesson()->step(), 3);
    EXPECT_NE(t.newestMessage().find("Let's try that again..."), std::string::npos);
    EXPECT_NE(screen.find("<3> Third"), std::string::npos);

    // "+" on step three goes back to step two, and tells it again.
    t.opener.updateCurrent("+");
    EXPECT_EQ(t.lesson()->step(), 2);
    screen = t.frame();
    EXPECT_NE(screen.find("PICTURE TWO"), std::string::npos);
    EXPECT_NE(t.newestMessage().find("Step two takes anything."), std::string::npos);

    // "+" on step one stays there.
    t.opener.updateCurrent("+");
    t.opener.updateCurrent("+");
    EXPECT_EQ(t.lesson()->step(), 1);
    EXPECT_EQ(t.lesson()->expectedAnswer(), "look");

    // The last step closes on any line.
    for (const char* line : {"look", "x", "go"}) t.opener.updateCurrent(line);
    ASSERT_EQ(t.lesson()->step(), 4);
    t.opener.updateCurrent("anything");
    EXPECT_EQ(t.opener.subState(), nullptr);
}

TEST(Tutorial, ZeroClosesAtAnyStepEvenWhenTheFileIsMissing) {
    for (int step = 1; step <= 3; ++step) {
        Lessons t;
        t.open();
        for (int i = 1; i < step; ++i) t.type(i == 1 ? "look" : "go on");
        ASSERT_EQ(t.lesson()->step(), step);
        t.g.screen.addMessage("left by the lesson");
        t.type("0");
        EXPECT_EQ(t.opener.subState(), nullptr) << "step " << step;
        EXPECT_TRUE(t.g.screen.messages().empty());
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
    t.open();
    std::string screen = t.type("anything");
    EXPECT_NE(screen.find("THE REAL SCREEN"), std::string::npos);
    EXPECT_NE(screen.find("<9> Extra"), std::string::npos);
    EXPECT_EQ(screen.find("Skip Tutorial"), std::string::npos);
    // Step two tells its explanation over the real screen and closes itself.
    t.frame();
    EXPECT_EQ(t.opener.subState(), nullptr);
    EXPECT_NE(t.world.console.frameText().find("THE REAL SCREEN"), std::string::npos);
}

TEST(Tutorial, AStepTheFileDoesNotHoldIsAnErrorNotAnEndlessSearch) {
    Lessons t("3\n_1\n\n:\n:\nOne.\n:\n_3\n\n:\n:\nThree.\n:\n");
    t.open();
    t.type("");
    const std::string screen = t.frame();  // step 2 has no marker
    EXPECT_NE(screen.find("Error Reading File!"), std::string::npos);
}

}  // namespace
}  // namespace orv
