#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "ui/ButtonImage.h"
#include "tests/ui/UiTestSupport.h"

namespace {

using tavelo::uitest::CentreColour;
using tavelo::uitest::SolidPixmap;

const QColor kDesign(Qt::green);
const QColor kUp(Qt::red);
const QColor kDown(Qt::blue);

// A button with its own design picture and two source pictures elsewhere in the window.
class ButtonImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    up = new TImage(&window);
    up->SetBitmap(SolidPixmap(kUp));
    down = new TImage(&window);
    down->SetBitmap(SolidPixmap(kDown));
    button = new TButtonImage(&window);
    button->setGeometry(10, 10, 37, 33);
    button->SetBitmap(SolidPixmap(kDesign));
    button->SetImageUp(up);
    button->SetImageDown(down);
  }

  QColor Shown() const { return CentreColour(button->Bitmap()); }
  void Press() { QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }
  void Release(QPoint at = QPoint(5, 5)) { QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, at); }
  void Leave() {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
  }

  QWidget window;
  TImage* up = nullptr;
  TImage* down = nullptr;
  TButtonImage* button = nullptr;
};

TEST_F(ButtonImageTest, ShowsDesignPictureThenDownWhilePressedAndUpAfterwards) {
  QSignalSpy clicks(button, &TImage::Click);
  EXPECT_EQ(Shown(), kDesign);

  Press();
  EXPECT_EQ(Shown(), kDown);
  EXPECT_EQ(clicks.count(), 0);

  Release();
  EXPECT_EQ(Shown(), kUp);
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks.first().first().value<QObject*>(), button);
}

TEST_F(ButtonImageTest, ReleasedAgainBeforeTheClickIsReported) {
  QColor shownAtClick;
  QObject::connect(button, &TImage::Click, [&] { shownAtClick = Shown(); });
  Press();
  Release();
  EXPECT_EQ(shownAtClick, kUp);
}

TEST_F(ButtonImageTest, WithoutADownPictureTheCurrentOneStays) {
  button->SetImageDown(nullptr);
  Press();
  EXPECT_EQ(Shown(), kDesign);

  // A source that holds no picture counts as none: the button does not go blank.
  auto* empty = new TImage(&window);
  button->SetImageDown(empty);
  Press();
  EXPECT_EQ(Shown(), kDesign);
}

TEST_F(ButtonImageTest, LeavingRestoresTheUpPictureWhetherPressedOrNot) {
  Leave();
  EXPECT_EQ(Shown(), kUp);

  Press();
  Leave();
  EXPECT_EQ(Shown(), kUp);
}

TEST_F(ButtonImageTest, ReleaseOutsideRestoresButDoesNotClick) {
  QSignalSpy clicks(button, &TImage::Click);
  Press();
  Release(QPoint(100, 100));
  EXPECT_EQ(Shown(), kUp);
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonImageTest, PictureIsACopyTakenAtTheMouseEvent) {
  Press();
  Release();
  const QColor later(Qt::yellow);
  up->SetBitmap(SolidPixmap(later));
  EXPECT_EQ(Shown(), kUp);

  Leave();
  EXPECT_EQ(Shown(), later);
}

TEST_F(ButtonImageTest, InitializeShowsTheUpPicture) {
  button->Initialize();
  EXPECT_EQ(Shown(), kUp);
}

TEST_F(ButtonImageTest, DeletedSourcePictureIsNoLongerUsed) {
  delete up;
  EXPECT_EQ(button->ImageUp(), nullptr);
  Press();
  Release();
  EXPECT_EQ(Shown(), kDown);
}

TEST_F(ButtonImageTest, DisabledButtonNeitherChangesNorClicks) {
  QSignalSpy clicks(button, &TImage::Click);
  button->setEnabled(false);
  Press();
  Release();
  EXPECT_EQ(Shown(), kDesign);
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonImageTest, OnlyTheLeftButtonClicks) {
  QSignalSpy clicks(button, &TImage::Click);
  QTest::mouseClick(button, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
}

TEST(ImageTest, LoadIconRendersAtTheControlSizeAndAgainWhenResized) {
  TImage image;
  image.resize(35, 31);
  image.show();  // resize events reach shown controls only
  image.LoadIcon(QStringLiteral("prop_zoom"));
  ASSERT_FALSE(image.Bitmap().isNull());
  EXPECT_EQ(image.IconName(), QStringLiteral("prop_zoom"));
  QSizeF size = image.Bitmap().deviceIndependentSize();
  EXPECT_LE(size.width(), 35);
  EXPECT_EQ(size.height(), 31);  // square icon in a wider box: the height limits it

  image.resize(70, 62);
  size = image.Bitmap().deviceIndependentSize();
  EXPECT_EQ(size.height(), 62);

  image.SetBitmap(SolidPixmap(Qt::red));  // a plain bitmap is not re-rendered
  EXPECT_TRUE(image.IconName().isEmpty());
  image.resize(20, 20);
  EXPECT_EQ(image.Bitmap().size(), QSize(16, 16));
}

TEST(ImageTest, IconFollowsTheSizeEvenWhileHidden) {
  // A hidden control gets no resize events; its picture must still match the size it has when it is
  // asked for, as the pictures of a hidden store are.
  QWidget store;
  auto* image = new TImage(&store);
  image->resize(37, 33);
  image->LoadIcon(QStringLiteral("prop_zoom"));
  image->resize(70, 62);
  EXPECT_EQ(image->Bitmap().deviceIndependentSize().toSize(), QSize(62, 62));
  image->resize(37, 33);
  EXPECT_EQ(image->Bitmap().deviceIndependentSize().toSize(), QSize(33, 33));
}

TEST(ImageTest, IconIsThePictureAsAListIcon) {
  // The icon stands for QIcon(Bitmap()), taken when it is first used.
  QWidget store;
  auto* picture = new TImage(&store);
  picture->resize(26, 26);
  picture->LoadIcon(QStringLiteral("res_720"));
  const QIcon icon = picture->Icon();
  const QIcon plain(picture->Bitmap());
  EXPECT_FALSE(icon.isNull());
  EXPECT_EQ(icon.availableSizes(), plain.availableSizes());
  EXPECT_EQ(icon.actualSize(QSize(52, 26)), plain.actualSize(QSize(52, 26)));
  EXPECT_EQ(icon.pixmap(QSize(26, 26)).toImage(), plain.pixmap(QSize(26, 26)).toImage());
  EXPECT_EQ(icon.pixmap(QSize(26, 26), QIcon::Disabled).toImage(),
            plain.pixmap(QSize(26, 26), QIcon::Disabled).toImage());

  TImage empty;
  EXPECT_TRUE(empty.Icon().isNull()) << "a control without a picture gives no icon";
}

TEST(ImageTest, IconLoadedBeforeLayoutStillHasUsableResolution) {
  TImage image;
  image.resize(0, 0);
  image.LoadIcon(QStringLiteral("open"));
  EXPECT_GE(image.Bitmap().deviceIndependentSize().width(), 64);
}

TEST(ImageTest, DrawsTheBitmapFittedAndCentred) {
  QWidget window;
  window.resize(60, 40);
  auto* image = new TImage(&window);
  image->setGeometry(0, 0, 60, 40);
  image->SetBitmap(SolidPixmap(Qt::red, QSize(10, 10)));
  const QImage picture = window.grab().toImage();
  EXPECT_EQ(picture.pixelColor(30, 20), QColor(Qt::red));
  EXPECT_NE(picture.pixelColor(5, 20), QColor(Qt::red));  // aspect kept: no stretching to the sides
}

}  // namespace
