// The keep-synchronised refresh on the fake kernel: a tick only reads the camera (a control another
// program changed shows, nothing is written back), and a camera unplugged since the last tick leaves the
// camera list.
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <linux/videodev2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/MainWindowHarness.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "ui/ListBox.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"

namespace tavelo::v4l2test {
namespace {

class V4l2RefreshTest : public MainWindowTest {
 protected:
  void Tick() { emit Window().RefreshTimer->Timer(Window().RefreshTimer); }
  V4l2TestRig rig_;
};

TEST_F(V4l2RefreshTest, AControlChangedByAnotherProgramShowsAfterOneTickAndNothingIsWritten) {
  FakeCamera& camera = rig_.PlugProfile("hd-autofocus");
  TFormMain& window = StartOn(rig_.PlatformPointer());
  ClickEntry(window.ComboBoxCamera, 0);
  ASSERT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "128");

  camera.SetValue(V4L2_CID_BRIGHTNESS, 90);
  camera.SetValue(V4L2_CID_FOCUS_AUTO, 0);
  rig_.Kernel().ClearLog();
  Tick();

  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "90");
  EXPECT_FALSE(Row(TFCameraProperty::Focus).Controls.CheckBox->isChecked());
  const std::vector<std::string> log = rig_.Kernel().LogText();
  EXPECT_FALSE(log.empty());
  for (const std::string& call : log) {
    EXPECT_TRUE(call.rfind("S_CTRL", 0) != 0 && call.rfind("S_EXT_CTRLS", 0) != 0 && call.rfind("S_FMT", 0) != 0)
        << call << " written by a tick";
  }
  EXPECT_EQ(camera.Value(V4L2_CID_BRIGHTNESS), 90);
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(V4l2RefreshTest, ACameraUnpluggedSinceTheLastTickLeavesTheList) {
  rig_.PlugProfile("hd-autofocus");
  FakeCamera& laptop = rig_.PlugProfile("laptop-camera");
  rig_.PlugProfile("vga-webcam");
  TFormMain& window = StartOn(rig_.PlatformPointer());
  ASSERT_EQ(window.ComboBoxCamera->Count(), 3);
  ClickEntry(window.ComboBoxCamera, 1);
  ASSERT_EQ(window.FCamera->DeviceName(), "Simulated Laptop Camera");

  laptop.Unplug();
  Tick();

  ASSERT_EQ(window.ComboBoxCamera->Count(), 2);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(0), "Simulated HD Webcam");
  EXPECT_EQ(window.ComboBoxCamera->ItemText(1), "Simulated VGA Webcam");
  EXPECT_EQ(window.FCamera->DeviceName(), "Simulated HD Webcam") << "the rebuilt list selects its first camera";
  EXPECT_EQ(window.SupportLevel, 2);
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

}  // namespace
}  // namespace tavelo::v4l2test
