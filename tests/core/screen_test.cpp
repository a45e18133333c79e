// The frame composition: areas, limits, wrapping, recolouring, art loading.
#include <gtest/gtest.h>

#include "core/colors.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::ScratchDirectory;
using test::TestWorld;

std::string rule() { return std::string(80, '='); }

TEST(Screen, EmptyFrameKeepsItsRulesAndRows) {
    TestWorld w;
    w.game.screen.render();
    const std::string text = w.console.frameText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 53);
    EXPECT_EQ(w.console.rowText(24), rule());
    EXPECT_EQ(w.console.rowText(45), rule());
    EXPECT_EQ(w.console.rowText(51), rule());
    EXPECT_EQ(w.console.rowText(52), "");
    EXPECT_EQ(w.console.title(), "Orvantis");
}

TEST(Screen, MessagesSitAtTheBottomAndTheEleventhDropsTheOldest) {
    TestWorld w;
    for (int i = 1; i <= 11; ++i) w.game.screen.addMessage("message " + std::to_string(i));
    w.game.screen.render();
    EXPECT_EQ(w.game.screen.messages().size(), 10u);
    EXPECT_EQ(w.console.rowText(43), "message 11");
    EXPECT_EQ(w.console.rowText(44), "");
    EXPECT_EQ(w.console.rowText(25), "message 2");
    EXPECT_EQ(w.console.frameText().find("message 1\n"), std::string::npos);
}

TEST(Screen, LongMessagesWrapOnWordsAndUnbrokenRunsStillBreak) {
    const std::string words = std::string(70, 'a') + " " + std::string(20, 'b');
    EXPECT_EQ(Screen::wrapMessage(words), std::string(70, 'a') + "\n" + std::string(20, 'b'));
    // Colour codes do not count toward the 78 columns.
    const std::string coloured = colorRed + std::string(78, 'c') + colorWhite;
    EXPECT_EQ(Screen::wrapMessage(coloured), coloured);
    const std::string unbroken(200, 'x');
    const std::string wrapped = Screen::wrapMessage(unbroken);
    EXPECT_EQ(std::count(wrapped.begin(), wrapped.end(), 'x'), 200);
    for (std::size_t start = 0, end; start < wrapped.size(); start = end + 1) {
        end = wrapped.find('\n', start);
        if (end == std::string::npos) end = wrapped.size();
        EXPECT_LE(end - start, 78u);
    }
}

TEST(Screen, ArtLinesAreLimitedTo24AndRowsCountedAt80) {
    TestWorld w;
    for (int i = 0; i < 25; ++i) w.game.screen.addArtLine("line " + std::to_string(i));
    EXPECT_EQ(w.game.screen.artLines().size(), 24u);
    EXPECT_EQ(w.game.screen.artLines().back(), "line 23\n");

    EXPECT_EQ(Screen::rowsOf(std::string(80, 'x')), 1);
    EXPECT_EQ(Screen::rowsOf(std::string(81, 'x') + "\n"), 2);
    EXPECT_EQ(Screen::rowsOf(""), 0);

    w.game.screen.clearFrame();
    w.game.screen.addArtLine(std::string(80, 'x'));
    w.game.screen.addArtLine(std::string(81, 'y'));
    w.game.screen.addArtLine("after");
    w.game.screen.render();
    EXPECT_EQ(w.console.rowText(0), std::string(80, 'x'));
    EXPECT_EQ(w.console.rowText(1), std::string(80, 'y'));
    // A line of 80 or more ends its row by itself: the next line follows on.
    EXPECT_EQ(w.console.rowText(2), "yafter");
    EXPECT_EQ(w.console.rowText(24), rule());
}

TEST(Screen, ArtThatWouldOverflowTheAreaIsLeftOut) {
    TestWorld w;
    for (int i = 0; i < 23; ++i) w.game.screen.addArtLine("row");
    w.game.screen.addArtLine("two\nrows");  // needs two rows, only one left
    w.game.screen.render();
    EXPECT_EQ(w.console.rowText(22), "row");
    EXPECT_EQ(w.console.rowText(23), "");
    EXPECT_EQ(w.console.rowText(24), rule());
    EXPECT_EQ(w.console.frameText().find("rows"), std::string::npos);
}

TEST(Screen, ExtendedGlyphLinesStillEndTheirRow) {
    // 80 block glyphs fill a row exactly; the frame must not shift.
    TestWorld w;
    w.game.screen.addArtLine(std::string(80, char(0xDB)));
    w.game.screen.addArtLine("next");
    w.game.screen.render();
    EXPECT_EQ(w.console.rowText(1), "next");
    EXPECT_EQ(w.console.rowText(24), rule());
}

TEST(Screen, LoadArtCutsStopsAndReportsMissingFiles) {
    ScratchDirectory dir;
    std::string art;
    for (int i = 0; i < 30; ++i) art += "art line " + std::to_string(i) + "\n";
    dir.write("art/tall.txt", art);
    dir.write("art/gap.txt", "one\ntwo\n\nfour\n");
    dir.write("art/wide.txt", colorRed + std::string(100, 'w') + colorWhite + "\n");
    dir.write("art/huge.txt", std::string(150, 'h') + "\nnever\n");

    TestWorld w;
    Screen& screen = w.game.screen;
    screen.loadArt("tall.txt", false);
    EXPECT_EQ(screen.artLines().size(), 24u);
    EXPECT_EQ(screen.artLines()[23], "art line 23\n");

    screen.clearFrame();
    screen.loadArt("gap.txt", false);
    ASSERT_EQ(screen.artLines().size(), 2u);
    EXPECT_EQ(screen.artLines()[1], "two\n");

    screen.clearFrame();
    screen.loadArt("wide.txt", true);
    ASSERT_EQ(screen.artLines().size(), 1u);
    EXPECT_EQ(screen.artLines()[0], colorRed + std::string(68, 'w') + "\n");

    screen.clearFrame();
    screen.loadArt("huge.txt", false);
    ASSERT_EQ(screen.artLines().size(), 1u);
    EXPECT_EQ(screen.artLines()[0], std::string(119, 'h'));

    screen.clearFrame();
    screen.loadArt("nothere.txt", false);
    ASSERT_EQ(screen.artLines().size(), 1u);
    EXPECT_EQ(screen.artLines()[0], "Unable to open file \"art\\nothere.txt\".\n");
}

TEST(Screen, OptionsAreRecolouredAndLaidOutColumnByColumn) {
    TestWorld w;
    Screen& screen = w.game.screen;
    screen.addMenuOption("<1> Start a new game");
    EXPECT_EQ(screen.menuOptions().back(), "<" + colorGreen + "1" + colorWhite + "> Start a new game");
    screen.addMenuOption("<10> Tenth");
    EXPECT_EQ(screen.menuOptions().back(), "<" + colorGreen + "10" + colorWhite + "> Tenth");
    screen.addMenuOption("No arrow here");
    EXPECT_EQ(screen.menuOptions().back(), "No arrow here");
    const std::string coloured = colorRed + "<x> Already red";
    screen.addMenuOption(coloured);
    EXPECT_EQ(screen.menuOptions().back(), coloured);

    screen.clearFrame();
    for (int i = 1; i <= 16; ++i) screen.addMenuOption("<" + std::to_string(i) + "> O" + std::to_string(i));
    screen.render();
    EXPECT_EQ(w.console.rowText(46), "<1> O1" + std::string(18, ' ') + "<6> O6" + std::string(18, ' ') + "<11> O11");
    EXPECT_EQ(w.console.rowText(50).substr(48), "<15> O15");
    EXPECT_EQ(w.console.frameText().find("O16"), std::string::npos);
    // The key is green, the bracket and text white.
    EXPECT_EQ(w.console.attributeAt(1, 46), 10);
    EXPECT_EQ(w.console.attributeAt(0, 46), 15);
    EXPECT_EQ(w.console.attributeAt(3, 46), 15);
}

TEST(Screen, ColourCodesCarryAcrossLinesUntilChanged) {
    TestWorld w;
    w.game.screen.addArtLine(colorRed + "red");
    w.game.screen.addArtLine("still red" + colorWhite + "w");
    w.game.screen.render();
    EXPECT_EQ(w.console.attributeAt(0, 0), 12);
    EXPECT_EQ(w.console.attributeAt(0, 1), 12);
    EXPECT_EQ(w.console.attributeAt(9, 1), 15);
    EXPECT_EQ(w.console.rowText(1), "still redw");
}

TEST(Screen, TooSmallDisplayIsReportedOnceAndGoesWhenTheGameFits) {
    TestWorld w;
    w.game.screen.addMessage("before");
    w.console.setLargestHeight(40);
    w.game.screen.render();
    w.game.screen.addMessage("typed meanwhile");
    w.game.screen.render();
    w.game.screen.render();
    ASSERT_EQ(w.game.screen.messages().size(), 3u);
    EXPECT_EQ(w.game.screen.messages()[0].find("YOUR DISPLAY IS NOT LARGE ENOUGH"), 0u) << "the newest";
    w.console.setLargestHeight(53);
    w.game.screen.render();
    ASSERT_EQ(w.game.screen.messages().size(), 2u);
    EXPECT_EQ(w.game.screen.messages()[0], "typed meanwhile\n");
    EXPECT_EQ(w.game.screen.messages()[1], "before\n");
}

TEST(Screen, SetCellAddsIntensityUnlessDimAndIgnoresOutsideCells) {
    TestWorld w;
    Screen& screen = w.game.screen;
    screen.setCell('@', 3, 4, 4, 16, false, true);
    screen.setCell('#', 80, 0, 1, 0, false, false);
    screen.setCell('#', 0, -1, 1, 0, false, false);
    EXPECT_EQ(screen.cells()[4 * 80 + 3].attr, 4 + 16 + 8);
    screen.setCell('@', 3, 4, 4, 16, true, false);
    EXPECT_EQ(screen.cells()[4 * 80 + 3].attr, 4 + 16 + 128);
    screen.writeCells();
    EXPECT_EQ(w.console.readBack()[4 * 80 + 3].ch, '@');
}

TEST(Screen, SplitTransitionGrowsTheNewFrameFromTheCentre) {
    TestWorld w;
    Cells oldCells, newCells;
    for (int i = 0; i < 80 * 53; ++i) {
        oldCells[i] = Cell{'o', 15};
        newCells[i] = Cell{'n', 15};
    }
    const std::size_t before = w.console.framesWritten();
    const std::uint64_t start = w.console.nowMs();
    w.game.screen.splitTransition(oldCells, newCells);
    EXPECT_EQ(w.console.framesWritten() - before, 39u);
    EXPECT_EQ(w.console.nowMs() - start, 39u * 50u);
    const std::string last = w.console.rowText(10);
    EXPECT_EQ(last.substr(2, 77), std::string(77, 'n'));  // columns 2..78 are new
}

TEST(Screen, CurtainFallsOverTheOldScreenAndRisesFromTheNew) {
    TestWorld w;
    Screen& screen = w.game.screen;
    screen.addMessage("old screen");
    screen.render();
    screen.setTransitionPending(true);
    screen.curtainTransition(2, 32);
    EXPECT_TRUE(screen.messages().empty());
    EXPECT_EQ(w.console.rowText(52), std::string(80, '#'));
    EXPECT_EQ(w.console.attributeAt(0, 0), 2 | 32);
    screen.addMessage("new screen");
    screen.render();  // finishes the curtain and draws the new frame once more
    EXPECT_FALSE(screen.transitionPending());
    EXPECT_EQ(w.console.rowText(43), "new screen");
}

TEST(Screen, NarrationTypesOutWithoutRealTimeAndAKeyShowsAllAtOnce) {
    TestWorld w;
    Screen& screen = w.game.screen;
    const std::size_t before = w.console.framesWritten();
    screen.narrate("Hello", 30, 40.0);
    EXPECT_EQ(w.console.framesWritten() - before, 5u);
    EXPECT_EQ(w.console.rowText(43), "Hello");

    // A key pressed while the sentence types out shows it whole at once.
    w.console.addLine("attack");
    w.console.addKey(KeySpace, true, 300);
    w.console.addLine("next");
    std::string typed;
    ASSERT_TRUE(w.game.input.readLine(typed));
    const std::size_t beforeSkip = w.console.framesWritten();
    screen.narrate("A long sentence that a key cuts short", 30, 40.0);
    EXPECT_EQ(w.console.rowText(43), "A long sentence that a key cuts short");
    EXPECT_LT(w.console.framesWritten() - beforeSkip, 10u);
    EXPECT_EQ(w.console.pendingInputs(), 1u);  // the typed line is still to come

    // A space that ends the wait after a whole sentence only means "go on";
    // a digit is the start of the next command.
    ASSERT_TRUE(w.game.input.readLine(typed));
    EXPECT_EQ(typed, "next");
    w.console.addKey(KeySpace, true, 700);
    w.console.addLine("0");
    screen.narrate("Done", 30, 40.0);
    ASSERT_TRUE(w.game.input.readLine(typed));
    EXPECT_EQ(typed, "0");
    w.console.addKey('0', true, 700);
    w.console.addLine("");
    screen.narrate("Done", 30, 40.0);
    ASSERT_TRUE(w.game.input.readLine(typed));
    EXPECT_EQ(typed, "0");
}

// A text taller than the message area could never be seen whole: the
// typewriter tells it as far as it fits and stops there, key or no key, and
// a message of megabytes wraps in one walk.
TEST(Screen, NarrationStopsWhereTheMessageAreaIsFull) {
    TestWorld w;
    Screen& screen = w.game.screen;
    std::string text;
    while (text.size() < 3000) text += "Once upon a time ";
    const std::size_t before = w.console.framesWritten();
    screen.narrate(text, 30, 1.0);
    EXPECT_LT(w.console.framesWritten() - before, 1600u);  // some 1 500 characters fit
    EXPECT_EQ(w.console.rowText(25).rfind("Once upon a time", 0), 0u) << w.console.frameText();
    EXPECT_EQ(w.console.rowText(44), "");

    w.console.addLine("attack");
    w.console.addKey(KeySpace, true, 300);
    std::string typed;
    ASSERT_TRUE(w.game.input.readLine(typed));
    screen.narrate(text, 30, 1.0);
    EXPECT_EQ(w.console.rowText(25).rfind("Once upon a time", 0), 0u) << w.console.frameText();

    const std::string wrapped = Screen::wrapMessage(std::string(10'000'000, 'x'));
    EXPECT_EQ(std::count(wrapped.begin(), wrapped.end(), '\n'), 10'000'000 / 78);
    EXPECT_EQ(wrapped.find('\n'), 78u);
}

}  // namespace
}  // namespace orv
