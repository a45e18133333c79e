// The statistics column beside the inventory's divider and in the item
// check: fixed widths, and a blank before whatever follows.
#include <gtest/gtest.h>

#include "core/colors.h"
#include "core/text.h"
#include "data/entity.h"
#include "items/stat_rows.h"

namespace orv {
namespace {

struct Column {
    Entity who;
    StatBlock stats, changes;
    ResistanceBlock resistances, resistanceChanges;
    std::string row(int row, std::size_t width, RowSubject subject = RowSubject::Protagonist) const {
        return statRow(row, who, stats, resistances, subject, changes, resistanceChanges, width);
    }
};

TEST(StatRows, EveryRowIsItsWidthAndEndsInABlank) {
    Column column;
    column.who.name = "Zed";
    column.stats[HighDefence] = 12345;  // five digits: the widest a value is shown
    column.stats[HP] = 107.9f;
    column.changes[HighDefence] = 3;
    column.resistances[Fire] = 15;  // (1 - 15) x 100 = -1400
    for (int row = 0; row < 24; ++row) {
        for (std::size_t width : {17u, 16u}) {
            const std::string text = column.row(row, width);
            EXPECT_EQ(displayLength(text), width) << row;
            EXPECT_EQ(text.back(), ' ') << row;
        }
    }
    // Room is found by giving up the blank after the colon, not the digits.
    EXPECT_EQ(column.row(13, 17), "  HighDef :" + colorGreen + "12345" + colorWhite + " ");
    EXPECT_EQ(column.row(16, 17), "  Fire    :" + colorWhite + "-1400" + colorWhite + " ");
    EXPECT_EQ(column.row(3, 17), "  HP      : " + colorWhite + "108" + colorWhite + "  ");
    EXPECT_EQ(column.row(0, 17), "       Zed" + colorWhite + "       ");
    // With width 0 a row is left as it is, for the item check's second column.
    EXPECT_EQ(column.row(16, 0, RowSubject::Item), "  Fire    : " + colorWhite + "-1500" + colorWhite);
    // Only a value too wide for the column at all is cut.
    column.stats[HighDefence] = 123456;
    EXPECT_EQ(column.row(13, 16), "  HighDef :" + colorGreen + "1234" + colorWhite + " ");  // colour still reset
}

TEST(StatRows, FitColumnCountsCellsNotColourCodes) {
    EXPECT_EQ(fitColumn("abc", 6), "abc   ");
    EXPECT_EQ(fitColumn("abcdef", 6), "abcde ");
    EXPECT_EQ(fitColumn(colorRed + "abcdef" + colorWhite, 4), colorRed + "abc" + colorWhite + " ");
    EXPECT_EQ(displayLength(fitColumn(colorRed + "ab" + colorWhite, 4)), 4u);
    EXPECT_EQ(fitColumn("anything", 0), "");
    EXPECT_EQ(fitColumn("", 1), " ");
}

}  // namespace
}  // namespace orv
