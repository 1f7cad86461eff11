// The property rows: what a camera's properties look like, and what the user's changes do to the camera.

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include "ui/ControlStyle.h"
#include "ui/Effects.h"
#include "ui/ListBox.h"
#include "tests/app/MainWindowHarness.h"
#include "ui/TrackBar.h"
#include "tests/support/ScriptedPlatform.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::RangedProperty;
using tavelo::scripted::ScriptedPlatform;
using enum TFCameraProperty;

namespace {

const QColor kBlack(0xFF000000);
const QColor kGrey(0xFF808080);
const std::string kLaptop = "sim://laptop-camera";

class PropertyRowsTest : public MainWindowTest {
 protected:
  PropertyRowsTest() { QLocale::setDefault(QLocale::c()); }
  ~PropertyRowsTest() override { QLocale::setDefault(QLocale::system()); }

  // The laptop camera picked by the user, after the HD webcam that start-up selected.
  TFormMain& StartOnLaptop() {
    UseSimulated({"hd-autofocus", "laptop"});
    TFormMain& window = Start();
    ClickEntry(window.ComboBoxCamera, 1);
    return window;
  }

  TFormMain& StartOnScripted(const std::shared_ptr<ScriptedPlatform>& platform) {
    TFormMain& window = StartOn(platform);
    ClickEntry(window.ComboBoxCamera, 0);
    return window;
  }
};

TEST_F(PropertyRowsTest, PickedCameraShowsExactlyItsPropertiesLive) {
  TFormMain& window = StartOnLaptop();
  const std::set<TFCameraProperty> laptopProperties = {Brightness, Contrast, Hue, Saturation, Sharpness,
                                                       Gamma, WhiteBalance, BacklightCompensation, Exposure};
  for (const TPropertyRow& row : window.PropertyRows()) {
    const TPropertyRowControls& c = row.Controls;
    SCOPED_TRACE(row.Entry->Name().toStdString());
    if (laptopProperties.count(row.Entry->Property)) {
      const PropertyState driver = DriverState(Simulated(), kLaptop, row.Entry->Property);
      const TFRange range = window.FCamera->PropertyRange(row.Entry->Property);
      const bool automatic = driver.flags == kPropertyFlagsAuto;
      EXPECT_TRUE(c.Label->isEnabled());
      EXPECT_EQ(FontColor(c.Label), kBlack);
      EXPECT_EQ(FontSize(c.Label), 16);
      EXPECT_EQ(c.TrackBar->Min(), range.Min);
      EXPECT_EQ(c.TrackBar->Max(), range.Max);
      EXPECT_EQ(c.TrackBar->Frequency(), range.Delta);
      EXPECT_EQ(c.TrackBar->Value(), driver.value);
      EXPECT_EQ(c.TrackBar->isEnabled(), !automatic);
      EXPECT_EQ(c.ValueLabel->text(), QString::number(driver.value));
      EXPECT_EQ(FontColor(c.ValueLabel), kBlack);
      EXPECT_EQ(c.CheckBox->isChecked(), automatic);
      EXPECT_EQ(c.CheckBox->isEnabled(), range.Auto && range.Manual);
      EXPECT_EQ(FontColor(c.CheckBox), kBlack);
      EXPECT_FALSE(c.Monochrome->isEnabled());
    } else {
      EXPECT_FALSE(c.Label->isEnabled());
      EXPECT_EQ(FontColor(c.Label), kGrey);
      EXPECT_FALSE(c.TrackBar->isEnabled());
      EXPECT_EQ(c.ValueLabel->text(), " ");
      EXPECT_FALSE(c.ValueLabel->isEnabled());
      EXPECT_FALSE(c.CheckBox->isEnabled());
      EXPECT_EQ(FontColor(c.CheckBox), kGrey);
      EXPECT_EQ(FontSize(c.CheckBox), 16);
      EXPECT_TRUE(c.Monochrome->isEnabled());
    }
  }
  EXPECT_EQ(window.SupportLevel, 2);
  EXPECT_FALSE(window.MonochromeEffect->isEnabled());
  EXPECT_FALSE(window.LayoutFrequency->isHidden());
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 0) << "the laptop camera runs at 50 Hz";
}

TEST_F(PropertyRowsTest, MovingASliderWritesTheCameraAtOnce) {
  TFormMain& window = StartOnLaptop();
  TTrackBar* brightness = Row(Brightness).Controls.TrackBar;
  DragSlider(brightness, 20);
  EXPECT_EQ(DriverState(Simulated(), kLaptop, Brightness).value, 20);
  EXPECT_EQ(Row(Brightness).Controls.ValueLabel->text(), "20");

  QTest::keyClick(brightness->Slider(), Qt::Key_Right);
  EXPECT_EQ(DriverState(Simulated(), kLaptop, Brightness).value, 21);
  EXPECT_EQ(Row(Brightness).Controls.ValueLabel->text(), "21");
  EXPECT_EQ(window.StatusLabel->text(), " ");
}

TEST_F(PropertyRowsTest, SliderValueIsWrittenTruncatedTowardZero) {
  StartOnLaptop();
  const TPropertyRowControls& row = Row(Brightness).Controls;
  row.TrackBar->SetValue(12.7);
  EXPECT_EQ(DriverState(Simulated(), kLaptop, Brightness).value, 12);
  EXPECT_EQ(row.ValueLabel->text(), "12.7");
  row.TrackBar->SetValue(-3.5);
  EXPECT_EQ(DriverState(Simulated(), kLaptop, Brightness).value, -3);
  EXPECT_EQ(row.ValueLabel->text(), "-3.5");
}

TEST_F(PropertyRowsTest, SliderSetToTheValueItShowsWritesNothing) {
  auto platform = std::make_shared<ScriptedPlatform>();
  platform->AddDevice(CameraSetup("Cam"));
  StartOnScripted(platform);
  platform->ClearCalls();
  Row(Brightness).Controls.TrackBar->SetValue(128);
  EXPECT_EQ(platform->Count("VideoProcAmp.Set"), 0);
  Row(Brightness).Controls.TrackBar->SetValue(100);
  EXPECT_EQ(platform->Log({"VideoProcAmp.Set"}), std::vector<std::string>{"VideoProcAmp.Set(0) value=100 flags=2"});
}

TEST_F(PropertyRowsTest, ARefreshPassWritesNothingBackAndClampsValuesOutsideTheRange) {
  auto platform = std::make_shared<ScriptedPlatform>();
  auto camera = platform->AddDevice(CameraSetup("Cam"));
  TFormMain& window = StartOnScripted(platform);
  // Another program changed the camera, one value beyond the range the driver reports.
  camera->VideoProcAmp(VideoProcAmp_Brightness).value = 300;
  camera->VideoProcAmp(VideoProcAmp_Contrast).value = 50;
  camera->CameraControl(CameraControl_Zoom).value = 40;
  platform->ClearCalls();

  window.ComboBoxCameraChange();  // the re-read of the keep-synchronised refresh

  EXPECT_EQ(platform->Count("VideoProcAmp.Set"), 0);
  EXPECT_EQ(platform->Count("CameraControl.Set"), 0);
  EXPECT_EQ(Row(Brightness).Controls.TrackBar->Value(), 255);
  EXPECT_EQ(Row(Brightness).Controls.ValueLabel->text(), "255");
  EXPECT_EQ(Row(Contrast).Controls.ValueLabel->text(), "50");
  EXPECT_EQ(Row(Zoom).Controls.TrackBar->Value(), 100);
  EXPECT_EQ(camera->VideoProcAmp(VideoProcAmp_Brightness).value, 300);
  EXPECT_EQ(camera->CameraControl(CameraControl_Zoom).value, 40);
}

TEST_F(PropertyRowsTest, PropertiesAreReadBrightnessFirstThenInCatalogueOrder) {
  auto platform = std::make_shared<ScriptedPlatform>();
  platform->AddDevice(CameraSetup("Cam"));
  TFormMain& window = StartOnScripted(platform);
  platform->ClearCalls();
  window.SetTrackBars();
  // Each supported property: the support test, the value, the range, the mode.
  const std::vector<std::string> brightness = {"VideoProcAmp.Get(0)", "VideoProcAmp.Get(0)",
                                               "VideoProcAmp.GetRange(0)", "VideoProcAmp.Get(0)"};
  std::vector<std::string> log = platform->Log({"VideoProcAmp.", "CameraControl."});
  // Power-line frequency comes before the rows.
  while (!log.empty() && log.front() != "VideoProcAmp.Get(0)") log.erase(log.begin());
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), brightness);
  EXPECT_EQ(log[4], "VideoProcAmp.Get(8)") << "then backlight compensation, first in catalogue order";
  EXPECT_EQ(log.back(), "CameraControl.Get(3)") << "zoom, last in catalogue order";
}

TEST_F(PropertyRowsTest, TickingAutoDisablesTheSliderInTheSamePass) {
  TFormMain& window = StartOnLaptop();
  const TPropertyRowControls& whiteBalance = Row(WhiteBalance).Controls;
  ASSERT_TRUE(whiteBalance.CheckBox->isChecked());
  ASSERT_FALSE(whiteBalance.TrackBar->isEnabled());

  ClickCheckBox(whiteBalance.CheckBox);
  EXPECT_FALSE(whiteBalance.CheckBox->isChecked());
  EXPECT_TRUE(whiteBalance.TrackBar->isEnabled());
  EXPECT_EQ(DriverState(Simulated(), kLaptop, WhiteBalance).flags, kPropertyFlagsManual);

  ClickCheckBox(whiteBalance.CheckBox);
  EXPECT_TRUE(whiteBalance.CheckBox->isChecked());
  EXPECT_FALSE(whiteBalance.TrackBar->isEnabled());
  EXPECT_EQ(DriverState(Simulated(), kLaptop, WhiteBalance).flags, kPropertyFlagsAuto);
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_FALSE(window.SettingTrackBars);
}

TEST_F(PropertyRowsTest, FailingAutoChangeShowsTheNoticeNamingTheCameraOnceAndEndsUnticked) {
  for (const int failingWrites : {1, kPersistentFault}) {
    SCOPED_TRACE(failingWrites);
    notices.clear();
    TFormMain& window = StartOnLaptop();
    const TPropertyRowControls& whiteBalance = Row(WhiteBalance).Controls;
    ClickCheckBox(whiteBalance.CheckBox);  // to manual: accepted
    ASSERT_FALSE(whiteBalance.CheckBox->isChecked());

    Simulated().FailCall(kLaptop, PropertyFault(SimulatedCall::Set, WhiteBalance, kErrorDeviceInUse, failingWrites));
    ClickCheckBox(whiteBalance.CheckBox);

    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices.first(), "Tavelo detected an inconsistent cam driver implementation. Simulated Laptop Camera "
                               "states this function is supported but returns an error when accessing it");
    EXPECT_EQ(noticeCaptions.last(), "Information");
    EXPECT_EQ(window.MessageLabel->text(), "White balance was not changed: The camera is in use by another program.");
    EXPECT_FALSE(whiteBalance.CheckBox->isChecked());
    EXPECT_TRUE(whiteBalance.TrackBar->isEnabled());
    EXPECT_EQ(DriverState(Simulated(), kLaptop, WhiteBalance).flags, kPropertyFlagsManual);
    EXPECT_FALSE(window.SettingTrackBars);
    EXPECT_TRUE(reports->Messages().isEmpty());
    Simulated().ClearFaults(kLaptop);
  }
}

TEST_F(PropertyRowsTest, AnUnreadablePropertyBlanksOnlyItsRowAndTheNextPassReadsItAgain) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  Simulated().FailCall(kLaptop, PropertyFault(SimulatedCall::GetRange, Contrast, kErrorDeviceInUse, 1));
  ClickEntry(window.ComboBoxCamera, 1);

  EXPECT_EQ(Row(Contrast).Controls.ValueLabel->text(), " ");
  EXPECT_TRUE(Row(Contrast).Controls.Monochrome->isEnabled());
  EXPECT_FALSE(Row(Saturation).Controls.Monochrome->isEnabled()) << "read after the failing row";
  EXPECT_EQ(window.SupportLabel->text(), "Camera configurable");
  EXPECT_EQ(window.MessageLabel->text(), "Contrast could not be read: The camera is in use by another program.");
  EXPECT_TRUE(reports->Messages().isEmpty());
  EXPECT_FALSE(window.SettingTrackBars);

  window.ComboBoxCameraChange();
  EXPECT_EQ(Row(Contrast).Controls.ValueLabel->text(), "0");
  EXPECT_FALSE(Row(Contrast).Controls.Monochrome->isEnabled());
}

TEST_F(PropertyRowsTest, AutoBoxIsDisabledUnlessTheCameraCanDoBothButShowsTheMode) {
  auto platform = std::make_shared<ScriptedPlatform>();
  auto setup = CameraSetup("Cam");
  // Automatic only, running automatically; manual only; both, running manually.
  setup.videoProcAmp[VideoProcAmp_WhiteBalance] = RangedProperty{4600, kPropertyFlagsAuto, 2800, 6500, 10, 4600,
                                                                kPropertyFlagsAuto};
  setup.videoProcAmp[VideoProcAmp_Gain] = RangedProperty{5, kPropertyFlagsManual, 0, 100, 1, 0, kPropertyFlagsManual};
  setup.cameraControl[CameraControl_Focus] = RangedProperty{10, kPropertyFlagsManual, 0, 250, 5, 0,
                                                           kPropertyFlagsAuto | kPropertyFlagsManual};
  platform->AddDevice(setup);
  StartOnScripted(platform);

  EXPECT_FALSE(Row(WhiteBalance).Controls.CheckBox->isEnabled());
  EXPECT_TRUE(Row(WhiteBalance).Controls.CheckBox->isChecked());
  EXPECT_FALSE(Row(WhiteBalance).Controls.TrackBar->isEnabled());
  EXPECT_FALSE(Row(Gain).Controls.CheckBox->isEnabled());
  EXPECT_FALSE(Row(Gain).Controls.CheckBox->isChecked());
  EXPECT_TRUE(Row(Gain).Controls.TrackBar->isEnabled());
  EXPECT_TRUE(Row(Focus).Controls.CheckBox->isEnabled());
  EXPECT_FALSE(Row(Focus).Controls.CheckBox->isChecked());
}

TEST_F(PropertyRowsTest, CameraWithoutPropertiesKeepsRowsBlankEvenWhenCodeMovesASlider) {
  UseSimulated({"hd-autofocus", "no-controls"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.SupportLevel, 1);
  Row(Brightness).Controls.TrackBar->SetValue(7);
  EXPECT_EQ(Row(Brightness).Controls.ValueLabel->text(), " ");
  for (const TPropertyRow& row : window.PropertyRows()) EXPECT_TRUE(row.Controls.Monochrome->isEnabled());
}

TEST_F(PropertyRowsTest, ASingleSupportedPropertyMakesTheCameraConfigurable) {
  UseSimulated({"hd-autofocus", WriteCamera("exposure-only.ini", "Exposure Only",
                                            "[CameraControl.Exposure]\nMin=3\nMax=2047\nDefault=250\n"
                                            "Capabilities=Auto Manual\nMode=Manual\n")});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.SupportLevel, 2);
  EXPECT_EQ(Row(Exposure).Controls.ValueLabel->text(), "250");
  EXPECT_TRUE(Row(Exposure).Controls.TrackBar->isEnabled());
  EXPECT_EQ(Row(Brightness).Controls.ValueLabel->text(), " ");
}

}  // namespace
