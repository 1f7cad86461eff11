// The main window on the fake kernel: its rows show what the webcam's published listing says, a slider
// move or an "Auto" click issues exactly the ioctls V4L2 needs, and an unplugged camera gives a clear
// error instead of a crash or a hang.
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "ui/Effects.h"
#include "ui/ListBox.h"
#include "camera/FCamera.h"
#include "tests/v4l2/ListingOracle.h"
#include "ui/TrackBar.h"
#include "app/Unit1.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::v4l2test {
namespace {
using Strings = std::vector<std::string>;

// The window and its two companion windows on the rig's platform, shown offscreen; questions and notices
// are answered "Ok" and kept.
class WindowOnFakeKernel {
 public:
  explicit WindowOnFakeKernel(V4l2TestRig& rig) {
    TMessageForm::SetAutoAnswer([this](TMessageForm& form) {
      notices << form.Label1->text();
      return 1;
    });
    window = std::make_unique<TFormMain>(rig.PlatformPointer(), QStringList{});
    window->SetMessageForm(&messages);
    window->SetLivecamForm(&live);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A single camera is listed but not selected at start-up: the user picks it.
    TListBox* cameras = window->ComboBoxCamera;
    if (QListWidgetItem* entry = cameras->item(0)) {
      cameras->scrollToItem(entry);
      QTest::mouseClick(cameras->viewport(), Qt::LeftButton, {}, cameras->visualItemRect(entry).center());
    }
  }
  ~WindowOnFakeKernel() {
    window.reset();
    TMessageForm::SetAutoAnswer({});
  }
  const TPropertyRow& Row(TFCameraProperty property) const {
    for (const TPropertyRow& row : window->PropertyRows())
      if (row.Entry->Property == property) return row;
    throw std::logic_error("no row");
  }

  TMessageForm messages;
  TLivecamForm live;
  std::unique_ptr<TFormMain> window;
  QStringList notices;
};

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
  // A slider move on the vanished camera is swallowed, as every refused slider write is.
  ui.Row(TFCameraProperty::Contrast).Controls.TrackBar->SetValue(10);
  // Re-reading the camera list finds it gone.
  ui.window->VelmarlogoClick();
  EXPECT_TRUE(ui.window->FCamera->Devices().empty());
}

}  // namespace
}  // namespace tavelo::v4l2test
