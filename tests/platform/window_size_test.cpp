// A window too small for the game: the mission waits behind the notice, and
// the notice never outlives the small window in the game's messages.
#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include "core/command_input.h"
#include "core/screen.h"
#include "minigame/editor.h"
#include "platform/terminal_console.h"
#include "support/pty_game.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

TEST(WindowSize, AMissionWaitsWhileTheWindowIsTooSmallAndGoesOnWhenItFits) {
    test::InGameData data;
    test::TestWorld world;
    test::TestRoot root;
    Editor* editor = root.open(new Editor(&root, 1));
    const MissionState& mission = editor->tables();
    int framesSeen = 0;
    int frameAtShrink = 0, armorAtShrink = 0, frameAtGrow = 0, armorAtGrow = 0;
    world.console.setPilot([&](const Cells&) -> std::vector<KeyEvent> {
        ++framesSeen;
        if (framesSeen == 300) {
            frameAtShrink = mission.frame;
            armorAtShrink = mission.ship.armor;
            world.console.setLargestHeight(30);
        } else if (framesSeen == 300 + 6000) {  // a minute behind the notice
            frameAtGrow = mission.frame;
            armorAtGrow = mission.ship.armor;
            world.console.setLargestHeight(kConsoleHeight);
        } else if (framesSeen == 6300 + 100) {
            return {{KeyEscape, true}};
        }
        return {};
    });
    editor->Update("1");
    ASSERT_EQ(framesSeen, 6400) << "frames are still drawn while it waits";
    EXPECT_LE(frameAtGrow - frameAtShrink, 1) << "nothing moved behind the notice";
    EXPECT_EQ(armorAtGrow, armorAtShrink);
    EXPECT_GE(mission.frame - frameAtGrow, 90) << "and the mission went on once the window fit";
}

TEST(WindowSize, TheNoticeNeverStaysInTheMessagesOnceTheWindowFits) {
    test::PtyGame game(24, 80, [] {
        TerminalConsole console;
        CommandInput input(console);
        Screen screen(console, input);
        screen.addMessage("Welcome to Brightwater.");
        screen.render();
        test::note("small");
        std::string line;
        console.readLine(line);  // Enter, as the notice asks: the town is drawn again
        screen.clearFrame();
        screen.render();
        test::note("again");
        console.readLine(line);
        return 0;
    });
    ASSERT_TRUE(game.waitFor(test::marker("small")));
    EXPECT_NE(test::visibleText(game.output).find("YOUR DISPLAY IS NOT LARGE ENOUGH"), std::string::npos);
    game.type("\r");
    ASSERT_TRUE(game.waitFor(test::marker("again")));
    const std::size_t grown = game.output.size();
    winsize size{53, 80, 0, 0};
    ASSERT_EQ(ioctl(game.master(), TIOCSWINSZ, &size), 0);
    ASSERT_TRUE(game.waitFor("Brightwater", 5000, grown)) << "the town is back at once";
    EXPECT_EQ(test::visibleText(game.output.substr(grown)).find("YOUR DISPLAY"), std::string::npos);
    game.type("\r");
    EXPECT_TRUE(test::exitedWith(game.waitExit(), 0));
}

}  // namespace
}  // namespace orv
