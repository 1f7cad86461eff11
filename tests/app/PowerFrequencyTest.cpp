// The power-line frequency choice.

#include <gtest/gtest.h>

#include "ui/ListBox.h"
#include "tests/app/MainWindowHarness.h"
#include "tests/support/ScriptedPlatform.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::ScriptedPlatform;

namespace {

const std::string kLaptop = "sim://laptop-camera";

std::int32_t DriverFrequency(SimulatedPlatform& platform) {
  return platform.ReadProperty(kLaptop, PropertyFamily::VideoProcAmp, VideoProcAmp_PowerLineFrequency)->value;
}

TEST_F(MainWindowTest, FrequencyListOffersFiftyAndSixtyHertzAndStartsWithoutSelection) {
  UseSimulated({"no-controls", "hd-autofocus"});
  TFormMain& window = Start();
  ASSERT_EQ(window.ComboBoxFrequency->Count(), 2);
  EXPECT_EQ(window.ComboBoxFrequency->ItemText(0), "PAL - 50Hz");
  EXPECT_EQ(window.ComboBoxFrequency->ItemText(1), "NTSC - 60Hz");
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), -1);
  EXPECT_TRUE(window.LayoutFrequency->isHidden()) << "the selected camera has no power-line frequency";

  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_FALSE(window.LayoutFrequency->isHidden());
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 1) << "the HD webcam runs at 60 Hz";
}

TEST_F(MainWindowTest, FrequencyRoundTripsThroughTheCamera) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 1);
  ASSERT_EQ(window.ComboBoxFrequency->ItemIndex(), 0);

  ClickEntry(window.ComboBoxFrequency, 1);
  EXPECT_EQ(window.FCamera->PowerLineFrequency(), TFPowerLineFrequency::pf60Hz);
  EXPECT_EQ(DriverFrequency(Simulated()), 2);
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 1);

  ClickEntry(window.ComboBoxFrequency, 0);
  EXPECT_EQ(window.FCamera->PowerLineFrequency(), TFPowerLineFrequency::pf50Hz);
  EXPECT_EQ(DriverFrequency(Simulated()), 1);

  // Switching to a camera without the setting hides the block; back again, it follows that camera.
  ClickEntry(window.ComboBoxCamera, 0);
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 1);
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(MainWindowTest, FrequencyNeitherFiftyNorSixtyLeavesTheSelection) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 1);
  for (const std::int32_t driverValue : {0, 3}) {  // disabled, automatic
    Simulated().SetPropertyExternally(kLaptop, PropertyFamily::VideoProcAmp, VideoProcAmp_PowerLineFrequency,
                                      driverValue, kPropertyFlagsManual);
    window.ComboBoxCameraChange();
    EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 0) << driverValue;
  }
}

TEST_F(MainWindowTest, ClickingTheSelectedFrequencyWritesItAgain) {
  auto platform = std::make_shared<ScriptedPlatform>();
  platform->AddDevice(CameraSetup("Cam"));  // 50 Hz
  TFormMain& window = StartOn(platform);
  ClickEntry(window.ComboBoxCamera, 0);
  ASSERT_EQ(window.ComboBoxFrequency->ItemIndex(), 0);
  platform->ClearCalls();
  ClickEntry(window.ComboBoxFrequency, 0);
  EXPECT_EQ(platform->Log({"VideoProcAmp.Set"}), std::vector<std::string>{"VideoProcAmp.Set(13) value=1 flags=2"});
}

TEST_F(MainWindowTest, FailingFrequencyWriteGoesToTheErrorReportAndKeepsTheClickedItem) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 1);
  CallFault fault;
  fault.call = SimulatedCall::Set;
  fault.family = PropertyFamily::VideoProcAmp;
  fault.id = VideoProcAmp_PowerLineFrequency;
  fault.result = kErrorDeviceInUse;
  Simulated().FailCall(kLaptop, fault);

  ClickEntry(window.ComboBoxFrequency, 1);
  ASSERT_EQ(reports->Messages().size(), 1);
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 1);
  EXPECT_EQ(DriverFrequency(Simulated()), 1);
}

}  // namespace
