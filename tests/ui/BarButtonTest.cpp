// The flat bar button ("Back to full"): its fill, the fill while held down, and its text colour.

#include <QPalette>

#include <gtest/gtest.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/BarButton.h"
#include "ui/ControlStyle.h"

namespace {

using tavelo::uitest::PixelAt;

TEST(BarButtonTest, FillsWithItsColourAndTheOtherWhileHeldDown) {
  const QColor fill(0xFF4B419A), pressed(0xFF242451);
  TBarButton button(nullptr, fill, pressed);
  button.setText(QStringLiteral("Back to full"));
  SetFontColor(&button, Qt::white);
  button.resize(300, 23);

  QPixmap picture = button.grab();
  EXPECT_EQ(PixelAt(picture, QPoint(3, 11)), fill);  // beside the text
  EXPECT_EQ(PixelAt(picture, QPoint(296, 2)), fill);
  bool whiteText = false;
  const QImage image = picture.toImage();
  for (int x = 0; x < image.width() && !whiteText; ++x)
    whiteText = image.pixelColor(x, image.height() / 2) == Qt::white;
  EXPECT_TRUE(whiteText) << "the text is drawn in the palette's text colour";

  button.setDown(true);
  picture = button.grab();
  EXPECT_EQ(PixelAt(picture, QPoint(3, 11)), pressed);
}

}  // namespace
