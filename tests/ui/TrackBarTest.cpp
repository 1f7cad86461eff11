#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <climits>
#include <cmath>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "ui/TrackBar.h"

namespace {

class TrackBarTest : public ::testing::Test {
 protected:
  // The order the window logic uses when it loads a camera's range.
  void Configure(double min, double max, double step, double value) {
    bar.SetMin(min);
    bar.SetMax(max);
    bar.SetFrequency(step);
    bar.SetValue(value);
  }

  // A drag as the mouse does it: the handle is held down and moved through positions.
  void Drag(std::initializer_list<int> positions) {
    bar.Slider()->setSliderDown(true);
    for (int position : positions) bar.Slider()->setSliderPosition(position);
    bar.Slider()->setSliderDown(false);
  }

  TTrackBar bar;
  QSignalSpy changed{&bar, &TTrackBar::Changed};
};

TEST_F(TrackBarTest, UserDragRaisesChangedForEveryIntermediateValue) {
  Configure(0, 255, 1, 0);
  changed.clear();

  Drag({10, 11, 128});

  EXPECT_EQ(bar.Value(), 128);
  ASSERT_EQ(changed.count(), 3);
  EXPECT_EQ(changed.first().first().value<TTrackBar*>(), &bar);
}

TEST_F(TrackBarTest, UserKeysMoveByTheStep) {
  Configure(-100, 100, 5, 0);
  bar.show();
  changed.clear();

  QTest::keyClick(bar.Slider(), Qt::Key_Right);
  EXPECT_EQ(bar.Value(), 5);
  QTest::keyClick(bar.Slider(), Qt::Key_End);
  EXPECT_EQ(bar.Value(), 100);
  QTest::keyClick(bar.Slider(), Qt::Key_Right);  // already at the end: no change
  EXPECT_EQ(changed.count(), 2);
}

TEST_F(TrackBarTest, CodeSetRaisesOnlyOnRealChange) {
  Configure(0, 255, 1, 40);
  changed.clear();

  bar.SetValue(41);
  bar.SetValue(41);
  bar.SetMin(0);  // unchanged range: nothing
  bar.SetMax(255);
  bar.SetFrequency(1);

  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(bar.Slider()->value(), 41);
}

TEST_F(TrackBarTest, RealValueIsKeptAndShownAtTheNearestPosition) {
  Configure(0, 255, 1, 12.7);
  EXPECT_DOUBLE_EQ(bar.Value(), 12.7);
  EXPECT_EQ(bar.Slider()->value(), 13);

  changed.clear();
  bar.SetValue(12.7);
  EXPECT_EQ(changed.count(), 0);

  bar.SetValue(-3.5);  // below the range: the minimum
  EXPECT_EQ(bar.Value(), 0);
}

struct ClampCase {
  const char* name;
  double startMin, startMax, startValue;
  double newMin, newMax;
  double expectedValue;
  int expectedChanges;  // raised by SetMin/SetMax alone
};

void PrintTo(const ClampCase& c, std::ostream* os) { *os << c.name; }

class TrackBarClampTest : public TrackBarTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(TrackBarClampTest, ValueStaysInsideTheRangeAndRaisesWhenItMoves) {
  const ClampCase& c = GetParam();
  Configure(c.startMin, c.startMax, 1, c.startValue);
  changed.clear();

  bar.SetMin(c.newMin);
  bar.SetMax(c.newMax);

  EXPECT_EQ(bar.Value(), c.expectedValue);
  EXPECT_EQ(changed.count(), c.expectedChanges);
  EXPECT_LE(bar.Min(), bar.Max());
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, TrackBarClampTest,
    ::testing::Values(ClampCase{"NewRangeAroundValue", 0, 255, 30, -64, 64, 30, 0},
                      ClampCase{"WiderRangeKeepsValue", 0, 10, 5, -64, 64, 5, 0},
                      ClampCase{"MaxNarrowsBelowValue", 0, 255, 200, 0, 100, 100, 1},
                      // A new minimum above the old maximum carries the maximum along first.
                      ClampCase{"RangeMovesUpPastOldMax", 0, 10, 5, 100, 200, 100, 1},
                      ClampCase{"RangeMovesDownPastOldMin", 100, 200, 150, -50, 50, 50, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrackBarTest, CameraRangeLoadedInOrderRaisesOnceForTheValue) {
  Configure(0, 10, 1, 5);
  changed.clear();

  Configure(-64, 64, 1, -10);

  EXPECT_EQ(bar.Value(), -10);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(bar.Slider()->value(), 54);
}

TEST_F(TrackBarTest, StepThatDoesNotDivideTheRangeStillReachesTheMaximum) {
  Configure(0, 10, 3, 0);
  Drag({bar.Slider()->maximum()});
  EXPECT_EQ(bar.Value(), 10);
  Drag({1});
  EXPECT_EQ(bar.Value(), 3);
}

TEST_F(TrackBarTest, StepZeroDoesNotSnap) {
  Configure(0, 1, 0, 0);
  Drag({bar.Slider()->maximum() / 4});
  EXPECT_DOUBLE_EQ(bar.Value(), 0.25);
}

TEST_F(TrackBarTest, FullIntRangeMapsOntoSliderPositions) {
  Configure(INT_MIN, INT_MAX, 1, 0);
  EXPECT_GT(bar.Slider()->maximum(), 0);
  Drag({bar.Slider()->maximum()});
  EXPECT_EQ(bar.Value(), INT_MAX);
  Drag({0});
  EXPECT_EQ(bar.Value(), INT_MIN);
}

TEST_F(TrackBarTest, NonFiniteInputIsIgnored) {
  Configure(0, 100, 1, 50);
  changed.clear();

  bar.SetValue(std::nan(""));
  bar.SetMin(std::nan(""));
  bar.SetMax(INFINITY);
  bar.SetFrequency(std::nan(""));

  EXPECT_EQ(bar.Value(), 50);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 100);
  EXPECT_EQ(bar.Frequency(), 0);  // no step: no snapping
  EXPECT_EQ(changed.count(), 0);
}

TEST_F(TrackBarTest, DrawScaleEnlargesTheSliderButKeepsItStretchable) {
  bar.SetDrawScale(1);
  const QSize plain = bar.minimumSizeHint();
  bar.SetDrawScale(1.3);
  const QSize scaled = bar.minimumSizeHint();

  EXPECT_DOUBLE_EQ(bar.DrawScale(), 1.3);
  EXPECT_GT(scaled.height(), plain.height());
  EXPECT_LE(scaled.height(), 35);  // still fits a property row
  EXPECT_EQ(bar.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
}

}  // namespace
