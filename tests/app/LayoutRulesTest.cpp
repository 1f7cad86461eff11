// The main window's size rules on their own: the window tests show them applied to the widgets.

#include <gtest/gtest.h>

#include <ostream>

#include "app/LayoutRules.h"

void PrintTo(const TShownParts& shown, std::ostream* os) {
  *os << "{column " << shown.LeftColumn << ", auto " << shown.AutoBoxes << ", value " << shown.ValueBoxes
      << ", name " << shown.NameLabels << "}";
}

namespace {

TEST(LayoutRules, EachWidthBandShowsOneMorePartOfTheRows) {
  const struct {
    int width;
    TShownParts shown;
  } cases[] = {
      {0, {false, false, false, false}},    {299, {false, false, false, false}}, {300, {true, false, false, false}},
      {449, {true, false, false, false}},   {450, {true, true, false, false}},   {549, {true, true, false, false}},
      {550, {true, true, true, false}},     {649, {true, true, true, false}},    {650, {true, true, true, true}},
      {kBackToFullWidth, {true, true, true, true}},
  };
  for (const auto& c : cases) EXPECT_EQ(PartsShownAt(c.width), c.shown) << "outer width " << c.width;
}

TEST(LayoutRules, CameraListGrowsUntilItPasses182) {
  const int heights[] = {2, 46, 90, 134, 178, 222, 222, 222};
  for (int cameras = 0; cameras < static_cast<int>(std::size(heights)); ++cameras) {
    EXPECT_EQ(CameraListHeight(cameras), heights[cameras]) << cameras << " cameras";
  }
}

TEST(LayoutRules, FormatListHoldsItsEntriesPlusFiveUpTo154) {
  const struct {
    int formats;
    int height;
  } cases[] = {{0, 0}, {1, 35}, {2, 65}, {4, 125}, {5, 154}, {6, 154}, {40, 154}};
  for (const auto& c : cases) EXPECT_EQ(FormatListHeight(c.formats), c.height) << c.formats << " formats";
}

}  // namespace
