// Two cameras listed under one name, as two identical webcams without a serial number are: each entry of
// the camera list sets up its own camera, and the name stays the listed one.

#include <QLabel>

#include <gtest/gtest.h>

#include "ui/ListBox.h"
#include "ui/TrackBar.h"
#include "tests/app/MainWindowHarness.h"
#include "tests/support/ScriptedPlatform.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::ScriptedPlatform;

namespace {

constexpr auto Brightness = TFCameraProperty::Brightness;

class TwinCamerasTest : public MainWindowTest {
 protected:
  // Two simulated cameras with one name and their own paths (sim://twin-a.ini, sim://twin-b.ini).
  TFormMain& StartWithTwins() {
    const std::string brightness = "[VideoProcAmp.Brightness]\nMin=0\nMax=255\nDefault=128\nCapabilities=Manual\n";
    UseSimulated({WriteCamera("twin-a.ini", "Twin Webcam", brightness),
                  WriteCamera("twin-b.ini", "Twin Webcam", brightness)});
    return Start();
  }
  std::int32_t DriverBrightness(const std::string& path) { return DriverState(Simulated(), path, Brightness).value; }
};

TEST_F(TwinCamerasTest, ASliderOfTheSecondEntryChangesOnlyTheSecondCamera) {
  TFormMain& window = StartWithTwins();
  ASSERT_EQ(window.ComboBoxCamera->Count(), 2);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(0), window.ComboBoxCamera->ItemText(1));

  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.FCamera->DeviceName(), "Twin Webcam") << "the listed name, for messages and settings files";
  DragSlider(Row(Brightness).Controls.TrackBar, 200);
  const int moved = static_cast<int>(Row(Brightness).Controls.TrackBar->Value());
  ASSERT_NE(moved, 128);
  EXPECT_EQ(DriverBrightness("sim://twin-b.ini"), moved);
  EXPECT_EQ(DriverBrightness("sim://twin-a.ini"), 128);

  // Back on the first entry, the rows show the first camera, untouched, and its slider moves it alone.
  ClickEntry(window.ComboBoxCamera, 0);
  EXPECT_EQ(Row(Brightness).Controls.ValueLabel->text(), "128");
  DragSlider(Row(Brightness).Controls.TrackBar, 20);
  const int movedFirst = static_cast<int>(Row(Brightness).Controls.TrackBar->Value());
  EXPECT_EQ(DriverBrightness("sim://twin-a.ini"), movedFirst);
  EXPECT_EQ(DriverBrightness("sim://twin-b.ini"), moved);
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(TwinCamerasTest, EachEntryListsTheFormatsOfItsOwnCamera) {
  auto platform = std::make_shared<ScriptedPlatform>();
  platform->AddDevice(CameraSetup("Twin", "/dev/v4l/by-path/port-1"));  // three formats
  auto second = CameraSetup("Twin", "/dev/v4l/by-path/port-2");
  second.pins[0].mediaTypes.resize(1);
  platform->AddDevice(second);
  TFormMain& window = StartOn(platform);
  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.ComboBoxFormat->Count(), 1);
  ClickEntry(window.ComboBoxCamera, 0);
  EXPECT_EQ(window.ComboBoxFormat->Count(), 3);
}

TEST_F(TwinCamerasTest, ARebuiltListKeepsEachEntryBoundToItsDevice) {
  TFormMain& window = StartWithTwins();
  ClickEntry(window.ComboBoxCamera, 1);
  ClickLogo();  // several cameras: the first entry is selected again, and it is the first camera
  ASSERT_EQ(window.ComboBoxCamera->ItemIndex(), 0);
  EXPECT_EQ(window.FCamera->DevicePath(), "sim://twin-a.ini");
  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.FCamera->DevicePath(), "sim://twin-b.ini");
}

}  // namespace
