// The factory-defaults command: every supported property gets the default its driver reports, written
// through the camera component with the mode it already has; automatic modes and the power-line frequency
// stay; a property the driver refuses keeps its value; a "No" or a camera without live rows changes nothing.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/MainWindowHarness.h"
#include "tests/support/ScriptedPlatform.h"
#include "ui/ButtonImage.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::DeviceSetup;
using tavelo::scripted::ScriptedDevice;
using tavelo::scripted::ScriptedPlatform;
using Strings = std::vector<std::string>;

namespace {

class FactoryDefaultsTest : public MainWindowTest {
 protected:
  // The scripted webcam moved away from its defaults: two properties in automatic mode, one manual, and a
  // gain whose reported default lies beyond its range.
  std::shared_ptr<ScriptedDevice> AddCamera(DeviceSetup setup = CameraSetup("Cam")) {
    setup.videoProcAmp[VideoProcAmp_Brightness].value = 200;
    setup.videoProcAmp[VideoProcAmp_WhiteBalance].value = 5000;  // automatic
    setup.videoProcAmp[VideoProcAmp_Gain].defaultValue = 150;    // max 100
    setup.videoProcAmp[VideoProcAmp_PowerLineFrequency].value = 2;
    setup.cameraControl[CameraControl_Exposure].value = -3;  // automatic
    setup.cameraControl[CameraControl_Zoom].value = 300;
    return platform_->AddDevice(std::move(setup));
  }
  TFormMain& StartPicked(const QStringList& arguments = {}) {
    TFormMain& window = StartOn(platform_, arguments);
    ClickEntry(window.ComboBoxCamera, 0);
    platform_->ClearCalls();
    return window;
  }
  void ClickDefaults() {
    QTest::mouseClick(Window().ButtonDefaultValues, Qt::LeftButton, {}, Window().ButtonDefaultValues->rect().center());
  }
  Strings Writes() const { return platform_->Log({"VideoProcAmp.Set", "CameraControl.Set"}); }

  std::shared_ptr<ScriptedPlatform> platform_ = std::make_shared<ScriptedPlatform>();
};

TEST_F(FactoryDefaultsTest, WritesEachSupportedDefaultWithTheModeItHasAndLeavesTheFrequency) {
  auto camera = AddCamera();
  TFormMain& window = StartPicked();
  ASSERT_EQ(window.SupportLevel, 2);
  window.StatusLabel->setText(QStringLiteral("Loaded from file"));
  window.setWindowTitle(QStringLiteral("changed"));

  ClickDefaults();

  EXPECT_EQ(notices, QStringList{"Reset settings for Cam"});
  // In the order of the property list; the defaults as reported, the gain's too.
  EXPECT_EQ(Writes(), (Strings{"VideoProcAmp.Set(0) value=128 flags=2", "VideoProcAmp.Set(1) value=32 flags=2",
                               "CameraControl.Set(4) value=-6 flags=1", "CameraControl.Set(6) value=0 flags=1",
                               "VideoProcAmp.Set(9) value=150 flags=2", "VideoProcAmp.Set(7) value=4600 flags=1",
                               "CameraControl.Set(3) value=100 flags=2"}));
  EXPECT_EQ(camera->VideoProcAmp(VideoProcAmp_WhiteBalance).flags, kPropertyFlagsAuto);
  EXPECT_EQ(camera->CameraControl(CameraControl_Exposure).flags, kPropertyFlagsAuto);
  EXPECT_EQ(camera->VideoProcAmp(VideoProcAmp_PowerLineFrequency).value, 2);
  // Only properties the camera has are asked for a range, by the command and by the re-read after it.
  for (const std::string& query : platform_->Log({"VideoProcAmp.GetRange", "CameraControl.GetRange"})) {
    EXPECT_TRUE(query == "VideoProcAmp.GetRange(0)" || query == "VideoProcAmp.GetRange(1)" ||
                query == "VideoProcAmp.GetRange(7)" || query == "VideoProcAmp.GetRange(9)" ||
                query == "VideoProcAmp.GetRange(13)" || query == "CameraControl.GetRange(3)" ||
                query == "CameraControl.GetRange(4)" || query == "CameraControl.GetRange(6)")
        << query;
  }
  // The rows show the camera after the reset.
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "128");
  EXPECT_EQ(Row(TFCameraProperty::Zoom).Controls.ValueLabel->text(), "100");
  EXPECT_TRUE(Row(TFCameraProperty::WhiteBalance).Controls.CheckBox->isChecked());
  EXPECT_EQ(window.MessageLabel->text(), "Factory defaults loaded");
  EXPECT_EQ(window.StatusLabel->text(), " ");
  EXPECT_EQ(window.windowTitle(), "Tavelo V3.1");
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(FactoryDefaultsTest, APropertyTheDriverRefusesKeepsItsValueAndTheOthersAreStillReset) {
  auto camera = AddCamera();
  TFormMain& window = StartPicked();
  platform_->When("VideoProcAmp.Set").Id(VideoProcAmp_Brightness).Answer(kErrorDeviceInUse);
  platform_->When("CameraControl.GetRange").Id(CameraControl_Exposure).Answer(kInvalidArg).Times(1);

  ClickDefaults();

  EXPECT_EQ(camera->VideoProcAmp(VideoProcAmp_Brightness).value, 200);
  EXPECT_EQ(camera->CameraControl(CameraControl_Exposure).value, -3);
  EXPECT_EQ(camera->CameraControl(CameraControl_Zoom).value, 100);
  EXPECT_EQ(camera->VideoProcAmp(VideoProcAmp_Contrast).value, 32);
  EXPECT_EQ(window.MessageLabel->text(), "Factory defaults loaded") << "no message tells which failed";
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(FactoryDefaultsTest, AnythingButYesOrNoLiveRowChangesNothing) {
  const struct {
    const char* name;
    bool liveRows;
    int answer;
    QStringList expectedQuestions;
    const char* expectedMessage;
  } cases[] = {
      {"AnsweredNo", true, 2, {"Reset settings for Cam"}, "Nothing changed"},
      {"QuestionClosed", true, 0, {"Reset settings for Cam"}, "Nothing changed"},
      {"NoLiveRow", false, 1, {}, "Cam does not support setting default values"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform_ = std::make_shared<ScriptedPlatform>();
    if (c.liveRows) {
      AddCamera();
    } else {
      DeviceSetup setup = CameraSetup("Cam");
      setup.videoProcAmp.clear();
      setup.cameraControl.clear();
      platform_->AddDevice(std::move(setup));
    }
    TFormMain& window = StartPicked();
    notices.clear();
    answer = c.answer;

    window.ButtonDefaultValuesClick(window.ButtonDefaultValues);  // a disabled button can't be clicked

    EXPECT_EQ(notices, c.expectedQuestions);
    EXPECT_EQ(window.MessageLabel->text(), c.expectedMessage);
    EXPECT_EQ(Writes(), Strings{});
    EXPECT_EQ(platform_->Count("VideoProcAmp.GetRange") + platform_->Count("CameraControl.GetRange"), 0);
  }
}

TEST_F(FactoryDefaultsTest, TracesEachStepInTraceMode) {
  AddCamera();
  TFormMain& window = StartPicked({"trace"});
  window.Memo1->clear();
  ClickDefaults();
  QStringList steps;
  for (const QString& line : window.Memo1->toPlainText().split('\n')) {
    if (line.contains("ButtonDefaultValuesClick") || line.startsWith("###")) steps << line;
  }
  EXPECT_EQ(steps, (QStringList{"ButtonDefaultValuesClick Step 01", "ButtonDefaultValuesClick Step 02",
                                "ButtonDefaultValuesClick - calling SetTrackBars", "### Returned from SetTrackBars",
                                "### und weiter", "ButtonDefaultValuesClick Step 03",
                                " ButtonDefaultValuesClick Step 04"}));
}

}  // namespace
