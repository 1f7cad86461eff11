// Two identical webcams without a serial number on the fake kernel: one card name, so one entry text in
// the camera list, and each entry sets up its own camera.

#include <linux/videodev2.h>

#include <gtest/gtest.h>

#include "camera/FCamera.h"
#include "tests/app/MainWindowHarness.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"

namespace tavelo::v4l2test {
namespace {

constexpr auto Brightness = TFCameraProperty::Brightness;

class V4l2TwinCamerasTest : public MainWindowTest {
 protected:
  // Drags the brightness slider to a fraction of its range and answers the value it then shows.
  std::int32_t MoveBrightness(double fraction) {
    TTrackBar* slider = Row(Brightness).Controls.TrackBar;
    DragSlider(slider, slider->Min() + (slider->Max() - slider->Min()) * fraction);
    return static_cast<std::int32_t>(slider->Value());
  }

  V4l2TestRig rig;
};

TEST_F(V4l2TwinCamerasTest, EachEntryOfTwoIdenticalWebcamsSetsUpItsOwnCamera) {
  FakeCameraModel first = LoadWebcamProfile("hd-autofocus");
  // Without a serial number udev gives both cameras one by-id name, whose link then leads to the newer
  // one only, and to the other after a re-plug; the by-path links, named after the USB ports, tell the
  // two apart for good.
  first.byIdName = "usb-Simulated_HD_Webcam-video-index0";
  FakeCameraModel second = first;
  second.busInfo = "usb-0000:00:14.0-2";
  second.byPathName = "pci-0000:00:14.0-usb-0:2:1.0-video-index0";
  FakeCamera& cameraA = rig.Plug(first);
  FakeCamera& cameraB = rig.Plug(second);
  const std::int32_t initial = cameraA.Value(V4L2_CID_BRIGHTNESS);
  ASSERT_EQ(cameraB.Value(V4L2_CID_BRIGHTNESS), initial);

  TFormMain& window = StartOn(rig.PlatformPointer());
  ASSERT_EQ(window.ComboBoxCamera->Count(), 2);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(0).toStdString(), first.card);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(1).toStdString(), first.card);

  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.FCamera->DeviceName().toStdString(), first.card);
  EXPECT_TRUE(window.FCamera->DevicePath().endsWith(QString::fromStdString(second.byPathName)));
  const std::int32_t movedB = MoveBrightness(0.75);
  ASSERT_NE(movedB, initial);
  EXPECT_EQ(cameraB.Value(V4L2_CID_BRIGHTNESS), movedB);
  EXPECT_EQ(cameraA.Value(V4L2_CID_BRIGHTNESS), initial);

  // The first entry shows the first camera, untouched, and moves it alone.
  ClickEntry(window.ComboBoxCamera, 0);
  EXPECT_TRUE(window.FCamera->DevicePath().endsWith(QString::fromStdString(first.byPathName)));
  EXPECT_EQ(Row(Brightness).Controls.TrackBar->Value(), initial);
  const std::int32_t movedA = MoveBrightness(0.25);
  ASSERT_NE(movedA, initial);
  EXPECT_EQ(cameraA.Value(V4L2_CID_BRIGHTNESS), movedA);
  EXPECT_EQ(cameraB.Value(V4L2_CID_BRIGHTNESS), movedB);
  EXPECT_TRUE(reports->Messages().isEmpty());
  EXPECT_TRUE(notices.isEmpty());
}

}  // namespace
}  // namespace tavelo::v4l2test
