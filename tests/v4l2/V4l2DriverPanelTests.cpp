// The driver panel on the fake kernel: the backend describes every control a webcam's published listing
// has, under the driver's names and classes, and the panel the "System Dialog" command opens writes to
// the driver live, follows automatic switches, shows a refusal beside its control, loads defaults, and
// leaves the main window showing what it changed.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>

#include "camera/platform/v4l2/V4l2Errors.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "tests/v4l2/WindowOnFakeKernel.h"
#include "ui/ButtonImage.h"
#include "ui/ControlPage.h"
#include "ui/PropertyFrame.h"
#include "ui/TrackBar.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using Strings = std::vector<std::string>;

std::shared_ptr<IDeviceControls> ControlsOf(const BoundCamera& camera) {
  std::shared_ptr<IDeviceControls> controls;
  EXPECT_EQ(QueryInterfaceAs(camera.filter, controls), kOk);
  return controls;
}

std::vector<ControlClass> Describe(IDeviceControls& controls) {
  std::vector<ControlClass> classes;
  EXPECT_EQ(controls.DescribeControls(classes), kOk);
  return classes;
}

const ControlDescription* Find(const std::vector<ControlClass>& classes, std::uint32_t id) {
  for (const ControlClass& group : classes)
    for (const ControlDescription& control : group.controls)
      if (control.id == id) return &control;
  return nullptr;
}

// One line per control: class, name, kind, numbers, menu items. The expected lines come from the listing
// alone, through the kernel's own type names.
std::string Line(const std::string& className, const std::string& name, const std::string& kind, std::int64_t min,
                 std::int64_t max, std::int64_t step, std::int64_t defaultValue, const std::string& menu) {
  return className + ": " + name + " " + kind + " " + std::to_string(min) + ".." + std::to_string(max) + "/" +
         std::to_string(step) + " d" + std::to_string(defaultValue) + menu;
}

Strings ExpectedLines(const FakeCameraModel& model) {
  std::vector<FakeControl> controls = model.controls;
  std::sort(controls.begin(), controls.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  const std::map<std::uint32_t, std::string> kinds = {
      {V4L2_CTRL_TYPE_INTEGER, "integer"}, {V4L2_CTRL_TYPE_BOOLEAN, "boolean"}, {V4L2_CTRL_TYPE_MENU, "menu"},
      {V4L2_CTRL_TYPE_INTEGER_MENU, "integer-menu"}, {V4L2_CTRL_TYPE_BUTTON, "button"}};
  Strings lines;
  for (const FakeControl& control : controls) {
    if ((control.flags & V4L2_CTRL_FLAG_DISABLED) != 0 || kinds.count(control.type) == 0) continue;
    std::string menu;
    for (const auto& [index, label] : control.menu) menu += " [" + std::to_string(index) + ":" + label + "]";
    const std::string className = V4L2_CTRL_ID2CLASS(control.id) == V4L2_CTRL_CLASS_CAMERA ? "Camera Controls" : "User Controls";
    lines.push_back(Line(className, control.name, kinds.at(control.type), control.minimum, control.maximum,
                         static_cast<std::int64_t>(control.step), control.defaultValue, menu));
  }
  return lines;
}

Strings DescribedLines(const std::vector<ControlClass>& classes) {
  const std::map<ControlType, std::string> kinds = {{ControlType::Integer, "integer"},
                                                    {ControlType::Boolean, "boolean"},
                                                    {ControlType::Menu, "menu"},
                                                    {ControlType::IntegerMenu, "integer-menu"},
                                                    {ControlType::Button, "button"}};
  Strings lines;
  for (const ControlClass& group : classes) {
    for (const ControlDescription& control : group.controls) {
      std::string menu;
      for (const ControlMenuItem& item : control.menu) menu += " [" + std::to_string(item.index) + ":" + item.label + "]";
      lines.push_back(Line(group.name, control.name, kinds.at(control.type), control.minimum, control.maximum,
                           control.step, control.defaultValue, menu));
    }
  }
  return lines;
}

class ControlDescriptionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ControlDescriptionTest, EveryControlOfTheListingIsDescribedWithItsKindAndMenu) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(GetParam());
  rig.Plug(model);
  const auto controls = ControlsOf(rig.Bind(model.card));
  ASSERT_NE(controls, nullptr);
  EXPECT_EQ(DescribedLines(Describe(*controls)), ExpectedLines(model));
}

INSTANTIATE_TEST_SUITE_P(PublishedWebcams, ControlDescriptionTest, ::testing::ValuesIn(WebcamProfileNames()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// A camera built by hand with what the listings lack: the driver's class controls, an integer menu, a
// button, a read-only control, and types and states the panel cannot show.
FakeCameraModel UnusualCamera() {
  FakeCameraModel model = LoadWebcamProfile("hd-autofocus");
  model.card = "Unusual Camera";
  auto add = [&](std::uint32_t id, const char* name, std::uint32_t type, std::int64_t max, std::uint32_t flags = 0) {
    FakeControl control;
    control.id = id;
    control.name = name;
    control.type = type;
    control.maximum = max;
    control.flags = flags;
    model.controls.push_back(control);
    return &model.controls.back();
  };
  add(V4L2_CID_CAMERA_CLASS, "Camera Controls (driver)", V4L2_CTRL_TYPE_CTRL_CLASS, 0,
      V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_WRITE_ONLY);
  add(V4L2_CID_PAN_RESET, "pan_reset", V4L2_CTRL_TYPE_BUTTON, 0, V4L2_CTRL_FLAG_WRITE_ONLY);
  FakeControl* zoomSteps = add(V4L2_CID_CAMERA_CLASS_BASE + 0x40, "zoom_steps", V4L2_CTRL_TYPE_INTEGER_MENU, 2);
  zoomSteps->menu = {{0, "100"}, {2, "400"}};
  add(V4L2_CID_CAMERA_CLASS_BASE + 0x41, "lens_name", V4L2_CTRL_TYPE_STRING, 32);
  add(V4L2_CID_CAMERA_CLASS_BASE + 0x42, "retired", V4L2_CTRL_TYPE_INTEGER, 10, V4L2_CTRL_FLAG_DISABLED);
  add(V4L2_CID_CAMERA_CLASS_BASE + 0x43, "sensor_temperature", V4L2_CTRL_TYPE_INTEGER, 100, V4L2_CTRL_FLAG_READ_ONLY);
  return model;
}

TEST(V4l2ControlDescription, DriverClassNamesButtonsIntegerMenusAndReadOnlyControls) {
  V4l2TestRig rig;
  rig.Plug(UnusualCamera());
  const auto controls = ControlsOf(rig.Bind("Unusual Camera"));
  const std::vector<ControlClass> classes = Describe(*controls);

  Strings names;
  for (const ControlClass& group : classes) names.push_back(group.name);
  // The driver names the camera class; the user class, which it leaves unnamed, gets the kernel's name.
  EXPECT_EQ(names, (Strings{"User Controls", "Camera Controls (driver)"}));

  const ControlDescription* button = Find(classes, V4L2_CID_PAN_RESET);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->type, ControlType::Button);
  const ControlDescription* zoomSteps = Find(classes, V4L2_CID_CAMERA_CLASS_BASE + 0x40);
  ASSERT_NE(zoomSteps, nullptr);
  EXPECT_EQ(zoomSteps->type, ControlType::IntegerMenu);
  ASSERT_EQ(zoomSteps->menu.size(), 2u);
  EXPECT_EQ(zoomSteps->menu[1].index, 2);
  EXPECT_EQ(zoomSteps->menu[1].label, "400");
  const ControlDescription* temperature = Find(classes, V4L2_CID_CAMERA_CLASS_BASE + 0x43);
  ASSERT_NE(temperature, nullptr);
  EXPECT_EQ(temperature->flags & kControlReadOnly, kControlReadOnly);
  EXPECT_EQ(Find(classes, V4L2_CID_CAMERA_CLASS_BASE + 0x41), nullptr);  // a string: nothing to set it with
  EXPECT_EQ(Find(classes, V4L2_CID_CAMERA_CLASS_BASE + 0x42), nullptr);  // disabled

  EXPECT_EQ(controls->SetControl(V4L2_CID_PAN_RESET, 1), kOk);
  EXPECT_EQ(rig.Kernel().LogText().back(), "S_CTRL pan_reset=1");
}

TEST(V4l2ControlDescription, WritesReachTheDriverAndAnAutomaticSwitchFreesItsCompanion) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  const auto controls = ControlsOf(rig.Bind("Simulated HD Webcam"));

  EXPECT_EQ(controls->SetControl(V4L2_CID_BRIGHTNESS, 200), kOk);
  EXPECT_EQ(camera.Value(V4L2_CID_BRIGHTNESS), 200);
  std::int64_t value = 0;
  EXPECT_EQ(controls->GetControl(V4L2_CID_BRIGHTNESS, value), kOk);
  EXPECT_EQ(value, 200);

  const auto locked = Describe(*controls);
  const ControlDescription* temperature = Find(locked, V4L2_CID_WHITE_BALANCE_TEMPERATURE);
  ASSERT_NE(temperature, nullptr);
  EXPECT_NE(temperature->flags & kControlInactive, 0u);
  // While the switch is on the driver refuses the companion, with a reason the user can read.
  const Result refused = controls->SetControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 5000);
  EXPECT_EQ(refused, ResultFromErrno(EACCES));
  EXPECT_FALSE(rig.Platform().GetErrorText(refused).empty());

  EXPECT_EQ(controls->SetControl(V4L2_CID_AUTO_WHITE_BALANCE, 0), kOk);
  const auto freed = Describe(*controls);
  temperature = Find(freed, V4L2_CID_WHITE_BALANCE_TEMPERATURE);
  ASSERT_NE(temperature, nullptr);
  EXPECT_EQ(temperature->flags & kControlInactive, 0u);
  EXPECT_EQ(controls->SetControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 5000), kOk);
  EXPECT_EQ(camera.Value(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
}

// ---- The panel the main window opens ------------------------------------------------------------------

// Opens the driver panel through the main window's command; `drive` gets the panel while it shows.
void OpenPanel(WindowOnFakeKernel& w, const std::function<void(TPropertyFrame&)>& drive) {
  bool shown = false;
  TPropertyFrame::SetTestHook([&](TPropertyFrame& frame) {
    shown = true;
    drive(frame);
  });
  TButtonImage* command = w.window->ButtonWindows;
  ASSERT_TRUE(command->isEnabled());
  QTest::mouseClick(command, Qt::LeftButton, {}, command->rect().center());
  TPropertyFrame::SetTestHook({});
  EXPECT_TRUE(shown);
}

template <class W>
W* EditorOf(TPropertyFrame& frame, std::uint32_t id) {
  TControlPage* page = frame.PageOfControl(id);
  EXPECT_NE(page, nullptr) << id;
  return page == nullptr ? nullptr : qobject_cast<W*>(page->Editor(id));
}

QString ErrorBeside(TPropertyFrame& frame, std::uint32_t id) {
  QLabel* label = frame.PageOfControl(id)->ErrorLabel(id);
  return label->isVisibleTo(label->parentWidget()) ? label->text() : QString();
}

TEST(V4l2DriverPanel, LiveWritesAutomaticSwitchesAndARefusalBesideItsControl) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel w(rig);

  OpenPanel(w, [&](TPropertyFrame& frame) {
    EXPECT_EQ(frame.windowTitle(), "Simulated HD Webcam");
    ASSERT_EQ(frame.Tabs()->count(), 2);
    EXPECT_EQ(frame.Tabs()->tabText(0), "User Controls");
    EXPECT_EQ(frame.Tabs()->tabText(1), "Camera Controls");

    // Controls the seventeen rows never show are there too.
    auto* dynamicRate = EditorOf<QCheckBox>(frame, V4L2_CID_EXPOSURE_AUTO_PRIORITY);
    ASSERT_NE(dynamicRate, nullptr);
    auto* frequency = EditorOf<QComboBox>(frame, V4L2_CID_POWER_LINE_FREQUENCY);
    ASSERT_NE(frequency, nullptr);
    EXPECT_EQ(frequency->count(), 3);

    EditorOf<QSlider>(frame, V4L2_CID_BRIGHTNESS)->setValue(200);
    EXPECT_EQ(camera.Value(V4L2_CID_BRIGHTNESS), 200);
    EXPECT_EQ(frame.PageOfControl(V4L2_CID_BRIGHTNESS)->ValueLabel(V4L2_CID_BRIGHTNESS)->text(), "200");

    auto* temperature = EditorOf<QSlider>(frame, V4L2_CID_WHITE_BALANCE_TEMPERATURE);
    auto* automatic = EditorOf<QCheckBox>(frame, V4L2_CID_AUTO_WHITE_BALANCE);
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_FALSE(temperature->isEnabled());
    automatic->click();
    EXPECT_EQ(camera.Value(V4L2_CID_AUTO_WHITE_BALANCE), 0);
    EXPECT_TRUE(temperature->isEnabled());
    automatic->click();
    EXPECT_FALSE(temperature->isEnabled());

    camera.FailNext(VIDIOC_S_CTRL, EBUSY, 1, V4L2_CID_CONTRAST);
    EditorOf<QSlider>(frame, V4L2_CID_CONTRAST)->setValue(60);
    EXPECT_EQ(ErrorBeside(frame, V4L2_CID_CONTRAST).toStdString(),
              rig.Platform().GetErrorText(ResultFromErrno(EBUSY)));
    EXPECT_EQ(ErrorBeside(frame, V4L2_CID_BRIGHTNESS), QString());
    EXPECT_EQ(EditorOf<QSlider>(frame, V4L2_CID_CONTRAST)->value(), 128);  // shows what the camera holds
    // The next write that goes through clears it.
    EditorOf<QSlider>(frame, V4L2_CID_CONTRAST)->setValue(70);
    EXPECT_EQ(ErrorBeside(frame, V4L2_CID_CONTRAST), QString());
  });
}

TEST(V4l2DriverPanel, DefaultsWriteEachPagesDefaultsAndLeaveLockedControlsAlone) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  camera.SetValue(V4L2_CID_BRIGHTNESS, 10);
  camera.SetValue(V4L2_CID_AUTO_WHITE_BALANCE, 0);
  camera.SetValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 6000);
  camera.SetValue(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL);
  camera.SetValue(V4L2_CID_EXPOSURE_ABSOLUTE, 300);
  WindowOnFakeKernel w(rig);

  OpenPanel(w, [&](TPropertyFrame& frame) {
    rig.Kernel().ClearLog();
    frame.ControlPage(0)->DefaultsButton()->click();
    EXPECT_EQ(camera.Value(V4L2_CID_BRIGHTNESS), 128);
    EXPECT_EQ(camera.Value(V4L2_CID_AUTO_WHITE_BALANCE), 1);
    // Automatic again, the temperature is the camera's to choose: it is not written.
    EXPECT_EQ(camera.Value(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 6000);
    for (const std::string& line : rig.Kernel().LogText())
      EXPECT_EQ(line.find("S_CTRL white_balance_temperature="), std::string::npos) << line;
    // Only its own page.
    EXPECT_EQ(camera.Value(V4L2_CID_EXPOSURE_ABSOLUTE), 300);

    frame.ControlPage(1)->DefaultsButton()->click();
    EXPECT_EQ(camera.Value(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
    EXPECT_EQ(camera.Value(V4L2_CID_EXPOSURE_ABSOLUTE), 300);
  });
}

TEST(V4l2DriverPanel, ClosingThePanelShowsItsChangesInTheRows) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel w(rig);
  const TPropertyRow& sharpness = w.Row(TFCameraProperty::Sharpness);
  ASSERT_EQ(sharpness.Controls.TrackBar->Value(), 128);

  OpenPanel(w, [&](TPropertyFrame& frame) { EditorOf<QSlider>(frame, V4L2_CID_SHARPNESS)->setValue(90); });
  EXPECT_EQ(camera.Value(V4L2_CID_SHARPNESS), 90);
  EXPECT_EQ(sharpness.Controls.TrackBar->Value(), 90);
  EXPECT_EQ(sharpness.Controls.ValueLabel->text(), "90");
}

TEST(V4l2DriverPanel, ACameraWhosePanelCannotBeBuiltGivesTheStatusMessageAndIsReadAgain) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  WindowOnFakeKernel w(rig);
  camera.SetValue(V4L2_CID_SHARPNESS, 40);  // another program, meanwhile
  camera.FailNext(VIDIOC_QUERY_EXT_CTRL, EPROTO);

  bool shown = false;
  TPropertyFrame::SetTestHook([&](TPropertyFrame&) { shown = true; });
  QTest::mouseClick(w.window->ButtonWindows, Qt::LeftButton, {}, w.window->ButtonWindows->rect().center());
  TPropertyFrame::SetTestHook({});

  EXPECT_FALSE(shown);
  EXPECT_EQ(w.window->MessageLabel->text(), "Simulated HD Webcam does not support this dialog function");
  EXPECT_EQ(w.Row(TFCameraProperty::Sharpness).Controls.TrackBar->Value(), 40);
  EXPECT_TRUE(w.notices.isEmpty());
}

}  // namespace
}  // namespace tavelo::v4l2test
