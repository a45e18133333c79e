// Numbers shown and read the way every screen shows and reads them.
#include <gtest/gtest.h>

#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"

namespace orv {
namespace {

TEST(Text, NumbersAreWrittenWithDefaultStreamFormatting) {
    EXPECT_EQ(toText(12), "12");
    EXPECT_EQ(toText(7.5f), "7.5");
    EXPECT_EQ(toText(0.15f), "0.15");
    EXPECT_EQ(toText(100.0f), "100");
    EXPECT_EQ(toText(1234567.0f), "1.23457e+06");
    EXPECT_EQ(toText(0.15f * 100.0f), "15");
}

TEST(Text, NumbersAreReadFromTheLongestPrefix) {
    EXPECT_EQ(toNumber("12abc"), 12.0f);
    EXPECT_EQ(toNumber("  -3"), -3.0f);
    EXPECT_EQ(toNumber("37.5"), 37.5f);
    EXPECT_EQ(toNumber(""), 0.0f);
    EXPECT_EQ(toNumber("loud"), 0.0f);
    EXPECT_FALSE(readNumber("loud").has_value());
    EXPECT_TRUE(readNumber("1e999").has_value());  // too big is still a number
}

TEST(Text, LengthsLeaveOutWhatIsNotShown) {
    const std::string text = colorRed + "ab" + colorWhite + char(0xDB);
    EXPECT_EQ(displayLength(text), 3u);
    EXPECT_EQ(visibleCount(text), 2u);
    EXPECT_EQ(lowercase("START New Game"), "start new game");
    EXPECT_TRUE(matchesAny("sn", {"start new game", "sn"}));
    EXPECT_FALSE(matchesAny("sn ", {"start new game", "sn"}));
}

TEST(Paths, BackslashNamesBecomeRelativePaths) {
    EXPECT_EQ(dataPath("art\\splash.txt"), "art/splash.txt");
    EXPECT_EQ(dataPath("\\quests\\Guelf.txt"), "quests/Guelf.txt");
    EXPECT_EQ(dataPath("planets\\Planet List.txt"), "planets/Planet List.txt");
}

}  // namespace
}  // namespace orv
