// Questions and notices over the main window, and the status message that clears itself.

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/app/MainWindowHarness.h"
#include "ui/MessageUnit.h"
#include "ui/Timer.h"

namespace {

TEST_F(MainWindowTest, QuestionsAndNoticesStandCentredOverTheMainWindow) {
  TFormMain& window = Start();
  ResizeOuterWidth(734);
  window.move(100, 50);
  QCoreApplication::processEvents();
  const QRect main = window.frameGeometry();

  answer = 1;
  EXPECT_TRUE(window.MessageDlgSimple("Overwrite file \"a.vcs\""));
  answer = 2;
  EXPECT_FALSE(window.MessageDlgSimple("Reset settings for Cam"));
  answer = 1;
  EXPECT_TRUE(window.ShowMessageSimple("Notice"));

  EXPECT_EQ(notices, QStringList({"Overwrite file \"a.vcs\"", "Reset settings for Cam", "Notice"}));
  EXPECT_EQ(noticeCaptions, QStringList({"Confirm", "Confirm", "Information"}));
  for (const QRect& frame : noticeFrames) {
    EXPECT_EQ(frame.left(), CentredCoordinate(main.left(), main.width(), frame.width()));
    EXPECT_EQ(frame.top(), CentredCoordinate(main.top(), main.height(), frame.height()));
  }
}

TEST_F(MainWindowTest, StatusMessageClears4000MillisecondsAfterTheFirstOfARow) {
  TFormMain& window = Start();
  QElapsedTimer clock;
  window.ShowStatusMessage("Settings saved");
  clock.start();
  EXPECT_EQ(window.MessageLabel->text(), "Settings saved");
  EXPECT_EQ(window.MessageTimer->Interval(), 4000);

  QTest::qWait(1500);
  window.ShowStatusMessage("Nothing saved");
  EXPECT_EQ(window.MessageLabel->text(), "Nothing saved") << "a second message replaces the first at once";

  QTest::qWait(3500 - static_cast<int>(clock.elapsed()));
  EXPECT_EQ(window.MessageLabel->text(), "Nothing saved");
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.MessageLabel->text().isEmpty(); }, 2000));
  EXPECT_GE(clock.elapsed(), 3990) << "the countdown of the first message";
  EXPECT_LT(clock.elapsed(), 5000) << "not restarted by the second";
  EXPECT_EQ(window.MessageTimer->Interval(), 0);

  window.ShowStatusMessage("");
  EXPECT_TRUE(window.MessageTimer->IsCounting()) << "an empty message still runs the countdown";
}

}  // namespace
