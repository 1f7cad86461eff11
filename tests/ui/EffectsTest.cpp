#include <QGraphicsDropShadowEffect>
#include <QWidget>

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "ui/Effects.h"
#include "tests/ui/UiTestSupport.h"

namespace {

using tavelo::uitest::IsGrey;
using tavelo::uitest::PixelAt;

void Fill(QWidget& widget, const QColor& colour) {
  widget.setAutoFillBackground(true);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
}

// A black window with a coloured square (holding a child of another colour) in the middle: the effects
// go on the square; the window is grabbed, as the screen would show it.
class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(100, 100);
    Fill(window, Qt::black);
    square = new QWidget(&window);
    square->setGeometry(30, 30, 40, 40);
    Fill(*square, QColor(220, 40, 40));
    child = new QWidget(square);
    child->setGeometry(0, 0, 10, 10);
    Fill(*child, QColor(30, 60, 230));
  }

  QWidget window;
  QWidget* square = nullptr;
  QWidget* child = nullptr;
};

TEST_F(EffectsTest, MonochromeRendersTheWidgetAndItsChildrenInGreyWhileEnabled) {
  auto* effect = new TMonochromeEffect(square);
  square->setGraphicsEffect(effect);

  QPixmap picture = window.grab();
  const QColor body = PixelAt(picture, QPoint(50, 50));
  const QColor inner = PixelAt(picture, QPoint(35, 35));
  EXPECT_TRUE(IsGrey(body)) << body.name().toStdString();
  EXPECT_TRUE(IsGrey(inner)) << inner.name().toStdString();
  EXPECT_NEAR(body.red(), qGray(QColor(220, 40, 40).rgb()), 2);
  EXPECT_NE(body.red(), inner.red());  // tones survive: it is grey, not a flat fill

  effect->setEnabled(false);
  picture = window.grab();
  EXPECT_EQ(PixelAt(picture, QPoint(50, 50)), QColor(220, 40, 40));
  EXPECT_EQ(PixelAt(picture, QPoint(35, 35)), QColor(30, 60, 230));
}

TEST_F(EffectsTest, GlowLightsTheSurroundingsInItsColourOnlyWhileEnabled) {
  auto* glow = new TGlowEffect(square);
  glow->SetGlowColor(QColor(0, 255, 0));
  glow->SetSoftness(6);
  square->setGraphicsEffect(glow);

  QPixmap picture = window.grab();
  const QColor halo = PixelAt(picture, QPoint(27, 50));  // 3 px left of the square
  EXPECT_GT(halo.green(), 40);
  EXPECT_LT(halo.red(), 10);
  EXPECT_EQ(PixelAt(picture, QPoint(50, 50)), QColor(220, 40, 40));  // the widget itself is unchanged
  EXPECT_EQ(PixelAt(picture, QPoint(5, 5)), QColor(Qt::black));       // far away: untouched

  glow->SetOpacity(0.3);
  const QColor faint = PixelAt(window.grab(), QPoint(27, 50));
  EXPECT_LT(faint.green(), halo.green());

  glow->setEnabled(false);
  EXPECT_EQ(PixelAt(window.grab(), QPoint(27, 50)), QColor(Qt::black));
}

TEST(DropShadowTest, DirectionDistanceSoftnessAndOpacityAsDesigned) {
  QObject owner;
  auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(MakeDropShadow(&owner, Qt::white, 3, 45, 0.3, 0.6));
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->parent(), &owner);
  EXPECT_NEAR(shadow->xOffset(), 3 / std::sqrt(2.0), 1e-9);  // 45 degrees: down and to the right
  EXPECT_NEAR(shadow->yOffset(), 3 / std::sqrt(2.0), 1e-9);
  EXPECT_DOUBLE_EQ(shadow->blurRadius(), SoftnessToBlurRadius(0.3));
  EXPECT_NEAR(shadow->color().alphaF(), 0.6, 0.01);
  EXPECT_EQ(shadow->color().rgb(), QColor(Qt::white).rgb());

  std::unique_ptr<QGraphicsEffect> left(MakeDropShadow(nullptr, Qt::black, 2, 180, 0, 1));
  auto* leftShadow = static_cast<QGraphicsDropShadowEffect*>(left.get());
  EXPECT_NEAR(leftShadow->xOffset(), -2, 1e-9);
  EXPECT_NEAR(leftShadow->yOffset(), 0, 1e-9);
}

TEST(DropShadowTest, SoftnessMapsToPixelsAndRejectsNonsense) {
  EXPECT_DOUBLE_EQ(SoftnessToBlurRadius(0.7), 7);
  EXPECT_DOUBLE_EQ(SoftnessToBlurRadius(0), 0);
  EXPECT_DOUBLE_EQ(SoftnessToBlurRadius(-1), 0);
  EXPECT_DOUBLE_EQ(SoftnessToBlurRadius(std::nan("")), 0);
}

}  // namespace
