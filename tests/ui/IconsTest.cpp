#include <QDir>
#include <QFontInfo>
#include <QFontDatabase>
#include <QSet>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include "ui/Fonts.h"
#include "ui/Icons.h"

namespace {

struct Coverage {
  int opaque = 0;
  double meanLuminance = 0;  // of the opaque pixels, 0..255
};

Coverage Measure(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  Coverage coverage;
  double luminance = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor colour = image.pixelColor(x, y);
      if (colour.alpha() < 128) continue;
      ++coverage.opaque;
      luminance += qGray(colour.rgb());
    }
  if (coverage.opaque) coverage.meanLuminance = luminance / coverage.opaque;
  return coverage;
}

TEST(IconsTest, NamesAndResourcesAgree) {
  const QStringList names = TaveloIconNames();
  const QSet<QString> unique(names.begin(), names.end());
  EXPECT_EQ(unique.size(), names.size()) << "duplicate names";

  QSet<QString> files;
  IconPath(QString());  // makes sure the resources are registered
  for (const QString& file : QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}))
    files.insert(file.chopped(4));
  EXPECT_EQ(files, unique);
  EXPECT_EQ(IconPath(QStringLiteral("res_720")), QStringLiteral(":/icons/res_720.svg"));
}

TEST(IconsTest, EveryIconLoadsAndRendersVisiblyAtItsSize) {
  for (const QString& name : TaveloIconNames()) {
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(QSvgRenderer(IconPath(name)).isValid());
    EXPECT_EQ(TaveloIconSize(name), QSvgRenderer(IconPath(name)).defaultSize());

    const QPixmap pixmap = TaveloPixmap(name, QSize(35, 31));
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), QSize(35, 31));
    EXPECT_GT(Measure(pixmap).opaque, 35 * 31 / 20) << "hardly anything drawn";
  }
}

// Property icons sit on the white rows area and must be dark; the others sit on the dark window and must
// be light (the pressed button pictures are a tile in the accent colour with a light glyph).
TEST(IconsTest, IconsContrastWithTheirBackground) {
  for (const QString& name : TaveloIconNames()) {
    SCOPED_TRACE(name.toStdString());
    const Coverage coverage = Measure(TaveloPixmap(name, QSize(96, 96)));
    if (name.startsWith(QStringLiteral("prop_"))) {
      EXPECT_LT(coverage.meanLuminance, 150);
    } else if (!name.endsWith(QStringLiteral("down"))) {
      EXPECT_GT(coverage.meanLuminance, 150);
    }
  }
}

TEST(IconsTest, UnknownNameOrEmptySizeGivesNoPicture) {
  EXPECT_TRUE(TaveloPixmap(QStringLiteral("no_such_icon"), QSize(24, 24)).isNull());
  EXPECT_TRUE(TaveloPixmap(QStringLiteral("logo"), QSize(0, 80)).isNull());
  EXPECT_TRUE(TaveloIconSize(QStringLiteral("no_such_icon")).isEmpty());
}

TEST(IconsTest, FittedSizeKeepsThePicturesProportions) {
  const struct {
    const char* name;
    QSize box, fitted;
  } cases[] = {
      {"logo", {250, 80}, {250, 80}},        // its own size
      {"logo", {100, 100}, {100, 32}},       // wide: the width limits it
      {"prop_zoom", {35, 31}, {31, 31}},     // square in a wide box: the height limits it
      {"no_such_icon", {24, 20}, {24, 20}},  // unknown: the box itself
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QSize fitted = FittedIconSize(QString::fromLatin1(c.name), c.box);
    EXPECT_EQ(fitted, c.fitted);
    EXPECT_LE(fitted.width(), c.box.width());
    EXPECT_LE(fitted.height(), c.box.height());
    EXPECT_TRUE(fitted.width() == c.box.width() || fitted.height() == c.box.height()) << "fills one side";
  }
}

TEST(IconsTest, APictureIsRenderedOncePerSize) {
  const QPixmap first = TaveloPixmap(QStringLiteral("herz"), QSize(18, 18));
  EXPECT_EQ(TaveloPixmap(QStringLiteral("herz"), QSize(18, 18)).cacheKey(), first.cacheKey());
  const QPixmap larger = TaveloPixmap(QStringLiteral("herz"), QSize(36, 36));
  EXPECT_NE(larger.cacheKey(), first.cacheKey());
  EXPECT_EQ(larger.deviceIndependentSize().toSize(), QSize(36, 36));
}

TEST(IconsTest, WideIconKeepsItsAspectInsideTheBox) {
  // The logo is 250 x 80: in a square box it fills the width and is centred vertically.
  const QImage image = TaveloPixmap(QStringLiteral("logo"), QSize(100, 100)).toImage();
  const qreal ratio = image.devicePixelRatio();
  auto rowHasInk = [&](int logicalY) {
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, static_cast<int>(logicalY * ratio)).alpha() > 0) return true;
    return false;
  };
  EXPECT_FALSE(rowHasInk(5));
  EXPECT_TRUE(rowHasInk(50));
  EXPECT_FALSE(rowHasInk(95));
}

TEST(FontsTest, CalibriFallsBackToTheMetricCompatibleFont) {
  const QStringList families = QFontDatabase::families();
  if (families.contains(QStringLiteral("Calibri"), Qt::CaseInsensitive))
    GTEST_SKIP() << "Calibri itself is installed";
  if (!families.contains(QStringLiteral("Carlito"), Qt::CaseInsensitive))
    GTEST_SKIP() << "Carlito is not installed";

  InstallFontSubstitutions();
  InstallFontSubstitutions();  // idempotent
  const QStringList substitutes = QFont::substitutes(kWindowFontFamily);
  EXPECT_EQ(substitutes.filter(QStringLiteral("Carlito"), Qt::CaseInsensitive).size(), 1);
  EXPECT_EQ(QFontInfo(QFont(kWindowFontFamily, 14)).family(), QStringLiteral("Carlito"));
}

}  // namespace
