// Properties on the fake kernel: what the rows would show for each published webcam listing, the exact
// ioctls behind a slider move or an "Auto" click, the not-supported answers, and the failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>

#include "camera/CameraProperties.h"
#include "camera/FCamera.h"
#include "tests/v4l2/ListingOracle.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using Strings = std::vector<std::string>;

IRangedPropertyInterface& Family(const BoundCamera& camera, TFPropertyInterface family) {
  if (family == TFPropertyInterface::VideoProcAmp) return *camera.procAmp;
  return *camera.cameraControl;
}

class ListingRowsTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ListingRowsTest, EveryPropertyShowsWhatTheListingSays) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(GetParam());
  rig.Plug(model);
  const BoundCamera camera = rig.Bind(model.card);

  struct Probe {
    TFPropertyInterface family;
    std::int32_t id;
    std::string name;
  };
  std::vector<Probe> probes;
  for (const TFPropertyInfo& info : kCameraProperties) probes.push_back({info.Interface, info.Id, std::string(info.Name)});
  probes.push_back({TFPropertyInterface::VideoProcAmp, VideoProcAmp_PowerLineFrequency, "PowerLineFrequency"});
  probes.push_back({TFPropertyInterface::VideoProcAmp, VideoProcAmp_WhiteBalanceComponent, "WhiteBalanceComponent"});
  probes.push_back({TFPropertyInterface::CameraControl, CameraControl_ScanMode, "ScanMode"});
  probes.push_back({TFPropertyInterface::CameraControl, CameraControl_FocalLength, "FocalLength"});

  int supportedCount = 0;
  for (const Probe& probe : probes) {
    SCOPED_TRACE(GetParam() + " " + probe.name);
    const ExpectedRow expected = ExpectRow(model, probe.family, probe.id);
    IRangedPropertyInterface& family = Family(camera, probe.family);
    std::int32_t value = -1, flags = -1, min = -1, max = -1, step = -1, defaultValue = -1, caps = -1;
    const Result got = family.Get(probe.id, value, flags);
    const Result ranged = family.GetRange(probe.id, min, max, step, defaultValue, caps);
    if (!expected.supported) {
      EXPECT_EQ(got, kErrorNotFound);
      EXPECT_EQ(ranged, kErrorNotFound);
      EXPECT_EQ(family.Set(probe.id, 0, kPropertyFlagsManual), kErrorNotFound);
      continue;
    }
    ++supportedCount;
    ASSERT_EQ(got, kOk);
    ASSERT_EQ(ranged, kOk);
    EXPECT_EQ(value, expected.value);
    EXPECT_EQ(flags, expected.flags);
    EXPECT_EQ(min, expected.min);
    EXPECT_EQ(max, expected.max);
    EXPECT_EQ(step, expected.step);
    EXPECT_EQ(defaultValue, expected.defaultValue);
    EXPECT_EQ(caps, expected.caps);
  }
  EXPECT_GE(supportedCount, 8);  // every profile has a good part of the rows
}

INSTANTIATE_TEST_SUITE_P(Profiles, ListingRowsTest, ::testing::ValuesIn(WebcamProfileNames()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// An older camera reports defaults its own ranges cannot hold (57343 for 0..255). The component
// reads them as the driver reports them, with the range and the value intact; the rows of such a
// camera are checked with every other listing (ListingRowsTest here, WindowRowsTest on the window).
TEST(V4l2PropertyTest, ADefaultOutsideTheRangeReachesTheComponentAsReported) {
  V4l2TestRig rig;
  rig.PlugProfile("vga-webcam");
  TFCamera camera(nullptr, rig.PlatformPointer());
  camera.SetDeviceName("Simulated VGA Webcam");
  const TFRange range = camera.BrightnessRange();
  EXPECT_EQ(range.Min, 0);
  EXPECT_EQ(range.Max, 255);
  EXPECT_EQ(range.Delta, 1);
  EXPECT_EQ(range.Default, 57343);
  EXPECT_TRUE(range.Manual);
  EXPECT_EQ(camera.Brightness(), 128);
  camera.SetBrightness(range.Max);
  EXPECT_EQ(camera.Brightness(), 255);
}

// ---- The ioctls behind the window's actions --------------------------------------------------------

// What the camera component does: a slider move reads the flags and writes the value with them; an
// "Auto" click reads the value and writes it back with the new mode.
enum class Action { MoveSlider, TickAuto, UntickAuto };

struct IoctlCase {
  std::string name;
  std::string profile;
  TFPropertyInterface family;
  std::int32_t id;
  std::function<void(FakeCamera&)> prepare;
  Action action;
  std::int32_t sliderValue;
  Strings expectedIoctls;
  std::uint32_t checkedControl;
  std::int32_t expectedValue;
};

class WindowActionTest : public ::testing::TestWithParam<IoctlCase> {};

TEST_P(WindowActionTest, IssuesExactlyTheIoctlsV4l2Needs) {
  const IoctlCase& c = GetParam();
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile(c.profile);
  if (c.prepare) c.prepare(fake);
  const BoundCamera camera = rig.Bind(LoadWebcamProfile(c.profile).card);
  IRangedPropertyInterface& family = Family(camera, c.family);
  std::int32_t value = 0;
  std::int32_t flags = 0;
  ASSERT_EQ(family.Get(c.id, value, flags), kOk);  // learns the controls once
  rig.Kernel().ClearLog();

  ASSERT_EQ(family.Get(c.id, value, flags), kOk);
  switch (c.action) {
    case Action::MoveSlider: EXPECT_EQ(family.Set(c.id, c.sliderValue, flags), kOk); break;
    case Action::TickAuto: EXPECT_EQ(family.Set(c.id, value, kPropertyFlagsAuto), kOk); break;
    case Action::UntickAuto: EXPECT_EQ(family.Set(c.id, value, kPropertyFlagsManual), kOk); break;
  }
  EXPECT_EQ(rig.Kernel().LogText(), c.expectedIoctls);
  EXPECT_EQ(fake.Value(c.checkedControl), c.expectedValue);
}

void ManualExposure(FakeCamera& camera) { camera.SetValue(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL); }
void ManualWhiteBalance(FakeCamera& camera) { camera.SetValue(V4L2_CID_AUTO_WHITE_BALANCE, 0); }
void ManualGain(FakeCamera& camera) { camera.SetValue(V4L2_CID_AUTOGAIN, 0); }

const IoctlCase kIoctlCases[] = {
    {"PlainSlider", "hd-autofocus", TFPropertyInterface::VideoProcAmp, VideoProcAmp_Brightness, nullptr,
     Action::MoveSlider, 140, {"G_CTRL brightness", "S_CTRL brightness=140"}, V4L2_CID_BRIGHTNESS, 140},
    {"ManualExposureSlider", "hd-autofocus", TFPropertyInterface::CameraControl, CameraControl_Exposure,
     ManualExposure, Action::MoveSlider, 300,
     {"G_CTRL exposure_auto", "G_CTRL exposure_absolute", "G_CTRL exposure_auto", "S_CTRL exposure_absolute=300"},
     V4L2_CID_EXPOSURE_ABSOLUTE, 300},
    // A slider moved while the camera chooses the value: the mode stays automatic and nothing is written,
    // since the driver would refuse the inactive control.
    {"SliderWhileAutomatic", "hd-autofocus", TFPropertyInterface::CameraControl, CameraControl_Focus, nullptr,
     Action::MoveSlider, 100, {"G_CTRL focus_auto", "G_CTRL focus_absolute", "G_CTRL focus_auto"},
     V4L2_CID_FOCUS_ABSOLUTE, 0},
    {"UntickExposureAuto", "hd-autofocus", TFPropertyInterface::CameraControl, CameraControl_Exposure, nullptr,
     Action::UntickAuto, 0,
     {"G_CTRL exposure_auto", "G_CTRL exposure_absolute", "G_CTRL exposure_auto", "S_CTRL exposure_auto=1",
      "S_CTRL exposure_absolute=250"},
     V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
    {"TickExposureAuto", "hd-autofocus", TFPropertyInterface::CameraControl, CameraControl_Exposure, ManualExposure,
     Action::TickAuto, 0,
     {"G_CTRL exposure_auto", "G_CTRL exposure_absolute", "G_CTRL exposure_auto", "S_CTRL exposure_auto=3"},
     V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY},
    {"TickWhiteBalanceAuto", "4k-webcam", TFPropertyInterface::VideoProcAmp, VideoProcAmp_WhiteBalance,
     ManualWhiteBalance, Action::TickAuto, 0,
     {"G_CTRL white_balance_automatic", "G_CTRL white_balance_temperature", "G_CTRL white_balance_automatic",
      "S_CTRL white_balance_automatic=1"},
     V4L2_CID_AUTO_WHITE_BALANCE, 1},
    {"UntickHueAuto", "ptz-conference", TFPropertyInterface::VideoProcAmp, VideoProcAmp_Hue, nullptr,
     Action::UntickAuto, 0,
     {"G_CTRL hue_auto", "G_CTRL hue", "G_CTRL hue_auto", "S_CTRL hue_auto=0", "S_CTRL hue=7"}, V4L2_CID_HUE_AUTO, 0},
    // Ticking a box that is already ticked writes nothing.
    {"TickAutoAgain", "hd-autofocus", TFPropertyInterface::CameraControl, CameraControl_Focus, nullptr,
     Action::TickAuto, 0, {"G_CTRL focus_auto", "G_CTRL focus_absolute", "G_CTRL focus_auto"}, V4L2_CID_FOCUS_AUTO, 1},
    // Drivers outside uvcvideo: exposure is EXPOSURE, its mode either AUTOGAIN (shared with gain) or an
    // EXPOSURE_AUTO menu whose only automatic item is "auto".
    {"UntickExposureTiedToAutogain", "sensor-autogain", TFPropertyInterface::CameraControl, CameraControl_Exposure,
     nullptr, Action::UntickAuto, 0,
     {"G_CTRL gain_automatic", "G_CTRL exposure", "G_CTRL gain_automatic", "S_CTRL gain_automatic=0",
      "S_CTRL exposure=256"},
     V4L2_CID_AUTOGAIN, 0},
    {"TickExposureTiedToAutogain", "sensor-autogain", TFPropertyInterface::CameraControl, CameraControl_Exposure,
     ManualGain, Action::TickAuto, 0,
     {"G_CTRL gain_automatic", "G_CTRL exposure", "G_CTRL gain_automatic", "S_CTRL gain_automatic=1"},
     V4L2_CID_AUTOGAIN, 1},
    {"SliderOnExposureTiedToManualGain", "sensor-autogain", TFPropertyInterface::CameraControl,
     CameraControl_Exposure, ManualGain, Action::MoveSlider, 1000,
     {"G_CTRL gain_automatic", "G_CTRL exposure", "G_CTRL gain_automatic", "S_CTRL exposure=1000"},
     V4L2_CID_EXPOSURE, 1000},
    {"TickSensorExposureMenu", "sensor-exposure-menu", TFPropertyInterface::CameraControl, CameraControl_Exposure,
     ManualExposure, Action::TickAuto, 0,
     {"G_CTRL auto_exposure", "G_CTRL exposure", "G_CTRL auto_exposure", "S_CTRL auto_exposure=0"},
     V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_AUTO},
    // Its gain has a switch of its own: exposure's mode is the menu, not AUTOGAIN.
    {"UntickSensorExposureMenu", "sensor-exposure-menu", TFPropertyInterface::CameraControl,
     CameraControl_Exposure, nullptr, Action::UntickAuto, 0,
     {"G_CTRL auto_exposure", "G_CTRL exposure", "G_CTRL auto_exposure", "S_CTRL auto_exposure=1",
      "S_CTRL exposure=120"},
     V4L2_CID_AUTOGAIN, 1},
    {"PowerLineFrequency", "hd-autofocus", TFPropertyInterface::VideoProcAmp, VideoProcAmp_PowerLineFrequency,
     nullptr, Action::MoveSlider, 1, {"G_CTRL power_line_frequency", "S_CTRL power_line_frequency=1"},
     V4L2_CID_POWER_LINE_FREQUENCY, 1},
};

INSTANTIATE_TEST_SUITE_P(Actions, WindowActionTest, ::testing::ValuesIn(kIoctlCases),
                         [](const auto& info) { return info.param.name; });

TEST(V4l2PropertyTest, LearnsEachControlOnceAndAsksAgainOnlyForRanges) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  rig.Kernel().ClearLog();
  std::int32_t value = 0, flags = 0, min = 0, max = 0, step = 0, def = 0, caps = 0;
  ASSERT_EQ(camera.cameraControl->Get(CameraControl_Exposure, value, flags), kOk);
  EXPECT_EQ(rig.Kernel().LogText(),
            (Strings{"QUERY_EXT_CTRL exposure_absolute", "QUERY_EXT_CTRL exposure_auto", "QUERYMENU exposure_auto -> EINVAL",
                     "QUERYMENU exposure_auto", "QUERYMENU exposure_auto -> EINVAL", "QUERYMENU exposure_auto",
                     "G_CTRL exposure_auto", "G_CTRL exposure_absolute"}));
  rig.Kernel().ClearLog();
  ASSERT_EQ(camera.cameraControl->GetRange(CameraControl_Exposure, min, max, step, def, caps), kOk);
  EXPECT_EQ(rig.Kernel().LogText(), (Strings{"QUERY_EXT_CTRL exposure_absolute", "QUERY_EXT_CTRL exposure_auto"}));
}

// ---- Automatic modes through the exposure menu -----------------------------------------------------

TEST(V4l2PropertyTest, ExposureMenuModesMapOntoAutoAndManual) {
  struct Case {
    std::string name;
    std::map<std::uint32_t, std::string> menu;
    std::int32_t current;
    std::int32_t expectedFlags;
    std::int32_t expectedCaps;
    std::optional<std::int32_t> writtenForAuto;    // nullopt: refused
    std::optional<std::int32_t> writtenForManual;
  };
  const Case cases[] = {
      {"WebcamMenu", {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}}, 3, 1, 3, 3, 1},
      {"FullMenuInAuto", {{0, "Auto Mode"}, {1, "Manual Mode"}, {2, "Shutter Priority Mode"}, {3, "Aperture Priority Mode"}},
       0, 1, 3, 3, 1},  // aperture priority leaves the iris alone
      {"ShutterPriorityIsManual", {{2, "Shutter Priority Mode"}, {3, "Aperture Priority Mode"}}, 2, 2, 3, 3, 2},
      {"AutoOnlyMenu", {{0, "Auto Mode"}, {1, "Manual Mode"}}, 1, 2, 3, 0, 1},
      {"NoManualItem", {{3, "Aperture Priority Mode"}}, 3, 1, 1, 3, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeCameraModel model = LoadWebcamProfile("hd-autofocus");
    for (FakeControl& control : model.controls)
      if (control.id == V4L2_CID_EXPOSURE_AUTO) {
        control.menu = c.menu;
        control.value = c.current;
      }
    V4l2TestRig rig;
    FakeCamera& fake = rig.Plug(model);
    const BoundCamera camera = rig.Bind(model.card);
    std::int32_t value = 0, flags = 0, min = 0, max = 0, step = 0, def = 0, caps = 0;
    ASSERT_EQ(camera.cameraControl->Get(CameraControl_Exposure, value, flags), kOk);
    EXPECT_EQ(flags, c.expectedFlags);
    ASSERT_EQ(camera.cameraControl->GetRange(CameraControl_Exposure, min, max, step, def, caps), kOk);
    EXPECT_EQ(caps, c.expectedCaps);

    // The mode the component asks for lands on an item the menu has; a mode it lacks is refused untouched.
    // Going automatic from an automatic item writes nothing; so start from the other side each time.
    const auto check = [&](std::int32_t mode, const std::optional<std::int32_t>& written, std::int32_t from) {
      fake.SetValue(V4L2_CID_EXPOSURE_AUTO, from);
      const Result r = camera.cameraControl->Set(CameraControl_Exposure, 250, mode);
      if (!written) {
        EXPECT_EQ(r, kInvalidArg);
        EXPECT_EQ(fake.Value(V4L2_CID_EXPOSURE_AUTO), from);
        return;
      }
      EXPECT_EQ(r, kOk);
      EXPECT_EQ(fake.Value(V4L2_CID_EXPOSURE_AUTO), *written);
    };
    const std::int32_t someManual = c.menu.count(1) ? 1 : c.menu.count(2) ? 2 : -1;
    const std::int32_t someAuto = c.menu.count(3) ? 3 : 0;
    if (someManual >= 0) check(kPropertyFlagsAuto, c.writtenForAuto, someManual);
    check(kPropertyFlagsManual, c.writtenForManual, someAuto);
  }
}

// ---- Controls of unusual shape ---------------------------------------------------------------------

TEST(V4l2PropertyTest, ReadOnlyValuesAndLoneAutomaticSwitchesKeepToWhatTheDriverAllows) {
  FakeCameraModel model = LoadWebcamProfile("laptop-camera");
  model.controls.erase(std::remove_if(model.controls.begin(), model.controls.end(),
                                     [](const FakeControl& c) { return c.id == V4L2_CID_WHITE_BALANCE_TEMPERATURE; }),
                      model.controls.end());
  for (FakeControl& control : model.controls)
    if (control.id == V4L2_CID_GAMMA) control.flags |= V4L2_CTRL_FLAG_READ_ONLY;
  V4l2TestRig rig;
  FakeCamera& fake = rig.Plug(model);
  const BoundCamera camera = rig.Bind(model.card);
  std::int32_t value = -1, flags = 0, min = -1, max = -1, step = -1, def = -1, caps = -1;

  // A read-only gamma: readable, no manual capability, a write refused before any ioctl reaches it.
  ASSERT_EQ(camera.procAmp->GetRange(VideoProcAmp_Gamma, min, max, step, def, caps), kOk);
  EXPECT_EQ(caps, 0);
  rig.Kernel().ClearLog();
  EXPECT_EQ(camera.procAmp->Set(VideoProcAmp_Gamma, 150, kPropertyFlagsManual), ResultFromErrno(EACCES));
  EXPECT_TRUE(rig.Kernel().LogText().empty());

  // Only the automatic white balance switch: the row exists, can be turned off and on, has no value.
  ASSERT_EQ(camera.procAmp->Get(VideoProcAmp_WhiteBalance, value, flags), kOk);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(flags, kPropertyFlagsAuto);
  ASSERT_EQ(camera.procAmp->GetRange(VideoProcAmp_WhiteBalance, min, max, step, def, caps), kOk);
  EXPECT_EQ(caps, kPropertyFlagsAuto);
  EXPECT_EQ(camera.procAmp->Set(VideoProcAmp_WhiteBalance, 0, kPropertyFlagsManual), kOk);
  EXPECT_EQ(fake.Value(V4L2_CID_AUTO_WHITE_BALANCE), 0);

  // A property without an automatic companion cannot be made automatic; odd flag words are refused.
  EXPECT_EQ(camera.procAmp->Set(VideoProcAmp_Contrast, 10, kPropertyFlagsAuto), kInvalidArg);
  EXPECT_EQ(camera.procAmp->Set(VideoProcAmp_Contrast, 10, 3), kInvalidArg);
  EXPECT_EQ(camera.procAmp->Set(VideoProcAmp_Contrast, 10, 0), kInvalidArg);
}

TEST(V4l2PropertyTest, DriversWithoutTheExtendedQueryAnswerThePlainOne) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  fake.FailNext(VIDIOC_QUERY_EXT_CTRL, ENOTTY, 1000);
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  std::int32_t min = 0, max = 0, step = 0, def = 0, caps = 0;
  ASSERT_EQ(camera.cameraControl->GetRange(CameraControl_Focus, min, max, step, def, caps), kOk);
  EXPECT_EQ(max, 250);
  EXPECT_EQ(step, 5);
  EXPECT_EQ(caps, 3);
}

// ---- Failures --------------------------------------------------------------------------------------

TEST(V4l2PropertyTest, DriverRefusalsBecomeDistinctCodesWithReadableTexts) {
  struct Case {
    std::string name;
    std::function<void(FakeCamera&)> fault;
    bool write;
    Result expected;
    std::string text;
  };
  const Case cases[] = {
      {"Busy", [](FakeCamera& c) { c.FailNext(VIDIOC_G_CTRL, EBUSY); }, false, ResultFromErrno(EBUSY),
       "The camera is in use by another program"},
      {"IoErrorFromAPresentCamera", [](FakeCamera& c) { c.FailNext(VIDIOC_S_CTRL, EIO); }, true, ResultFromErrno(EIO),
       "input/output error"},
      {"IoErrorFromAVanishedCamera",
       [](FakeCamera& c) {
         c.FailNext(VIDIOC_G_CTRL, EIO);
         c.FailNext(VIDIOC_QUERYCAP, ENODEV);
       },
       false, v4l2::kResultDisconnected, "The camera was disconnected"},
      {"AccessRefused", [](FakeCamera& c) { c.FailNext(VIDIOC_S_CTRL, EACCES); }, true, ResultFromErrno(EACCES),
       "does not allow access to this setting"},
      {"OutOfRange", [](FakeCamera& c) { c.FailNext(VIDIOC_S_CTRL, ERANGE); }, true, ResultFromErrno(ERANGE),
       "outside the range"},
      {"Unplugged", [](FakeCamera& c) { c.Unplug(); }, true, v4l2::kResultDisconnected, "The camera was disconnected"},
      {"UnknownErrno", [](FakeCamera& c) { c.FailNext(VIDIOC_G_CTRL, EOVERFLOW); }, false, ResultFromErrno(EOVERFLOW),
       "The camera refused the request: "},
  };
  std::vector<Result> codes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    V4l2TestRig rig;
    FakeCamera& fake = rig.PlugProfile("hd-autofocus");
    const BoundCamera camera = rig.Bind("Simulated HD Webcam");
    std::int32_t value = 0, flags = 0;
    ASSERT_EQ(camera.procAmp->Get(VideoProcAmp_Brightness, value, flags), kOk);
    c.fault(fake);
    const Result r = c.write ? camera.procAmp->Set(VideoProcAmp_Brightness, 90, kPropertyFlagsManual)
                             : camera.procAmp->Get(VideoProcAmp_Brightness, value, flags);
    EXPECT_EQ(r, c.expected);
    EXPECT_NE(rig.Platform().GetErrorText(r).find(c.text), std::string::npos) << rig.Platform().GetErrorText(r);
    if (std::find(codes.begin(), codes.end(), r) == codes.end()) codes.push_back(r);
  }
  EXPECT_EQ(codes.size(), 6u) << "busy, I/O, gone, access, range and others are told apart";
  EXPECT_NE(ResultFromErrno(EINVAL), kErrorNotFound);
}

TEST(V4l2PropertyTest, ACameraUnpluggedBetweenTwoCallsAnswersDisconnectedFromThenOn) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  std::int32_t value = 0, flags = 0, min = 0, max = 0, step = 0, def = 0, caps = 0;
  ASSERT_EQ(camera.cameraControl->Get(CameraControl_Zoom, value, flags), kOk);
  fake.Unplug();
  EXPECT_EQ(camera.cameraControl->Get(CameraControl_Zoom, value, flags), v4l2::kResultDisconnected);
  EXPECT_EQ(camera.cameraControl->Set(CameraControl_Zoom, 200, kPropertyFlagsManual), v4l2::kResultDisconnected);
  EXPECT_EQ(camera.cameraControl->GetRange(CameraControl_Zoom, min, max, step, def, caps), v4l2::kResultDisconnected);
  // A property never asked about before fails the same way, not as "not supported".
  EXPECT_EQ(camera.procAmp->Get(VideoProcAmp_Saturation, value, flags), v4l2::kResultDisconnected);
  EXPECT_TRUE(rig.ListDevices().empty());
}

TEST(V4l2PropertyTest, ACameraVanishingInsideAWriteStopsBeforeTheValue) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  std::int32_t value = 0, flags = 0;
  ASSERT_EQ(camera.cameraControl->Get(CameraControl_Exposure, value, flags), kOk);
  rig.Kernel().ClearLog();
  fake.VanishAfterIoctls(2);  // the mode read succeeds, turning automatic off meets the unplug
  EXPECT_EQ(camera.cameraControl->Set(CameraControl_Exposure, 400, kPropertyFlagsManual), v4l2::kResultDisconnected);
  EXPECT_EQ(rig.Kernel().LogText(), (Strings{"G_CTRL exposure_auto", "S_CTRL exposure_auto=1 -> ENODEV"}));
}

TEST(V4l2PropertyTest, AControlTheDriverDoesNotKnowIsNotSupported) {
  V4l2TestRig rig;
  rig.PlugProfile("laptop-camera");
  const BoundCamera camera = rig.Bind("Simulated Laptop Camera");
  std::int32_t value = 0, flags = 0;
  rig.Kernel().ClearLog();
  EXPECT_EQ(camera.cameraControl->Get(CameraControl_Pan, value, flags), kErrorNotFound);
  EXPECT_EQ(rig.Kernel().LogText(), (Strings{"QUERY_EXT_CTRL 0x009a0908 -> EINVAL"}));
  // Known absent: asking again costs nothing.
  rig.Kernel().ClearLog();
  EXPECT_EQ(camera.cameraControl->Get(CameraControl_Pan, value, flags), kErrorNotFound);
  EXPECT_TRUE(rig.Kernel().LogText().empty());
  // Ids without any V4L2 control never reach the driver.
  EXPECT_EQ(camera.cameraControl->Get(CameraControl_Roll, value, flags), kErrorNotFound);
  EXPECT_EQ(camera.procAmp->Get(VideoProcAmp_ColorEnable, value, flags), kErrorNotFound);
  EXPECT_EQ(camera.procAmp->Get(VideoProcAmp_DigitalMultiplier, value, flags), kErrorNotFound);
  EXPECT_TRUE(rig.Kernel().LogText().empty());
}

TEST(V4l2PropertyTest, PowerLineFrequencyOutsideTheMenuIsRefusedWithRange) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");
  rig.PlugProfile("ptz-conference");
  const BoundCamera webcam = rig.Bind("Simulated HD Webcam");
  const BoundCamera ptz = rig.Bind("Simulated PTZ Conference Camera");
  const Result refused = webcam.procAmp->Set(VideoProcAmp_PowerLineFrequency, 3, kPropertyFlagsManual);
  EXPECT_EQ(refused, ResultFromErrno(ERANGE));
  EXPECT_EQ(rig.Platform().GetErrorText(refused), "The value is outside the range the camera accepts");
  EXPECT_EQ(ptz.procAmp->Set(VideoProcAmp_PowerLineFrequency, 3, kPropertyFlagsManual), kOk);
  std::int32_t value = 0, flags = 0;
  ASSERT_EQ(ptz.procAmp->Get(VideoProcAmp_PowerLineFrequency, value, flags), kOk);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(flags, kPropertyFlagsManual);
}

}  // namespace
}  // namespace tavelo::v4l2test
