#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/Timer.h"

namespace {

// Intervals are long enough that a busy machine does not blur the difference between "kept its
// deadline" and "started again".
constexpr int kInterval = 300;

TEST(TimerTest, IntervalZeroIsIdleEvenWhenEnabled) {
  TTimer timer(nullptr, 0, true);
  QSignalSpy ticks(&timer, &TTimer::Timer);
  EXPECT_FALSE(timer.IsCounting());
  QTest::qWait(60);
  EXPECT_EQ(ticks.count(), 0);

  timer.SetInterval(-20);  // no negative intervals: still idle
  EXPECT_EQ(timer.Interval(), 0);
  EXPECT_FALSE(timer.IsCounting());
}

TEST(TimerTest, NonZeroIntervalTicksRepeatedlyWithItselfAsSender) {
  TTimer timer(nullptr, 0, true);
  QSignalSpy ticks(&timer, &TTimer::Timer);
  timer.SetInterval(20);
  EXPECT_TRUE(timer.IsCounting());
  EXPECT_TRUE(ticks.wait(2000));
  EXPECT_TRUE(ticks.wait(2000));
  EXPECT_EQ(ticks.first().first().value<QObject*>(), &timer);

  timer.SetInterval(0);  // back to idle
  const int seen = ticks.count();
  QTest::qWait(80);
  EXPECT_EQ(ticks.count(), seen);
}

TEST(TimerTest, SettingTheSameIntervalKeepsTheRunningCountdown) {
  TTimer timer(nullptr, 0, true);
  QSignalSpy ticks(&timer, &TTimer::Timer);
  QElapsedTimer clock;
  clock.start();
  timer.SetInterval(kInterval);
  QTest::qWait(kInterval * 2 / 3);
  timer.SetInterval(kInterval);

  ASSERT_TRUE(ticks.wait(5000));
  // A restart would have put the first tick at 5/3 of the interval.
  EXPECT_LT(clock.elapsed(), kInterval * 3 / 2);
}

TEST(TimerTest, ANewIntervalStartsAFreshCountdown) {
  TTimer timer(nullptr, 0, true);
  QSignalSpy ticks(&timer, &TTimer::Timer);
  QElapsedTimer clock;
  clock.start();
  timer.SetInterval(kInterval);
  QTest::qWait(kInterval * 2 / 3);
  timer.SetInterval(kInterval - 1);

  ASSERT_TRUE(ticks.wait(5000));
  EXPECT_GE(clock.elapsed(), kInterval * 2 / 3 + kInterval - 1);
}

TEST(TimerTest, DisabledTimerWaitsUntilEnabled) {
  TTimer timer(nullptr, 20, false);
  QSignalSpy ticks(&timer, &TTimer::Timer);
  EXPECT_FALSE(timer.IsCounting());
  QTest::qWait(80);
  EXPECT_EQ(ticks.count(), 0);

  timer.SetEnabled(true);
  EXPECT_TRUE(ticks.wait(2000));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.IsCounting());
}

}  // namespace
