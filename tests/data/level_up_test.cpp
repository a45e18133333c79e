// How many levels experience is worth, including from numbers a script or a
// file has broken.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/level_up.h"

namespace orv {
namespace {

TEST(LevelArithmetic, ExperienceBuysLevelsUpToTheCap) {
    EXPECT_FALSE(levelUpDue(1, 19999));
    EXPECT_EQ(levelsGained(1, 19999), 0);
    EXPECT_TRUE(levelUpDue(1, 20000));
    EXPECT_EQ(levelsGained(1, 20000), 1);
    EXPECT_EQ(levelsGained(1, 40000), 3);  // to level 4
    EXPECT_EQ(levelsGained(0, 10000), 1);
    EXPECT_EQ(levelsGained(99, 1e7f), 1);
    EXPECT_FALSE(levelUpDue(100, 1e9f));
    EXPECT_EQ(levelsGained(1, 1e9f), 99);  // never past level 100
}

TEST(LevelArithmetic, BrokenNumbersNeverKeepTheCountGoing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Adding one to -1e38 changes nothing: counted one by one, this used to
    // spin for ever.
    for (float level : {-1e38f, -inf, nan, -1.0f, -5e6f}) {
        EXPECT_FALSE(levelUpDue(level, 1e9f)) << level;
        EXPECT_EQ(levelsGained(level, 1e9f), 0) << level;
    }
    for (float level : {1e38f, inf}) EXPECT_EQ(levelsGained(level, 1e9f), 0) << level;
    for (float experience : {inf, nan, -inf}) EXPECT_EQ(levelsGained(1, experience), 0) << experience;
}

}  // namespace
}  // namespace orv
