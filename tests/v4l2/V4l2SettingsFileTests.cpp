// Save and Load on the fake kernel: a file saved from a V4L2 camera puts it back with exactly the
// control writes V4L2 needs, the automatic companion switched before the value it frees.
#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <iterator>

#include "tests/app/MainWindowHarness.h"
#include "tests/app/SettingsFileHarness.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"

namespace tavelo::v4l2test {
namespace {

using Strings = std::vector<std::string>;

Strings ControlWrites(const Strings& log) {
  Strings writes;
  std::copy_if(log.begin(), log.end(), std::back_inserter(writes),
               [](const std::string& line) { return line.rfind("S_CTRL", 0) == 0; });
  return writes;
}

class V4l2SettingsFileTest : public MainWindowTest {
 protected:
  SettingsFileSession files;
};

TEST_F(V4l2SettingsFileTest, ASavedCameraLoadsBackThroughTheControlWritesItNeeds) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  TFormMain& window = StartOn(rig.PlatformPointer());
  ClickEntry(window.ComboBoxCamera, 0);
  TTrackBar* brightness = Row(TFCameraProperty::Brightness).Controls.TrackBar;
  TTrackBar* exposure = Row(TFCameraProperty::Exposure).Controls.TrackBar;
  QCheckBox* exposureAuto = Row(TFCameraProperty::Exposure).Controls.CheckBox;
  brightness->SetValue(140);
  ClickCheckBox(exposureAuto);  // to manual
  exposure->SetValue(500);
  files.Save(window, QStringLiteral("webcam"));
  ASSERT_EQ(window.MessageLabel->text(), QStringLiteral("Settings saved"));

  brightness->SetValue(90);
  ClickCheckBox(exposureAuto);  // automatic again, and the camera picks its own exposure time
  fake.SetValue(V4L2_CID_EXPOSURE_ABSOLUTE, 300);
  rig.Kernel().ClearLog();
  files.Load(window, QStringLiteral("webcam"));
  // Switching to manual keeps the time the camera chose; the stored time comes after it, in row order.
  EXPECT_EQ(ControlWrites(rig.Kernel().LogText()),
            (Strings{"S_CTRL exposure_auto=1", "S_CTRL exposure_absolute=300", "S_CTRL brightness=140",
                     "S_CTRL exposure_absolute=500", "S_CTRL power_line_frequency=2"}));
  EXPECT_EQ(fake.Value(V4L2_CID_BRIGHTNESS), 140);
  EXPECT_EQ(fake.Value(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);
  EXPECT_EQ(fake.Value(V4L2_CID_EXPOSURE_ABSOLUTE), 500);
  EXPECT_FALSE(exposureAuto->isChecked());
  EXPECT_EQ(exposure->Value(), 500);
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

}  // namespace
}  // namespace tavelo::v4l2test
