// A seed and the typed lines replay the same game wherever it is played:
// headless, and in a terminal with music on (the synthesiser draws from the
// C library's generator when a MIDI track starts) or with no sound at all.
// The first shop's stock is the proof: it is the first thing the dice make.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "core/dice.h"
#include "core/text.h"
#include "platform/headless_console.h"
#include "platform/terminal_console.h"
#include "screens/splash.h"
#include "support/game_driver.h"
#include "support/pty_game.h"
#include "world/shop.h"
#include "world/town.h"
#include "world/tutorial.h"

namespace orv {
namespace {

constexpr unsigned kSeed = 7;
constexpr int kShopRows = 24;

// The art area of a screen: the shop's shelves with their prices.
std::string shopRows(const std::string& screenText) {
    std::istringstream rows(screenText);
    std::string row, kept;
    for (int i = 0; i < kShopRows && std::getline(rows, row); ++i) kept += row + "\n";
    return kept;
}

std::string headlessShop() {
    test::GameDriver p;
    seedDice(kSeed);
    for (const char* line : {"1", "zed", "m", "c", "bob", "f", "c", "", "1"}) p.type(line);
    for (int i = 0; i < 5 && !p.at<Town>(); ++i) p.type("");  // the arrival scene
    p.type("1");
    EXPECT_NE(p.at<Shop>(), nullptr);
    return shopRows(p.world.console.frameText());
}

// The same lines typed into the terminal game; its first shop screen is
// written to `outFile`. `audioDriver` picks SDL's driver: "dummy" mixes (and
// synthesises MIDI) without a sound card, an unknown name leaves the game silent.
std::string terminalShop(const char* audioDriver, const std::string& outFile) {
    std::remove(outFile.c_str());
    test::PtyGame game(53, 80, [&] {
        setenv("SDL_AUDIODRIVER", audioDriver, 1);
        seedDice(kSeed);
        TerminalConsole console;
        Game g(console);
        g.audio.init(true);
        int running = 1;
        State* root = new Splash(nullptr, &running);
        std::string line;
        while (running == 1) {
            g.screen.clearFrame();
            root->drawCurrent();
            g.screen.render();
            g.audio.openDeviceIfWanted();  // as the game's own loop: the title's tune starts here
            if (dynamic_cast<Shop*>(root->current())) {
                std::ofstream(outFile) << HeadlessConsole::cellsToText(console.readBack());
                break;
            }
            if (!g.input.readLine(line)) break;
            root->updateCurrent(lowercase(line));
            // The lessons are for new players, not for this replay.
            while (dynamic_cast<Tutorial*>(root->current())) root->current()->closeState();
        }
        if (running == 1) destroyChain(root);
        return 0;
    });
    auto typeLine = [&](const std::string& line) { game.type(line + "\r"); };
    // Enter until `text` shows: it skips narration and answers "press enter".
    auto enterUntil = [&](const std::string& text) {
        const std::size_t from = game.output.size();
        for (int tries = 0; tries < 200; ++tries) {
            if (game.waitFor(text, 300, from)) return true;
            game.type("\r");
        }
        return false;
    };
    EXPECT_TRUE(game.waitFor("Start a new game", 20000));
    for (const char* line : {"1", "zed", "m", "c", "bob", "f"}) {
        typeLine(line);
        game.waitFor("Type", 2000, game.output.size());
    }
    typeLine("c");
    EXPECT_TRUE(enterUntil("Available Destinations"));
    typeLine("1");
    EXPECT_TRUE(enterUntil("HotSpots"));
    typeLine("1");
    EXPECT_TRUE(test::exitedWith(game.waitExit(20000), 0));
    std::ifstream in(outFile);
    std::stringstream text;
    text << in.rdbuf();
    return shopRows(text.str());
}

TEST(Replay, TheSameSeedAndLinesGiveTheSameShopHeadlessAndInATerminalWithOrWithoutSound) {
    const std::string headless = headlessShop();
    ASSERT_NE(headless.find("Armor Shop"), std::string::npos) << headless;
    const std::string out = (std::filesystem::temp_directory_path() / "orvantis-replay-shop.txt").string();
    {
        test::InGameData data;
        EXPECT_EQ(terminalShop("dummy", out), headless) << "with music";
        EXPECT_EQ(terminalShop("no-such-driver", out), headless) << "silent";
    }
    std::remove(out.c_str());
}

}  // namespace
}  // namespace orv
