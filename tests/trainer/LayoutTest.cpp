#include <gtest/gtest.h>

#include "Layout.h"

TEST(Layout, RowHeightScalesFontHeightAndAddsSix) {
  EXPECT_EQ(layout::RowHeight(-13, 96), 19);
  EXPECT_EQ(layout::RowHeight(13, 96), 19);
  EXPECT_EQ(layout::RowHeight(-13, 120), 22);  // 16.25 rounds to 16
  EXPECT_EQ(layout::RowHeight(-10, 120), 18);  // 12.5 rounds to even 12
  EXPECT_EQ(layout::RowHeight(-14, 144), 27);
}

TEST(Layout, WordColumnsShareTheWidthLeftOfLessonColumn) {
  EXPECT_EQ(layout::WordColumnWidth(640), 252);
  EXPECT_EQ(layout::WordColumnWidth(800), 332);
  EXPECT_EQ(layout::WordColumnWidth(641), 253);
  EXPECT_EQ(layout::WordColumnWidth(100), -17);
}
