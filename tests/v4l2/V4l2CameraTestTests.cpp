// The camera test on the fake kernel: every format of a webcam listing streams into the test window, from a
// single-planar webcam and from a multi-planar board camera whose planes carry bytes ahead of the picture.

#include <QElapsedTimer>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "camera/FCamera.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "tests/v4l2/WindowOnFakeKernel.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"
#include "ui/PaintBox.h"
#include "ui/Timer.h"

namespace tavelo::v4l2test {
namespace {

// The camera's newest frame once one of the format's size has arrived; empty after two seconds.
TFBitmap WaitForFrame(TFCamera& camera, const TFCameraFormat& format) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 2000) {
    QTest::qWait(20);
    try {
      TFBitmap frame = camera.CurrentImageToBitmap();
      if (frame.Width() == format.Width && frame.Height() == format.Height) return frame;
    } catch (const ECameraException&) {
      // nothing buffered yet
    }
  }
  return {};
}

struct Listing {
  const char* profile;
  std::uint32_t planeDataOffset;
  friend void PrintTo(const Listing& listing, std::ostream* out) { *out << listing.profile; }
};

class V4l2CameraTestTest : public ::testing::TestWithParam<Listing> {};

TEST_P(V4l2CameraTestTest, EveryFormatOfTheListingShowsItsFramesInTheTestWindow) {
  V4l2TestRig rig;
  FakeCameraModel model = LoadWebcamProfile(GetParam().profile);
  model.planeDataOffset = GetParam().planeDataOffset;
  rig.Plug(model);
  WindowOnFakeKernel ui(rig);
  TFormMain& window = *ui.window;
  const TFCameraFormats formats = window.FCamera->SupportedFormats();
  ASSERT_GE(formats.size(), 5u);
  bool sawMjpg = false;
  bool sawYuy2 = false;
  for (int index = 0; index < window.ComboBoxFormat->Count(); ++index) {
    const TFCameraFormat& format = formats[static_cast<std::size_t>(index)];
    SCOPED_TRACE(window.ComboBoxFormat->ItemText(index).toStdString());
    window.ComboBoxFormat->SetItemIndex(index);
    window.ButtonTestCamClick();
    ASSERT_TRUE(ui.live.isVisible());
    EXPECT_EQ(window.CameraTimer->Interval(), static_cast<int>(format.AvgTimePerFrame / 10000));

    const TFBitmap frame = WaitForFrame(*window.FCamera, format);
    ASSERT_FALSE(frame.Empty()) << "no frame arrived";
    // The paint draws the frame 1:1. Motion-JPEG frames of the fake kernel are all alike, so the
    // painted picture must be the frame itself, pixel for pixel.
    const QImage painted = window.PaintBox->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(painted.size(), QSize(format.Width, format.Height));
    if (format.Compression == TFFourCC{'M', 'J', 'P', 'G'}) {
      sawMjpg = true;
      for (const QPoint at : {QPoint(0, 0), QPoint(format.Width - 1, 0), QPoint(format.Width / 2, format.Height / 2),
                              QPoint(format.Width - 1, format.Height - 1)}) {
        EXPECT_EQ(painted.pixel(at) | 0xFF000000u, frame.Pixel(at.x(), at.y()) | 0xFF000000u)
            << at.x() << "," << at.y();
      }
      EXPECT_NE(painted.pixel(0, 0), painted.pixel(format.Width - 1, format.Height - 1));  // the ramp
    } else {
      sawYuy2 = true;
      // The fake fills a YUYV picture with one byte: a frame taken from the wrong place in the buffer
      // would start with the bytes ahead of it.
      EXPECT_EQ(frame.Pixel(0, 0), frame.Pixel(format.Width - 1, format.Height - 1));
    }
    window.ButtonTestCamClick();  // hides the window; the tick lets the camera go
    emit window.CameraTimer->Timer(window.CameraTimer);
    EXPECT_FALSE(window.FCamera->Active());
  }
  EXPECT_TRUE(sawMjpg);
  EXPECT_TRUE(sawYuy2);
  EXPECT_TRUE(ui.notices.isEmpty()) << ui.notices.join('\n').toStdString();
  EXPECT_TRUE(ui.reports.Messages().isEmpty()) << ui.reports.Messages().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Listings, V4l2CameraTestTest,
                         ::testing::Values(Listing{"laptop-camera", 0}, Listing{"board-camera-mplane", 4096}),
                         [](const auto& info) { return info.index == 0 ? "SinglePlanar" : "MultiPlanar"; });

}  // namespace
}  // namespace tavelo::v4l2test
