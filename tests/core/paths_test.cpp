// Names taken from content files and slots never reach a file outside the
// content directory, however they climb, and the screen says why a picture
// so named is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/paths.h"
#include "core/screen.h"
#include "support/test_world.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// A content directory "game" with a secret file beside it, and the game
// standing in the content directory.
struct ContentBesideSecret {
    test::ScratchDirectory scratch;
    ContentBesideSecret() {
        scratch.write("secret.txt", "the machine's own secret\n");
        scratch.write("game/art/tutorial/shop.txt", "a shop counter\n");
        scratch.write("game/art/outside/portrait/1.txt", "a face inside\n");
        fs::current_path(scratch.path() / "game");
    }
};

TEST(ContentPaths, NamesThatClimbOutOfTheContentAreNeitherReadNorWritten) {
    ContentBesideSecret content;
    // A lesson's picture line, a wave's portrait, a town's map: each as the
    // game builds the path from the name a content file gives.
    for (const char* climbing : {"art\\tutorial\\../../../secret.txt", "art\\tutorial\\..\\..\\..\\secret.txt",
                                 "art\\../../outside/portrait\\1.txt", "art\\\\towns\\..\\..\\..\\secret.txt",
                                 "..", "art\\tutorial\\../../../../../../../../../../etc/passwd"}) {
        SCOPED_TRACE(climbing);
        EXPECT_FALSE(staysInContent(climbing));
        EXPECT_FALSE(openDataFile(climbing, std::ios::in | std::ios::binary));
        EXPECT_FALSE(std::ofstream(dataPath(climbing)));
    }
    EXPECT_EQ(std::ifstream("../secret.txt").peek(), 't');  // it is there, for anyone else
    EXPECT_FALSE(fs::exists(content.scratch.path() / "escaped.txt"));
    EXPECT_FALSE(std::ofstream(dataPath("saves\\..\\..\\escaped.txt")));
    EXPECT_FALSE(fs::exists(content.scratch.path() / "escaped.txt"));

    // Names that only look odd stay inside and open as before.
    for (const char* inside : {"art\\tutorial\\shop.txt", "\\art\\tutorial\\shop.txt", "art/./tutorial//shop.txt"}) {
        EXPECT_TRUE(staysInContent(inside)) << inside;
        EXPECT_TRUE(openDataFile(inside)) << inside;
    }
    EXPECT_TRUE(staysInContent("art\\...\\..x\\x..\\1.txt"));
}

TEST(ContentPaths, ALessonPictureOutsideTheContentShowsWhyItIsMissing) {
    ContentBesideSecret content;
    test::TestWorld world;
    Screen& screen = world.game.screen;
    screen.loadArt("tutorial\\../../../secret.txt", false);
    std::string shown;
    for (const std::string& line : screen.artLines()) shown += line;
    EXPECT_EQ(shown.find("own secret"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Unable to open file \"art\\tutorial\\../../../secret.txt\"."), std::string::npos) << shown;
    EXPECT_NE(shown.find(kOutsideContentNote), std::string::npos) << shown;
}

}  // namespace
}  // namespace orv
