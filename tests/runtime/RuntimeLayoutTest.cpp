#include "runtime/RuntimeLayout.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct ColumnCase {
    const char* name;
    RuntimeLayoutInput input;
    int rows;
    int columns;
    bool shiftedLeft;
    int height;
};

// R, the columns and the height rule: min(R, N) x 270 + 1200, or with string buttons
// (buttons + 1) x 270 + 950 when that is larger.
TEST(RuntimeLayout, RowsColumnsAndHeightFollowFieldsAndButtons) {
    const ColumnCase cases[] = {
        {"1 field, nothing else", {1, 0, false, false}, 1, 1, true, 270 + 1200},
        {"2 fields side by side", {2, 0, false, false}, 1, 2, true, 270 + 1200},
        {"3 fields", {3, 0, false, false}, 2, 2, true, 2 * 270 + 1200},
        {"30 fields in two columns of 15", {30, 0, false, false}, 15, 2, true, 15 * 270 + 1200},
        {"40 fields", {40, 0, false, false}, 20, 2, true, 20 * 270 + 1200},
        {"fewer fields than B: one column of 20",
         {2, 3, false, false},
         20,
         1,
         false,
         4 * 270 + 950},
        {"N = B: R = max(ceil(N/2), B-1)", {4, 3, false, false}, 3, 2, false, 4 * 270 + 950},
        {"many buttons hold the rows", {12, 8, false, false}, 8, 2, false, 9 * 270 + 950},
        {"DTR alone adds no button row to the height",
         {1, 0, true, false},
         1,
         1,
         false,
         270 + 1200},
        {"20 buttons", {20, 20, false, false}, 20, 1, false, 21 * 270 + 950},
        {"DTR alone keeps the button column", {5, 0, true, false}, 3, 2, false, 3 * 270 + 1200},
        {"Break alone keeps it too", {5, 0, false, true}, 3, 2, false, 3 * 270 + 1200},
        {"a field count out of range is held to 1..40",
         {0, 0, false, false},
         1,
         1,
         true,
         270 + 1200},
    };
    for (const ColumnCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RuntimeLayout l = ComputeRuntimeLayout(c.input);
        EXPECT_EQ(l.Rows, c.rows);
        EXPECT_EQ(l.Columns, c.columns);
        EXPECT_EQ(l.ShiftedLeft, c.shiftedLeft);
        EXPECT_EQ(l.Height, c.height);
        EXPECT_EQ(l.ClientHeight, c.height - kLayoutFrameTwips);
        EXPECT_EQ(l.Fields.size(), l.FieldLabels.size());
    }
}

// Field n > R stands 2880 twips right of field n - R, level with it; rows are 270 apart.
TEST(RuntimeLayout, SecondColumnStandsLevelWithTheFirst) {
    const RuntimeLayout one = ComputeRuntimeLayout({1, 0, false, false});
    ASSERT_EQ(one.Fields.size(), 1u);

    const RuntimeLayout two = ComputeRuntimeLayout({2, 0, false, false});
    EXPECT_EQ(two.Fields[1].Top, two.Fields[0].Top);
    EXPECT_EQ(two.Fields[1].Left - two.Fields[0].Left, kLayoutColumnTwips);

    const RuntimeLayout thirty = ComputeRuntimeLayout({30, 0, false, false});
    ASSERT_EQ(thirty.Fields.size(), 30u);
    for (int n = 1; n <= 15; ++n) {
        SCOPED_TRACE(n);
        const TwipRect& left = thirty.Fields[static_cast<size_t>(n - 1)];
        const TwipRect& right = thirty.Fields[static_cast<size_t>(n + 14)];
        EXPECT_EQ(right.Top, left.Top);
        EXPECT_EQ(right.Left - left.Left, kLayoutColumnTwips);
        if (n > 1) {
            EXPECT_EQ(left.Top - thirty.Fields[static_cast<size_t>(n - 2)].Top, kLayoutRowTwips);
        }
    }
    // The record rows stand under the longest column, inside the client area.
    EXPECT_GT(thirty.RecordNumber.Top, thirty.Fields[14].Top + thirty.Fields[14].Height - 1);
    EXPECT_EQ(thirty.DateTime.Top - thirty.RecordNumber.Top, kLayoutRowTwips);
    EXPECT_LE(thirty.DateTime.Top + thirty.DateTime.Height, thirty.ClientHeight);
}

// Without any button the field area and the record rows move left by the button column.
TEST(RuntimeLayout, NoButtonsShiftsTheFieldAreaLeft) {
    const RuntimeLayout bare = ComputeRuntimeLayout({3, 0, false, false});
    const RuntimeLayout withButton = ComputeRuntimeLayout({3, 1, false, false});
    const int shift = withButton.Fields[0].Left - bare.Fields[0].Left;
    EXPECT_GT(shift, withButton.StringButtons[0].Width);
    EXPECT_EQ(withButton.RecordNumber.Left - bare.RecordNumber.Left, shift);
    EXPECT_EQ(withButton.DateTime.Left - bare.DateTime.Left, shift);
    EXPECT_EQ(withButton.FieldsLabel.Left - bare.FieldsLabel.Left, shift);
    EXPECT_EQ(withButton.Width - bare.Width, shift);
    // Nothing of the fields overlaps the button column.
    EXPECT_GE(withButton.Fields[0].Left - 360,
              withButton.StringButtons[0].Left + withButton.StringButtons[0].Width);
}

// Visible string buttons take rows 270 apart from 90; DTR~ and Break take the row after them,
// narrowed to 645 side by side when both are shown.
TEST(RuntimeLayout, ButtonsFillRowsAndLineButtonsShareOne) {
    const RuntimeLayout l = ComputeRuntimeLayout({1, 3, true, true});
    ASSERT_EQ(l.StringButtons.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(l.StringButtons[static_cast<size_t>(i)].Top, 90 + i * 270);
    EXPECT_EQ(l.DtrButton.Top, 90 + 3 * 270);
    EXPECT_EQ(l.BreakButton.Top, l.DtrButton.Top);
    EXPECT_EQ(l.DtrButton.Width, 645);
    EXPECT_EQ(l.BreakButton.Width, 645);
    EXPECT_GE(l.BreakButton.Left, l.DtrButton.Left + l.DtrButton.Width);
    EXPECT_LE(l.BreakButton.Left + l.BreakButton.Width,
              l.StringButtons[0].Left + l.StringButtons[0].Width);

    const RuntimeLayout dtr = ComputeRuntimeLayout({1, 0, true, false});
    EXPECT_EQ(dtr.DtrButton.Top, 90);
    EXPECT_GT(dtr.DtrButton.Width, 645);
    EXPECT_EQ(dtr.BreakButton.Width, 0);

    const RuntimeLayout brk = ComputeRuntimeLayout({1, 0, false, true});
    EXPECT_EQ(brk.DtrButton.Width, 0);
    EXPECT_EQ(brk.BreakButton.Left, dtr.DtrButton.Left);
}

// Two-digit numbers start further left so that the right edges of all numbers line up.
TEST(RuntimeLayout, FieldNumbersStayRightAligned) {
    const RuntimeLayout l = ComputeRuntimeLayout({24, 0, false, false});
    const TwipRect& nine = l.FieldLabels[8];
    const TwipRect& ten = l.FieldLabels[9];
    EXPECT_LT(ten.Left, nine.Left);
    EXPECT_EQ(ten.Left + ten.Width, nine.Left + nine.Width);
    EXPECT_LT(ten.Left + ten.Width, l.Fields[9].Left);
    // The second column's labels (fields 13..24) line up with each other too.
    EXPECT_EQ(l.FieldLabels[12].Left + l.FieldLabels[12].Width,
              l.FieldLabels[23].Left + l.FieldLabels[23].Width);
}

TEST(RuntimeLayout, ReadOnlyBoxesPassOnlyMovingKeysOnKeyDown) {
    struct KeyCase {
        int vk;
        bool passes;
    };
    const KeyCase keys[] = {
        {0x09, true},  {0x23, true}, {0x24, true}, {0x25, true},
        {0x27, true},  {0x70, true}, {0x73, true}, {0x26, false},  // Up
        {0x28, false},                                             // Down
        {0x2E, false},                                             // Delete
        {0x08, false},                                             // Backspace
        {0x0D, false},                                             // Enter
        {0x41, false},                                             // A
        {0x71, false},                                             // F2
        {0x74, false},                                             // F5
        {0x20, false},                                             // Space
    };
    for (const KeyCase& k : keys) {
        SCOPED_TRACE(k.vk);
        EXPECT_EQ(ReadOnlyBoxPassesKey(BoxKeyEvent::Down, k.vk), k.passes);
        EXPECT_FALSE(ReadOnlyBoxPassesKey(BoxKeyEvent::Press, k.vk));
        EXPECT_FALSE(ReadOnlyBoxPassesKey(BoxKeyEvent::Up, k.vk));
    }
}

TEST(RuntimeLayout, CopyLinkNamesApplicationTopicAndItem) {
    EXPECT_EQ(CopyLinkText("COM1", FieldItemName(3)), "Quorvane|COM1!Field(3)");
    EXPECT_EQ(CopyLinkText("Scale A", "DateTime"), "Quorvane|Scale A!DateTime");
    EXPECT_EQ(FieldItemName(40), "Field(40)");
}

}  // namespace
}  // namespace quorvane
