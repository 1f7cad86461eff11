// The main window's placement between runs: applied from the settings folder's "Tavelo.ini" while the
// window is created, written when it closes, and never a reason for the window to stay open.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include "settings/WindowPlacement.h"
#include "tests/app/MainWindowHarness.h"

namespace {

class PlacementFileTest : public MainWindowTest {
 protected:
  QString PlacementPath() const { return SettingsDirectory() + QStringLiteral("/Tavelo.ini"); }
  void StorePlacement(const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(SettingsDirectory()));
    QFile file(PlacementPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  QByteArray StoredPlacement() const {
    QFile file(PlacementPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
};

TEST_F(PlacementFileTest, StoredPlacementIsAppliedToTheWholeWindow) {
  const struct {
    const char* name;
    const char* file;  // nullptr: the first start, no file
    QRect expected;
  } cases[] = {
      {"FirstStartWithoutAFile", nullptr, QRect(0, 0, 670, 740)},
      {"StoredPlace", "[Tavelo-Settings]\r\nTop=40\r\nLeft=30\r\nwidth=700\r\n", QRect(30, 40, 700, 740)},
      {"NegativeTopAndLeftComeBackAsZero", "[Tavelo-Settings]\r\nTop=-20\r\nLeft=-20\r\n", QRect(0, 0, 670, 740)},
      {"WidthTypedInCapitals", "[Tavelo-Settings]\r\nWIDTH=800\r\n", QRect(0, 0, 800, 740)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(PlacementPath());
    if (c.file) StorePlacement(c.file);
    TFormMain& window = Start();
    EXPECT_EQ(window.frameGeometry(), c.expected);
  }
}

TEST_F(PlacementFileTest, AWindowWhoseScreenHasGoneOpensOnThePrimaryScreenWithItsSize) {
  const QRect primary = QGuiApplication::primaryScreen()->geometry();
  StorePlacement("[Tavelo-Settings]\r\nTop=50000\r\nLeft=50000\r\nwidth=700\r\n");
  TFormMain& window = Start();
  EXPECT_EQ(window.frameGeometry().topLeft(), primary.topLeft());
  EXPECT_EQ(window.frameGeometry().width(), 700);
}

TEST_F(PlacementFileTest, ClosingWritesThePlacementAndKeepsWhatElseTheFileHolds) {
  StorePlacement("[Mine]\r\nwidth=1\r\n[Tavelo-Settings]\r\nwidth=700\r\n");
  TFormMain& window = Start();
  window.move(30, 40);
  ASSERT_TRUE(window.close());
  EXPECT_EQ(StoredPlacement(),
            QByteArray("[Mine]\r\nwidth=1\r\n[Tavelo-Settings]\r\nwidth=700\r\nHeight=740\r\nTop=40\r\nLeft=30\r\n"));
  EXPECT_EQ(TWindowPlacementFile(PlacementPath()).Read(), (TWindowPlacement{30, 40, 700, 740}));
}

TEST_F(PlacementFileTest, APlacementThatCannotBeWrittenIsReportedAndTheWindowClosesAnyway) {
  // The settings folder is a regular file: neither it nor the placement file can be made.
  QFile blocker(SettingsDirectory());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << blocker.errorString().toStdString();
  blocker.close();
  TFormMain& window = Start();
  EXPECT_EQ(window.frameGeometry(), QRect(0, 0, 670, 740)) << "start-up goes on with the defaults";

  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(reports->Messages(), QStringList{QStringLiteral("Unable to write to ") + PlacementPath()});
}

}  // namespace
