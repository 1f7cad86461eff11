// The main window on the fake kernel: its rows show what the webcam's published listing says, a slider
// move or an "Auto" click issues exactly the ioctls V4L2 needs, and a camera that misbehaves as real ones
// do (one unreadable control, refused writes, no permission, unplugged at start-up or in use) is
// explained once and leaves the window telling the truth.
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/ErrorReport.h"
#include "ui/ButtonImage.h"
#include "ui/Effects.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "camera/FCamera.h"
#include "tests/v4l2/ListingOracle.h"
#include "ui/TrackBar.h"
#include "app/Unit1.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "tests/v4l2/WindowOnFakeKernel.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::v4l2test {
namespace {
using Strings = std::vector<std::string>;

// What a user sees of a camera that cannot be used: blank grey rows, no frequency block, the status panel
// of a camera that is not configurable.
void ExpectNothingConfigurable(const TFormMain& window) {
  for (const TPropertyRow& row : window.PropertyRows()) {
    SCOPED_TRACE(row.Entry->Name().toStdString());
    EXPECT_TRUE(row.Controls.Monochrome->isEnabled());
    EXPECT_FALSE(row.Controls.TrackBar->isEnabled());
    EXPECT_EQ(row.Controls.ValueLabel->text(), " ");
  }
  EXPECT_TRUE(window.LayoutFrequency->isHidden());
  EXPECT_EQ(window.SupportLabel->text(), "Camera not configurable");
  EXPECT_TRUE(window.MonochromeEffect->isEnabled());
  EXPECT_FALSE(window.ButtonRead->isEnabled());
}

Strings Writes(const Strings& log) {
  Strings writes;
  std::copy_if(log.begin(), log.end(), std::back_inserter(writes),
               [](const std::string& line) { return line.rfind("S_CTRL", 0) == 0; });
  return writes;
}

class WindowRowsTest : public ::testing::TestWithParam<std::string> {};

TEST_P(WindowRowsTest, ShowTheRowsRangesAndAutoStatesOfTheListing) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(GetParam());
  rig.Plug(model);
  WindowOnFakeKernel ui(rig);
  ASSERT_EQ(ui.window->FCamera->DeviceName().toStdString(), model.card);

  for (const TPropertyRow& row : ui.window->PropertyRows()) {
    const TFPropertyInfo& info = PropertyInfo(row.Entry->Property);
    SCOPED_TRACE(GetParam() + " " + std::string(info.Name));
    const ExpectedRow expected = ExpectRow(model, info.Interface, info.Id);
    const TPropertyRowControls& controls = row.Controls;
    EXPECT_EQ(controls.Monochrome->isEnabled(), !expected.supported) << "a missing property stays grey";
    if (!expected.supported) {
      EXPECT_FALSE(controls.TrackBar->isEnabled());
      EXPECT_FALSE(controls.CheckBox->isEnabled());
      continue;
    }
    EXPECT_EQ(controls.TrackBar->Min(), expected.min);
    EXPECT_EQ(controls.TrackBar->Max(), expected.max);
    EXPECT_EQ(controls.TrackBar->Frequency(), expected.step);
    EXPECT_EQ(controls.TrackBar->Value(), expected.value);
    EXPECT_EQ(controls.CheckBox->isChecked(), expected.flags == 1);
    EXPECT_EQ(controls.CheckBox->isEnabled(), expected.caps == 3);
    EXPECT_EQ(controls.TrackBar->isEnabled(), expected.flags != 1);
  }
  const bool hasPowerLine = model.FindControl("power_line_frequency") != nullptr;
  EXPECT_EQ(ui.window->LayoutFrequency->isVisible(), hasPowerLine);
  EXPECT_TRUE(ui.notices.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Profiles, WindowRowsTest, ::testing::ValuesIn(WebcamProfileNames()), [](const auto& info) {
  std::string name = info.param;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

TEST(V4l2WindowTest, MovingASliderReadsTheModeAndWritesTheValueOnly) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel ui(rig);
  rig.Kernel().ClearLog();
  ui.Row(TFCameraProperty::Brightness).Controls.TrackBar->SetValue(140);
  EXPECT_EQ(rig.Kernel().LogText(), (Strings{"G_CTRL brightness", "S_CTRL brightness=140"}));
  EXPECT_EQ(fake.Value(V4L2_CID_BRIGHTNESS), 140);
}

TEST(V4l2WindowTest, UntickingAutoTurnsTheCompanionOffBeforeAnyValueIsWritten) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel ui(rig);
  const TPropertyRow& exposure = ui.Row(TFCameraProperty::Exposure);
  ASSERT_TRUE(exposure.Controls.CheckBox->isChecked());
  rig.Kernel().ClearLog();
  QTest::mouseClick(exposure.Controls.CheckBox, Qt::LeftButton);
  EXPECT_EQ(Writes(rig.Kernel().LogText()), (Strings{"S_CTRL exposure_auto=1", "S_CTRL exposure_absolute=250"}));
  EXPECT_EQ(fake.Value(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);
  EXPECT_FALSE(exposure.Controls.CheckBox->isChecked());
  EXPECT_TRUE(exposure.Controls.TrackBar->isEnabled());
  EXPECT_TRUE(ui.notices.isEmpty());

  // The slider now moves the exposure time itself.
  rig.Kernel().ClearLog();
  exposure.Controls.TrackBar->SetValue(500);
  EXPECT_EQ(rig.Kernel().LogText(),
            (Strings{"G_CTRL exposure_auto", "G_CTRL exposure_absolute", "G_CTRL exposure_auto", "S_CTRL exposure_absolute=500"}));

  // Ticking it again switches the camera back to automatic and writes no value.
  rig.Kernel().ClearLog();
  QTest::mouseClick(exposure.Controls.CheckBox, Qt::LeftButton);
  EXPECT_EQ(Writes(rig.Kernel().LogText()), (Strings{"S_CTRL exposure_auto=3"}));
  EXPECT_FALSE(exposure.Controls.TrackBar->isEnabled());
}

TEST(V4l2WindowTest, ACameraUnpluggedBetweenTwoCallsGivesAClearErrorNotACrash) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel ui(rig);
  TFCamera& camera = *ui.window->FCamera;
  EXPECT_EQ(camera.PropertyValue(TFCameraProperty::Brightness), 128);
  fake.Unplug();
  try {
    camera.PropertyValue(TFCameraProperty::Brightness);
    ADD_FAILURE() << "reading an unplugged camera succeeded";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("The camera was disconnected"));
    EXPECT_EQ(error.ErrorCode(), platform::v4l2::kResultDisconnected);
  }
}

const QString kHdWebcam = QStringLiteral("Simulated HD Webcam");
const QString kHdWebcamGone = QStringLiteral("Simulated HD Webcam was disconnected. The camera list has been updated.");

// A sysfs entry names a node that cannot be opened, as the kernel's does.
void DescribeInSysfs(V4l2TestRig& rig, const FakeCamera& camera, const std::string& name) {
  const std::filesystem::path entry =
      std::filesystem::path(rig.SysfsDirectory()) / std::filesystem::path(camera.Node()).filename();
  std::filesystem::create_directories(entry);
  std::ofstream(entry / "name") << name << "\n";
  std::ofstream(entry / "index") << "0\n";
}

TEST(V4l2WindowFaultTest, AnUnreadableControlBlanksOnlyItsOwnPartAndIsNamedOnce) {
  const struct {
    std::uint32_t control;
    const char* message;
  } cases[] = {
      {V4L2_CID_FOCUS_ABSOLUTE,
       "Focus could not be read: The camera did not carry out the request (input/output error)"},
      {V4L2_CID_POWER_LINE_FREQUENCY,
       "Power frequency could not be read: The camera did not carry out the request (input/output error)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    V4l2TestRig rig;
    const FakeCameraModel model = LoadWebcamProfile("hd-autofocus");
    rig.Plug(model).FailNext(VIDIOC_G_CTRL, EIO, 1000, c.control);
    WindowOnFakeKernel ui(rig);

    for (const TPropertyRow& row : ui.window->PropertyRows()) {
      const TFPropertyInfo& info = PropertyInfo(row.Entry->Property);
      SCOPED_TRACE(info.Name);
      const ExpectedRow expected = ExpectRow(model, info.Interface, info.Id);
      const bool unreadable = c.control == V4L2_CID_FOCUS_ABSOLUTE && row.Entry->Property == TFCameraProperty::Focus;
      const bool live = expected.supported && !unreadable;
      EXPECT_EQ(row.Controls.Monochrome->isEnabled(), !live);
      EXPECT_EQ(row.Controls.ValueLabel->text(), live ? QString::number(expected.value) : QStringLiteral(" "));
    }
    EXPECT_EQ(ui.window->LayoutFrequency->isHidden(), c.control == V4L2_CID_POWER_LINE_FREQUENCY);
    EXPECT_EQ(ui.window->MessageLabel->text(), c.message);
    EXPECT_EQ(ui.window->SupportLabel->text(), "Camera configurable");
    EXPECT_TRUE(ui.notices.isEmpty());
    EXPECT_TRUE(ui.reports.Messages().isEmpty());
  }
}

TEST(V4l2WindowFaultTest, AFirstCameraFailingAtStartUpStillLeavesAFinishedWindowAndIsExplainedOnce) {
  const struct {
    const char* what;
    std::function<void(V4l2TestRig&, FakeCamera&)> fault;
    QStringList listed;       // the camera list after start-up
    bool hdSelected;          // the failing camera is still the selected one
    bool configurable;        // its rows are live (all but the failing one)
    QString message;          // the status strip's message line
  } cases[] = {
      {"unplugged after it was listed",
       [](V4l2TestRig&, FakeCamera& hd) { hd.VanishAtRequest(VIDIOC_ENUM_FMT); },
       {"Simulated Laptop Camera"}, false, false, kHdWebcamGone},
      {"one control answers EIO",
       [](V4l2TestRig&, FakeCamera& hd) { hd.FailNext(VIDIOC_G_CTRL, EIO, 1000, V4L2_CID_FOCUS_ABSOLUTE); },
       {kHdWebcam, "Simulated Laptop Camera"}, true, true,
       "Focus could not be read: The camera did not carry out the request (input/output error)"},
      {"the user may not open it",
       [](V4l2TestRig& rig, FakeCamera& hd) {
         hd.DenyOpen(EACCES);
         DescribeInSysfs(rig, hd, "Simulated HD Webcam");
       },
       {kHdWebcam, "Simulated Laptop Camera"}, true, false,
       "No permission to open Simulated HD Webcam: add your user to the \"video\" group, then log in again"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    V4l2TestRig rig;
    FakeCamera& hd = rig.PlugProfile("hd-autofocus");
    rig.PlugProfile("laptop-camera");
    c.fault(rig, hd);
    WindowOnFakeKernel ui(rig, false);
    const TFormMain& window = *ui.window;

    EXPECT_EQ(window.windowTitle(), "Tavelo V3.1");
    EXPECT_EQ(window.StatusLabel->text(), " ");
    EXPECT_EQ(window.ComboBoxFrequency->Count(), 2);
    EXPECT_EQ(ui.CameraNames(), c.listed);
    EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), c.hdSelected ? 0 : -1);
    if (c.configurable) {
      EXPECT_EQ(window.SupportLabel->text(), "Camera configurable");
      EXPECT_EQ(ui.Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "128");
    } else {
      ExpectNothingConfigurable(window);
    }
    EXPECT_EQ(window.MessageLabel->text(), c.message);
    EXPECT_TRUE(ui.notices.isEmpty());
    EXPECT_TRUE(ui.reports.Messages().isEmpty()) << ui.reports.Messages().join('\n').toStdString();
    EXPECT_FALSE(window.SettingTrackBars);
  }
}

TEST(V4l2WindowFaultTest, NoPermissionIsExplainedWithItsFixWheneverThatCameraIsSelected) {
  V4l2TestRig rig;
  FakeCamera& denied = rig.PlugProfile("hd-autofocus");
  denied.DenyOpen(EACCES);
  DescribeInSysfs(rig, denied, "Simulated HD Webcam");
  rig.PlugProfile("laptop-camera");
  WindowOnFakeKernel ui(rig);
  TFormMain& window = *ui.window;
  const QString explained =
      "No permission to open Simulated HD Webcam: add your user to the \"video\" group, then log in again";
  ASSERT_EQ(window.MessageLabel->text(), explained);

  ui.Click(1);
  EXPECT_TRUE(window.MessageLabel->text().isEmpty()) << "the other camera has nothing to explain";
  EXPECT_EQ(window.SupportLabel->text(), "Camera configurable");

  ui.Click(0);
  EXPECT_EQ(window.MessageLabel->text(), explained);
  ExpectNothingConfigurable(window);
  // A status message shown meanwhile gives way to the explanation again when it clears.
  window.ShowStatusMessage("Nothing changed");
  window.MessageTimerTimer();
  EXPECT_EQ(window.MessageLabel->text(), explained);
  // The logo's rebuild selects it again, and says it again.
  QTest::mouseClick(window.Velmarlogo, Qt::LeftButton, {}, window.Velmarlogo->rect().center());
  EXPECT_EQ(window.MessageLabel->text(), explained);
  EXPECT_TRUE(ui.notices.isEmpty());
  EXPECT_TRUE(ui.reports.Messages().isEmpty());
}

TEST(V4l2WindowFaultTest, UsingAnUnpluggedCameraGivesOneNoticeAndDropsItFromTheListAtOnce) {
  const struct {
    const char* what;
    std::function<void(WindowOnFakeKernel&)> use;
  } cases[] = {
      {"slider moved", [](WindowOnFakeKernel& ui) { ui.Row(TFCameraProperty::Brightness).Controls.TrackBar->SetValue(10); }},
      {"Auto unticked",
       [](WindowOnFakeKernel& ui) {
         QTest::mouseClick(ui.Row(TFCameraProperty::Exposure).Controls.CheckBox, Qt::LeftButton);
       }},
      {"frequency picked", [](WindowOnFakeKernel& ui) { ui.ClickEntry(ui.window->ComboBoxFrequency, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    V4l2TestRig rig;
    FakeCamera& hd = rig.PlugProfile("hd-autofocus");
    rig.PlugProfile("laptop-camera");
    WindowOnFakeKernel ui(rig);
    ASSERT_EQ(ui.window->FCamera->DeviceName(), kHdWebcam);
    hd.Unplug();
    c.use(ui);

    EXPECT_EQ(ui.notices, QStringList{kHdWebcamGone}) << "one notice, and not the inconsistent-driver one";
    EXPECT_EQ(ui.CameraNames(), QStringList{"Simulated Laptop Camera"});
    ExpectNothingConfigurable(*ui.window);
    EXPECT_TRUE(ui.reports.Messages().isEmpty()) << ui.reports.Messages().join('\n').toStdString();
  }
}

TEST(V4l2WindowFaultTest, ARefusedSliderWriteShowsWhatTheCameraHoldsAndTheDriversReason) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel ui(rig);
  const TPropertyRowControls& brightness = ui.Row(TFCameraProperty::Brightness).Controls;
  fake.FailNext(VIDIOC_S_CTRL, EIO, 1, V4L2_CID_BRIGHTNESS);
  rig.Kernel().ClearLog();

  brightness.TrackBar->SetValue(200);

  EXPECT_EQ(fake.Value(V4L2_CID_BRIGHTNESS), 128);
  EXPECT_EQ(brightness.TrackBar->Value(), 128);
  EXPECT_EQ(brightness.ValueLabel->text(), "128");
  EXPECT_EQ(ui.window->MessageLabel->text(),
            "Brightness was not changed: The camera did not carry out the request (input/output error)");
  EXPECT_EQ(Writes(rig.Kernel().LogText()), (Strings{"S_CTRL brightness=200 -> EIO"})) << "nothing written back";
  EXPECT_TRUE(ui.notices.isEmpty());

  // The next move goes through as usual.
  brightness.TrackBar->SetValue(140);
  EXPECT_EQ(fake.Value(V4L2_CID_BRIGHTNESS), 140);
}

TEST(V4l2WindowFaultTest, ARefusedAutoOffLeavesTheBoxTickedWhileTheCameraStaysAutomatic) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel ui(rig);
  const TPropertyRowControls& exposure = ui.Row(TFCameraProperty::Exposure).Controls;
  ASSERT_TRUE(exposure.CheckBox->isChecked());
  fake.FailNext(VIDIOC_S_CTRL, EIO, 1000, V4L2_CID_EXPOSURE_AUTO);

  QTest::mouseClick(exposure.CheckBox, Qt::LeftButton);

  EXPECT_EQ(fake.Value(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
  EXPECT_TRUE(exposure.CheckBox->isChecked());
  EXPECT_FALSE(exposure.TrackBar->isEnabled());
  ASSERT_EQ(ui.notices.size(), 1);
  EXPECT_TRUE(ui.notices.first().startsWith("Tavelo detected an inconsistent cam driver implementation. "));
  EXPECT_EQ(ui.window->MessageLabel->text(),
            "Exposure was not changed: The camera did not carry out the request (input/output error)");
}

}  // namespace
}  // namespace tavelo::v4l2test
