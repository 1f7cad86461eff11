// Instant sync on the fake kernel: the selected camera's control events reach its rows between the
// refresh's ticks, with nothing written back, and plug or unplug heard from the device monitor rebuilds
// the camera list at once. The refresh timer is stopped in the window tests, so whatever shows came
// through the events alone.
#include <linux/videodev2.h>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "tests/app/MainWindowHarness.h"
#include "tests/v4l2/ScriptedDeviceHotplug.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "ui/ListBox.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"

namespace tavelo::v4l2test {
namespace {

using platform::ChangedProperty;
using platform::IControlEvents;
using platform::Iid;
using Notice = ScriptedDeviceHotplug::Notice;

// The refresh timer is stopped, so whatever shows by then came through the events; the margin over the
// second a user waits is for sanitizer runs on a loaded machine.
constexpr int kPromptly = 3000;

std::vector<std::string> Writes(const std::vector<std::string>& log) {
  std::vector<std::string> writes;
  for (const std::string& call : log)
    if (call.rfind("S_CTRL", 0) == 0 || call.rfind("S_EXT_CTRLS", 0) == 0 || call.rfind("S_FMT", 0) == 0)
      writes.push_back(call);
  return writes;
}

// ---- The backend's control events ---------------------------------------------------------------------

class V4l2ControlEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    camera_ = &rig_.PlugProfile("hd-autofocus");
    bound_ = rig_.Bind("Simulated HD Webcam");
    ASSERT_TRUE(platform::Succeeded(platform::QueryInterfaceAs(bound_.filter, events_)));
  }
  std::vector<ChangedProperty> Take() {
    std::vector<ChangedProperty> changed;
    EXPECT_EQ(events_->TakeChangedProperties(changed), platform::kOk);
    return changed;
  }
  V4l2TestRig rig_;
  FakeCamera* camera_ = nullptr;
  BoundCamera bound_;
  std::shared_ptr<IControlEvents> events_;
};

struct OutsideChange {
  const char* name;
  std::vector<std::pair<std::uint32_t, std::int32_t>> changes;  // control, value
  std::vector<std::pair<Iid, std::int32_t>> expected;           // each property once, in arrival order
};

TEST_F(V4l2ControlEventsTest, ChangesFromOutsideNameTheirPropertiesOnce) {
  const OutsideChange cases[] = {
      {"value", {{V4L2_CID_BRIGHTNESS, 90}}, {{Iid::AMVideoProcAmp, platform::VideoProcAmp_Brightness}}},
      {"automatic mode", {{V4L2_CID_FOCUS_AUTO, 0}}, {{Iid::AMCameraControl, platform::CameraControl_Focus}}},
      // The mode and the value it unlocks are one property; so are repeated changes of one control.
      {"mode, then value, twice",
       {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
        {V4L2_CID_EXPOSURE_ABSOLUTE, 400},
        {V4L2_CID_EXPOSURE_ABSOLUTE, 500}},
       {{Iid::AMCameraControl, platform::CameraControl_Exposure}}},
      {"two properties",
       {{V4L2_CID_CONTRAST, 10}, {V4L2_CID_BRIGHTNESS, 20}},
       {{Iid::AMVideoProcAmp, platform::VideoProcAmp_Contrast},
        {Iid::AMVideoProcAmp, platform::VideoProcAmp_Brightness}}},
      {"nothing", {}, {}},
  };
  for (const OutsideChange& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [control, value] : c.changes) camera_->SetValue(control, value);
    std::vector<std::pair<Iid, std::int32_t>> named;
    for (const ChangedProperty& p : Take()) named.emplace_back(p.propertyInterface, p.id);
    EXPECT_EQ(named, c.expected);
    EXPECT_TRUE(Take().empty()) << "taken twice";
  }
}

// Where AUTOGAIN drives exposure too, one flip of it changes both rows.
TEST(V4l2ControlEventsSharedSwitchTest, AnAutomaticSwitchOfTwoRowsNamesBoth) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("sensor-autogain");
  const BoundCamera bound = rig.Bind("Simulated Bridge Camera");
  std::shared_ptr<IControlEvents> events;
  ASSERT_TRUE(platform::Succeeded(platform::QueryInterfaceAs(bound.filter, events)));
  camera.SetValue(V4L2_CID_AUTOGAIN, 0);
  std::vector<ChangedProperty> changed;
  ASSERT_EQ(events->TakeChangedProperties(changed), platform::kOk);
  std::vector<std::pair<Iid, std::int32_t>> named;
  for (const ChangedProperty& p : changed) named.emplace_back(p.propertyInterface, p.id);
  EXPECT_EQ(named, (std::vector<std::pair<Iid, std::int32_t>>{{Iid::AMVideoProcAmp, platform::VideoProcAmp_Gain},
                                                             {Iid::AMCameraControl, platform::CameraControl_Exposure}}));
}

TEST_F(V4l2ControlEventsTest, TheWaitSignalsPendingChangesAndOwnWritesAreNotEchoed) {
  int fd = -1;
  short events = 0;
  ASSERT_EQ(events_->GetEventWait(fd, events), platform::kOk);
  pollfd wait{fd, events, 0};
  EXPECT_EQ(::poll(&wait, 1, 0), 0) << "signalled with nothing pending";

  // A write through the camera's own objects is this program's: the kernel does not report it back.
  std::int32_t value = 0;
  std::int32_t flags = 0;
  ASSERT_EQ(bound_.procAmp->Get(platform::VideoProcAmp_Contrast, value, flags), platform::kOk);
  ASSERT_EQ(bound_.procAmp->Set(platform::VideoProcAmp_Contrast, value + 1, flags), platform::kOk);
  EXPECT_EQ(::poll(&wait, 1, 0), 0) << "own write echoed";
  EXPECT_TRUE(Take().empty());

  camera_->SetValue(V4L2_CID_BRIGHTNESS, 1);
  EXPECT_EQ(::poll(&wait, 1, 0), 1);
  EXPECT_EQ(Take().size(), 1u);
  EXPECT_EQ(::poll(&wait, 1, 0), 0) << "still signalled once taken";
}

TEST_F(V4l2ControlEventsTest, AGoneCameraSignalsAndFailsAndTheFilterUnsubscribesWhenItGoes) {
  EXPECT_GT(camera_->EventSubscriptions(), 0u);
  int fd = -1;
  short events = 0;
  ASSERT_EQ(events_->GetEventWait(fd, events), platform::kOk);
  camera_->Unplug();
  pollfd wait{fd, events, 0};
  EXPECT_EQ(::poll(&wait, 1, 0), 1);
  std::vector<ChangedProperty> changed;
  EXPECT_TRUE(platform::Failed(events_->TakeChangedProperties(changed)));

  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  {
    BoundCamera bound = rig.Bind("Simulated HD Webcam");
    std::shared_ptr<IControlEvents> watched;
    ASSERT_TRUE(platform::Succeeded(platform::QueryInterfaceAs(bound.filter, watched)));
    // Every control behind a property the camera has, value and automatic companion: brightness,
    // contrast, ..., exposure and its mode, focus and its mode.
    EXPECT_GE(camera.EventSubscriptions(), 8u);
  }
  EXPECT_EQ(camera.EventSubscriptions(), 0u);
}

// ---- The window ------------------------------------------------------------------------------------------

class V4l2InstantSyncTest : public MainWindowTest {
 protected:
  TFormMain& StartStill() {
    TFormMain& window = StartOn(rig_.PlatformPointer());
    window.RefreshTimer->SetEnabled(false);
    return window;
  }
  ScriptedDeviceHotplug& InstallHotplug() {
    auto hotplug = std::make_unique<ScriptedDeviceHotplug>();
    ScriptedDeviceHotplug& script = *hotplug;
    Window().SetDeviceHotplug(std::move(hotplug));
    return script;
  }
  QStringList CameraNames() {
    QStringList names;
    for (int i = 0; i < Window().ComboBoxCamera->Count(); ++i) names << Window().ComboBoxCamera->ItemText(i);
    return names;
  }
  V4l2TestRig rig_;
};

struct RowChange {
  const char* name;
  std::uint32_t control;
  std::int32_t value;
  TFCameraProperty property;
  const char* shownValue;  // the row's value label afterwards
  bool shownAuto;          // its "Auto" box afterwards
};

TEST_F(V4l2InstantSyncTest, AChangeFromOutsideShowsInItsRowAtOnceAndNothingIsWrittenBack) {
  const RowChange cases[] = {
      {"value", V4L2_CID_BRIGHTNESS, 90, TFCameraProperty::Brightness, "90", false},
      {"automatic mode off", V4L2_CID_FOCUS_AUTO, 0, TFCameraProperty::Focus, "0", false},
      // The camera's own change, under automatic exposure: the value moves, the mode stays.
      {"exposure under auto", V4L2_CID_EXPOSURE_ABSOLUTE, 500, TFCameraProperty::Exposure, "500", true},
      {"automatic mode back on", V4L2_CID_FOCUS_AUTO, 1, TFCameraProperty::Focus, "0", true},
  };
  FakeCamera& camera = rig_.PlugProfile("hd-autofocus");
  TFormMain& window = StartStill();
  ClickEntry(window.ComboBoxCamera, 0);
  ASSERT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "128");

  for (const RowChange& c : cases) {
    SCOPED_TRACE(c.name);
    const TPropertyRowControls& row = Row(c.property).Controls;
    rig_.Kernel().ClearLog();
    camera.SetValue(c.control, c.value);
    const QString shownValue = QString::fromLatin1(c.shownValue);
    (void)QTest::qWaitFor(
        [&] { return row.CheckBox->isChecked() == c.shownAuto && row.ValueLabel->text() == shownValue; }, kPromptly);
    EXPECT_EQ(row.CheckBox->isChecked(), c.shownAuto);
    EXPECT_EQ(row.ValueLabel->text(), shownValue);
    EXPECT_EQ(row.TrackBar->isEnabled(), !c.shownAuto);
    QTest::qWait(50);  // anything written back would be written by now
    EXPECT_EQ(Writes(rig_.Kernel().LogText()), std::vector<std::string>{});
    EXPECT_EQ(camera.Value(c.control), c.value);
  }
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(V4l2InstantSyncTest, OnlyTheSelectedCameraIsFollowed) {
  FakeCamera& first = rig_.PlugProfile("hd-autofocus");
  FakeCamera& second = rig_.PlugProfile("laptop-camera");
  TFormMain& window = StartStill();
  ASSERT_EQ(window.ComboBoxCamera->ItemIndex(), 0);
  EXPECT_GT(first.EventSubscriptions(), 0u);
  EXPECT_EQ(second.EventSubscriptions(), 0u);

  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(first.EventSubscriptions(), 0u);
  EXPECT_GT(second.EventSubscriptions(), 0u);
  second.SetValue(V4L2_CID_BRIGHTNESS, 3);
  const QLabel* brightness = Row(TFCameraProperty::Brightness).Controls.ValueLabel;
  (void)QTest::qWaitFor([&] { return brightness->text() == QStringLiteral("3"); }, kPromptly);
  EXPECT_EQ(brightness->text(), QStringLiteral("3"));
}

struct PlugCase {
  const char* name;
  std::vector<const char*> plugged;  // at start, in order
  int selectBefore;                  // the entry the user picks (-1: none)
  const char* plugLater;             // plugged after start, or null
  int unplugLater;                   // index into `plugged` pulled out after start, or -1
  QStringList listAfter;
  int selectedAfter;
};

TEST_F(V4l2InstantSyncTest, PlugAndUnplugReachTheListPromptlyByItsSelectionRules) {
  const PlugCase cases[] = {
      // Two or more cameras: the first is selected after the rebuild, whatever was before.
      {"a second camera plugged in",
       {"hd-autofocus"},
       0,
       "laptop-camera",
       -1,
       {"Simulated HD Webcam", "Simulated Laptop Camera"},
       0},
      {"the selected of three pulled out",
       {"hd-autofocus", "laptop-camera", "vga-webcam"},
       1,
       nullptr,
       1,
       {"Simulated HD Webcam", "Simulated VGA Webcam"},
       0},
      // One camera left, and it was selected: it stays selected.
      {"the other of two pulled out", {"hd-autofocus", "laptop-camera"}, 0, nullptr, 1, {"Simulated HD Webcam"}, 0},
      // One camera left that was not selected before: none is selected.
      {"the selected of two pulled out",
       {"hd-autofocus", "laptop-camera"},
       0,
       nullptr,
       0,
       {"Simulated Laptop Camera"},
       -1},
  };
  for (const PlugCase& c : cases) {
    SCOPED_TRACE(c.name);
    V4l2TestRig rig;
    std::vector<FakeCamera*> cameras;
    for (const char* profile : c.plugged) cameras.push_back(&rig.PlugProfile(profile));
    TFormMain& window = StartOn(rig.PlatformPointer());
    window.RefreshTimer->SetEnabled(false);
    ScriptedDeviceHotplug& script = InstallHotplug();
    if (c.selectBefore >= 0) ClickEntry(window.ComboBoxCamera, c.selectBefore);

    if (c.plugLater) {
      rig.PlugProfile(c.plugLater);
      script.Announce(Notice::Added);
      script.Announce(Notice::Added);  // its metadata node
    }
    if (c.unplugLater >= 0) {
      cameras[static_cast<std::size_t>(c.unplugLater)]->Unplug();
      script.Announce(Notice::Removed);
    }
    (void)QTest::qWaitFor([&] { return CameraNames() == c.listAfter; }, kPromptly);
    EXPECT_EQ(CameraNames(), c.listAfter);
    EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), c.selectedAfter);
    EXPECT_EQ(window.FCamera->DeviceName().isEmpty(), c.selectedAfter < 0);
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(reports->Messages().isEmpty());
  }
}

TEST_F(V4l2InstantSyncTest, WithoutADeviceMonitorTheRefreshStillRebuildsTheList) {
  FakeCamera& gone = rig_.PlugProfile("hd-autofocus");
  rig_.PlugProfile("laptop-camera");
  TFormMain& window = StartStill();
  window.SetDeviceHotplug(nullptr);
  EXPECT_FALSE(window.FollowsPlugAndUnplug());

  gone.Unplug();
  QTest::qWait(TDeviceWatch::kSettleMs + 200);
  EXPECT_EQ(window.ComboBoxCamera->Count(), 2) << "the list changed without a monitor or a tick";
  emit window.RefreshTimer->Timer(window.RefreshTimer);
  EXPECT_EQ(CameraNames(), QStringList{"Simulated Laptop Camera"});
  EXPECT_TRUE(reports->Messages().isEmpty());
}

}  // namespace
}  // namespace tavelo::v4l2test
