// The title screen and the system menu played as a player would, headless.
#include <gtest/gtest.h>

#include "app/run.h"
#include "core/colors.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::InGameData;
using test::TestWorld;

struct TitleRun {
    InGameData data;
    TestWorld world;
    std::ostringstream frames;
    int status = -1;
    explicit TitleRun(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) world.console.addScriptLine(line);
        world.console.printFramesTo(&frames, HeadlessConsole::FrameOutput::PerTypedLine);
        status = runGame(world.game);
    }
    // The frame shown when line `n` (0-based) was typed; frames.size() - 1
    // is the last screen.
    std::vector<std::string> frameList() const {
        std::vector<std::string> list;
        std::istringstream in(frames.str());
        std::string line, frame;
        int rows = 0;
        while (std::getline(in, line)) {
            frame += line + "\n";
            if (++rows == 53) {
                list.push_back(frame);
                frame.clear();
                rows = 0;
            }
        }
        return list;
    }
};

TEST(TitleMenu, ShowsTheWelcomeAndTheFourOptions) {
    TitleRun run({"exit"});
    EXPECT_EQ(run.status, 0);
    const auto frames = run.frameList();
    ASSERT_EQ(frames.size(), 1u);  // "exit" ends the game at once
    const std::string& title = frames[0];
    EXPECT_NE(title.find("Welcome to ORVANTIS!"), std::string::npos);
    EXPECT_NE(title.find("<1> Start a new game"), std::string::npos);
    EXPECT_NE(title.find("<2> Load game"), std::string::npos);
    EXPECT_NE(title.find("<0> Exit game"), std::string::npos);
    EXPECT_NE(title.find("<-> System Menu"), std::string::npos);
    EXPECT_EQ(title.find("Unable to open file"), std::string::npos);  // the splash art is there
    EXPECT_EQ(run.world.game.audio.currentMusic(), "title.mid");
}

TEST(TitleMenu, WelcomeIsRedWithGreenKeys) {
    InGameData data;
    TestWorld w;
    int running = 1;
    w.console.addLine("exit");
    runGame(w.game);
    // Row 43 holds the welcome; the option keys sit in column 1 of rows 46-49.
    EXPECT_EQ(w.console.rowText(43), "Welcome to ORVANTIS!");
    EXPECT_EQ(w.console.attributeAt(0, 43), 12);
    EXPECT_EQ(w.console.attributeAt(1, 46), 10);
    EXPECT_EQ(w.console.attributeAt(1, 49), 10);
    EXPECT_EQ(w.console.attributeAt(4, 46), 15);
    (void)running;
}

TEST(SystemMenu, SetsClampedVolumesAndReturns) {
    TitleRun run({"-", "1", "250", "2", "-5", "1", "0", "2", "loud", "0", "exit"});
    EXPECT_EQ(run.status, 0);
    const auto frames = run.frameList();
    ASSERT_EQ(frames.size(), 11u);
    EXPECT_NE(frames[1].find("Music Volume: 15\n"), std::string::npos);  // a fresh game plays at 15
    EXPECT_NE(frames[1].find("<1> Set Music Volume"), std::string::npos);
    EXPECT_NE(frames[2].find("Enter music volume (0 - 100)."), std::string::npos);
    EXPECT_EQ(frames[2].find("<1> Set Music Volume"), std::string::npos);  // no menu while asking
    EXPECT_NE(frames[3].find("Music Volume: 100\n"), std::string::npos);
    EXPECT_NE(frames[5].find("Sound Effect Volume: 0\n"), std::string::npos);
    // "0" while a volume is asked for is a volume, not "exit".
    EXPECT_NE(frames[7].find("Music Volume: 0\n"), std::string::npos);
    EXPECT_NE(frames[7].find("<0> Exit"), std::string::npos);
    EXPECT_NE(frames[9].find("Sound Effect Volume: 0\n"), std::string::npos);
    EXPECT_NE(frames[10].find("Welcome to ORVANTIS!"), std::string::npos);
    EXPECT_EQ(run.world.game.audio.getMusicVolume(), 0.0f);
}

// A word typed for a volume is the number 0, as any word typed for a
// number is; the question goes with its answer, so the menu it returns to
// never stands under a question it no longer asks.
TEST(SystemMenu, AWordIsVolumeZeroAndTheQuestionLeavesWithItsAnswer) {
    TitleRun run({"-", "2", "30", "2", "abc", "0", "exit"});
    const auto frames = run.frameList();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_NE(frames[3].find("Sound Effect Volume: 30\n"), std::string::npos);
    EXPECT_EQ(frames[3].find("Enter sound volume"), std::string::npos);
    EXPECT_NE(frames[5].find("Sound Effect Volume: 0\n"), std::string::npos);
    EXPECT_NE(frames[5].find("<1> Set Music Volume"), std::string::npos);
    EXPECT_EQ(frames[5].find("Enter sound volume"), std::string::npos);
    EXPECT_NE(frames[6].find("Welcome to ORVANTIS!"), std::string::npos);
}

TEST(TitleMenu, CommandsMatchWholeLinesInAnyCase) {
    TitleRun run({"START", "Exit ", "-", "0", "E"});
    EXPECT_EQ(run.status, 0);
    const auto frames = run.frameList();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_NE(frames[3].find("Music Volume"), std::string::npos);  // "-" opened the menu
    EXPECT_NE(frames[4].find("Welcome to ORVANTIS!"), std::string::npos);
    EXPECT_EQ(run.world.console.pendingInputs(), 0u);
}

TEST(TitleMenu, EndOfInputEndsTheGameCleanly) {
    TitleRun run({"-", "1"});
    EXPECT_EQ(run.status, 0);
    const auto frames = run.frameList();
    ASSERT_EQ(frames.size(), 3u);  // the last screen is printed once, then the game ends
    EXPECT_NE(frames[2].find("Enter music volume"), std::string::npos);
}

TEST(TitleMenu, ShowsOnlyTheWelcomeWhateverWasLeft) {
    InGameData data;
    TestWorld w;
    for (int i = 0; i < 5; ++i) w.game.screen.addMessage("left over");
    w.console.addLine("exit");
    runGame(w.game);
    EXPECT_EQ(w.console.frameText().find("left over"), std::string::npos);
}

}  // namespace
}  // namespace orv
