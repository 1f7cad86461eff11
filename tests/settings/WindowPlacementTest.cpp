// The window placement file: what a stored placement reads as, what a write leaves in the file, and where
// a window whose screen has gone is put.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "settings/IniFile.h"
#include "settings/WindowPlacement.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

class WindowPlacementFileTest : public ::testing::Test {
 protected:
  QString Path() const { return dir_.filePath(QStringLiteral("Tavelo.ini")); }
  QTemporaryDir dir_;
};

TEST_F(WindowPlacementFileTest, ReadsStoredEntriesWithTheirDefaults) {
  const struct {
    const char* name;
    const char* file;  // nullptr: no file at all
    TWindowPlacement expected;
  } cases[] = {
      {"NoFile", nullptr, {0, 0, 670, 740}},
      {"AllStored", "[Tavelo-Settings]\r\nHeight=600\r\nTop=40\r\nLeft=30\r\nwidth=800\r\n", {30, 40, 800, 600}},
      {"NegativeTopAndLeftComeBackAsZero", "[Tavelo-Settings]\r\nTop=-20\r\nLeft=-20\r\n", {0, 0, 670, 740}},
      {"FarPositionsKept", "[Tavelo-Settings]\r\nTop=5000\r\nLeft=5000\r\n", {5000, 5000, 670, 740}},
      {"KeysInAnyLetterCase", "[TAVELO-SETTINGS]\r\nWIDTH=900\r\nheight=500\r\n", {0, 0, 900, 500}},
      {"NoNumberTakesTheDefault", "[Tavelo-Settings]\r\nwidth=abc\r\nHeight=\r\nTop=-\r\n", {0, 0, 670, 740}},
      {"NumbersReadAsOnWindows", "[Tavelo-Settings]\r\nwidth=720px\r\nLeft=0x10\r\n", {16, 0, 720, 740}},
      {"OtherSectionsIgnored", "[Other]\r\nwidth=1\r\n[Tavelo-Settings]\r\nTop=7\r\n", {0, 7, 670, 740}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(Path());
    if (c.file) {
      ASSERT_TRUE(WriteBytes(Path(), c.file));
    }
    EXPECT_EQ(TWindowPlacementFile(Path()).Read(), c.expected);
  }
}

TEST_F(WindowPlacementFileTest, AFreshFileHoldsTheFourEntriesInWritingOrder) {
  TWindowPlacementFile(Path()).Write({-8, 5000, 1024, 740});
  EXPECT_EQ(ReadBytes(Path()), QByteArray("[Tavelo-Settings]\r\nHeight=740\r\nTop=5000\r\nLeft=-8\r\nwidth=1024\r\n"));
}

TEST_F(WindowPlacementFileTest, AWriteKeepsEveryOtherLineAndTheStoredSpelling) {
  ASSERT_TRUE(WriteBytes(Path(),
                         "; placed by hand\r\n[Tavelo-Settings]\r\nWIDTH=900\r\nTop=1\r\nNote=kept\r\n"
                         "[Mine]\r\nwidth=3\r\n"));
  TWindowPlacementFile(Path()).Write({10, 20, 700, 740});
  EXPECT_EQ(ReadBytes(Path()),
            QByteArray("; placed by hand\r\n[Tavelo-Settings]\r\nWIDTH=700\r\nTop=20\r\nNote=kept\r\nHeight=740\r\n"
                       "Left=10\r\n[Mine]\r\nwidth=3\r\n"));
}

TEST_F(WindowPlacementFileTest, AFileThatCannotBeWrittenRaisesItsPathAndStaysAsItWas) {
  // A folder that is a regular file: no user, the superuser included, can write beneath it.
  const QString blocker = dir_.filePath(QStringLiteral("blocker"));
  ASSERT_TRUE(WriteBytes(blocker, "not a folder"));
  const QString path = blocker + QStringLiteral("/Tavelo.ini");
  try {
    TWindowPlacementFile(path).Write({});
    ADD_FAILURE() << "the write did not fail";
  } catch (const EIniFileError& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("Unable to write to ") + path);
  }
  EXPECT_EQ(TWindowPlacementFile(path).Read(), TWindowPlacement{}) << "reading goes on with the defaults";
}

TEST(PlacedOnScreensTest, OnlyAWindowOutsideEveryScreenMovesToThePrimaryScreen) {
  const QRect primary(0, 0, 1920, 1080);
  const QRect right(1920, 0, 2560, 1440);
  const QRect farAway(4000, 4000, 1920, 1080);
  const struct {
    const char* name;
    QList<QRect> screens;
    TWindowPlacement stored, expected;
  } cases[] = {
      {"OnThePrimaryScreen", {primary}, {100, 50, 670, 740}, {100, 50, 670, 740}},
      {"PartlyBeyondTheRightEdge", {primary}, {1800, 900, 670, 740}, {1800, 900, 670, 740}},
      {"OnASecondScreen", {primary, right}, {3000, 200, 670, 740}, {3000, 200, 670, 740}},
      {"FarPositionCoveredByAScreen", {primary, farAway}, {5000, 5000, 670, 740}, {5000, 5000, 670, 740}},
      {"ItsScreenHasGone", {primary}, {3000, 200, 800, 600}, {0, 0, 800, 600}},
      {"BelowEveryScreen", {primary, right}, {100, 5000, 670, 740}, {0, 0, 670, 740}},
      {"JustTouchingNothing", {primary}, {1920, 0, 670, 740}, {0, 0, 670, 740}},
      {"ZeroSizeStillPlacedByItsCorner", {primary}, {10, 10, 0, 0}, {10, 10, 0, 0}},
      {"NoScreenAtAll", {}, {5000, 5000, 670, 740}, {5000, 5000, 670, 740}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlacedOnScreens(c.stored, c.screens, c.screens.isEmpty() ? QRect() : primary), c.expected);
  }
}

TEST(PlacedOnScreensTest, MovesOntoAPrimaryScreenThatIsNotAtTheOrigin) {
  const QRect left(-1280, 0, 1280, 1024);
  const QRect primary(0, 200, 1920, 1080);
  EXPECT_EQ(PlacedOnScreens({5000, 5000, 670, 740}, {left, primary}, primary), (TWindowPlacement{0, 200, 670, 740}));
}

}  // namespace
}  // namespace tavelo::settingstest
