// The credits: the final sheet and every page, replayed by "*" alone.
#include <gtest/gtest.h>

#include "screens/credits.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

struct Rolling {
    test::TestWorld world;
    Game& g = world.game;
    test::TestRoot root;
    std::ostringstream frames;

    Rolling() {
        world.console.printFramesTo(&frames, HeadlessConsole::FrameOutput::Every);
        g.player.name = "Zed";
        g.player.effective[HP] = 123.75f;
        g.player.effective[Level] = 42;
        g.player.effectiveResistances[Fire] = 0.75f;
        root.setSubState(new Credits(&root));
    }
    void draw() {
        g.screen.clearFrame();
        root.drawCurrent();
        g.screen.render();
    }
};

TEST(Credits, TheSheetAndEveryPageThenAStarRollsThemAgain) {
    Rolling r;
    const std::uint64_t start = r.world.console.nowMs();
    r.draw();
    const std::string log = r.frames.str();
    for (const char* text : {"YOU", "AWESOME", "HP: 123", "Level: 42", "Fire: 25%", "Thanks for playing ORVANTIS.",
                             "Congratulations Zed!", "CREDITS", "Producer: Dunmore Kettle", "Special thanks to:",
                             "No space weasels were harmed", "limited only by your imagination."})
        EXPECT_NE(log.find(text), std::string::npos) << text;
    EXPECT_GE(r.world.console.nowMs() - start, 2000u);  // the pause after the names
    const std::string last = r.world.console.frameText();
    EXPECT_NE(last.find("To Enter Free Play Mode"), std::string::npos);
    EXPECT_NE(last.find("<*> Repeat Credits"), std::string::npos);
    EXPECT_EQ(last.find("AWESOME"), std::string::npos);  // the last frame is the choice alone

    const std::size_t once = r.world.console.framesWritten();
    r.root.updateCurrent("*");
    ASSERT_NE(r.root.subState(), nullptr);
    r.draw();
    EXPECT_EQ(r.world.console.framesWritten(), 2 * once);
}

TEST(Credits, AnyOtherLineGoesOnPlaying) {
    for (const char* line : {"", "**", " *", "0"}) {
        Rolling r;
        r.root.updateCurrent(line);
        EXPECT_EQ(r.root.subState(), nullptr) << "\"" << line << "\"";
    }
}

}  // namespace
}  // namespace orv
