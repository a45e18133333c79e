// The end of the story, headless: a scene whose leaving finishes the game
// rolls the credits, "*" rolls them again, and any other line goes on
// playing where the story left off.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "screens/credits.h"
#include "support/game_driver.h"
#include "world/quest.h"
#include "world/shop.h"
#include "world/town.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// The game's content, with the first job on the first planet made the end
// of the story.
void makeTheFirstJobTheEnding(const fs::path& content) {
    fs::remove(content / "quests");
    fs::copy(fs::path(ORVANTIS_TEST_DATA) / "quests", content / "quests", fs::copy_options::recursive);
    const fs::path file = content / "quests" / "Empyreon VI.txt";
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    std::string quests = text.str();
    const std::string reward = "QUEST_ROOM_GET_EXP:2000\n";  // the first job
    const std::size_t at = quests.find(reward);
    ASSERT_NE(at, std::string::npos);
    quests.insert(at + reward.size(), "QUEST_ROOM_KEY_EVENT:finish\n");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << quests;
}

TEST(EndingScenario, LeavingTheLastSceneRollsTheCreditsThenFreePlay) {
    test::GameDriver p;
    makeTheFirstJobTheEnding(p.data.path());
    for (const char* line : {"1", "zed", "m", "c", "bob", "f", "c", "", "1"}) p.type(line);
    if (p.at<Quest>()) p.type("");
    ASSERT_NE(p.at<Town>(), nullptr);
    p.type("claim");
    p.type("+");
    p.type("work");
    ASSERT_EQ(p.at<Credits>(), nullptr);  // not before the scene is left
    std::string screen = p.type("0");
    ASSERT_NE(p.at<Credits>(), nullptr);
    EXPECT_NE(p.log().find("Congratulations Zed!"), std::string::npos);
    EXPECT_NE(p.log().find("AWESOME"), std::string::npos);
    EXPECT_NE(screen.find("<*> Repeat Credits"), std::string::npos);

    const std::size_t rolled = p.log().size();
    p.type("*");
    ASSERT_NE(p.at<Credits>(), nullptr);
    EXPECT_NE(p.log().find("Thanks for playing ORVANTIS.", rolled), std::string::npos);

    // Free play: back in the claims office the scene was left for, and on.
    screen = p.type("");
    ASSERT_NE(p.at<Shop>(), nullptr);
    EXPECT_EQ(p.g.player.questProgress[0][1][2], 2);
    p.type("0");
    ASSERT_NE(p.at<Town>(), nullptr);
    screen = p.type("5");
    EXPECT_EQ(p.at<Credits>(), nullptr);
    EXPECT_EQ(screen.find("Thanks for playing"), std::string::npos);
}

}  // namespace
}  // namespace orv
