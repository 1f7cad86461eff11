// The command line on the simulated cameras: every option, every exit status, and files that the
// window's Save and Load read and write the same way.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "camera/platform/Interfaces.h"
#include "camera/platform/simulated/SimulatedPlatform.h"
#include "settings/CameraSettingsFile.h"
#include "tests/cli/CommandLineHarness.h"

namespace tavelo::clitest {
namespace {

using platform::CallFault;
using platform::PropertyFamily;
using platform::SimulatedCall;

const QString kHd = QStringLiteral("Simulated HD Webcam");
const QString kLaptop = QStringLiteral("Simulated Laptop Camera");
const std::string kHdPath = "sim://hd-webcam";

struct DriverProperty {
  PropertyFamily family;
  std::int32_t id;
};
constexpr DriverProperty kBrightness{PropertyFamily::VideoProcAmp, platform::VideoProcAmp_Brightness};
constexpr DriverProperty kContrast{PropertyFamily::VideoProcAmp, platform::VideoProcAmp_Contrast};
constexpr DriverProperty kWhiteBalance{PropertyFamily::VideoProcAmp, platform::VideoProcAmp_WhiteBalance};
constexpr DriverProperty kFrequency{PropertyFamily::VideoProcAmp, platform::VideoProcAmp_PowerLineFrequency};
constexpr DriverProperty kExposure{PropertyFamily::CameraControl, platform::CameraControl_Exposure};
constexpr DriverProperty kFocus{PropertyFamily::CameraControl, platform::CameraControl_Focus};

class CommandLineTest : public SimulatedCamerasTest {
 protected:
  CommandLineRun Run(const QStringList& arguments) { return RunCli(cameras, arguments); }
  CommandLineRun OnHd(QStringList arguments) { return Run(QStringList{"--camera", kHd} + arguments); }

  platform::PropertyState Driver(DriverProperty property, const std::string& device = kHdPath) const {
    return cameras->ReadProperty(device, property.family, property.id).value();
  }
};

TEST_F(CommandLineTest, ListNamesEveryCameraWithItsPathAndDriver) {
  const CommandLineRun text = Run({"--list"});
  EXPECT_EQ(text.exit, ceOk);
  EXPECT_EQ(text.OutLines(),
            (QStringList{kHd + "\tsim://hd-webcam\tSimulated USB video device (1080p, autofocus)",
                         kLaptop + "\tsim://laptop-camera\tSimulated integrated camera"}));
  EXPECT_TRUE(text.err.isEmpty());

  const CommandLineRun json = Run({"--list", "--json"});
  ASSERT_EQ(json.exit, ceOk);
  const QJsonArray listed = QJsonDocument::fromJson(json.out.toUtf8()).array();
  ASSERT_EQ(listed.size(), 2);
  EXPECT_EQ(listed[0].toObject()["name"].toString(), kHd);
  EXPECT_EQ(listed[0].toObject()["path"].toString(), "sim://hd-webcam");
  EXPECT_EQ(listed[0].toObject()["driver"].toString(), "Simulated USB video device (1080p, autofocus)");
  EXPECT_EQ(listed[1].toObject()["name"].toString(), kLaptop);
}

TEST_F(CommandLineTest, HelpDescribesEveryOptionAndExitStatus) {
  const CommandLineRun help = Run({"--help"});
  EXPECT_EQ(help.exit, ceOk);
  for (const char* word : {"--list", "--json", "--camera", "--get", "--set", "--save", "--load", "PowerFrequency",
                           "Exit status"}) {
    EXPECT_TRUE(help.out.contains(QLatin1StringView(word))) << word;
  }
}

// Words that cannot be carried out are refused as a whole before the camera is touched: one line, status 2.
TEST_F(CommandLineTest, BadArgumentsChangeNothing) {
  const struct {
    QStringList arguments;
    const char* complaint;
  } cases[] = {
      {{"--frobnicate"}, "Unknown option"},
      {{"--list", "--camera", kHd}, "takes no --camera"},
      {{"--get"}, "needs --camera"},
      {{"--camera"}, "needs a camera name"},
      {{"--camera", kHd}, "Nothing to do"},
      {{"--camera", kHd, "--set"}, "needs NAME=VALUE"},
      {{"--camera", kHd, "--set", "brightness"}, "NAME=VALUE"},
      {{"--camera", kHd, "--set", "=5"}, "NAME=VALUE"},
      {{"--camera", kHd, "--set", "brightness=bright"}, "a number or auto"},
      {{"--camera", kHd, "--set", "brightness=nan"}, "a number or auto"},
      {{"--camera", kHd, "--set", "sparkle=3"}, "Unknown property \"sparkle\""},
      {{"--camera", kHd, "--set", "powerfrequency=55"}, "50, 60, auto or disabled"},
      {{"--camera", kHd, "--get", "sparkle"}, "Unknown property"},
      {{"--camera", kHd, "--set", "brightness=3", "--get"}, "cannot be used together"},
      {{"--camera", kHd, "--save"}, "needs a file name"},
      {{"--camera", kHd, "--load", "--json"}, "needs a file name"},
      {{"--camera", kHd, "--save", "x.vcs", "--json"}, "--json goes with"},
      // The whole request is checked against the camera before any of it is written.
      {{"--camera", kHd, "--set", "brightness=3", "hue=5"}, "Simulated HD Webcam does not have Hue"},
      {{"--camera", kHd, "--get", "iris"}, "does not have Iris"},
  };
  const platform::PropertyState before = Driver(kBrightness);
  for (const auto& c : cases) {
    const CommandLineRun run = Run(c.arguments);
    const QString words = c.arguments.join(' ');
    EXPECT_EQ(run.exit, ceBadArgument) << words.toStdString();
    ASSERT_EQ(run.ErrLines().size(), 1) << words.toStdString() << ": " << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1StringView(c.complaint))) << words.toStdString() << ": " << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << words.toStdString();
    EXPECT_EQ(Driver(kBrightness), before) << words.toStdString();
  }
}

// Values are held into the property's range as a row's slider holds them and reach the camera truncated;
// a value takes the property out of automatic mode, "auto" puts it in; names are matched in any case.
TEST_F(CommandLineTest, SetHoldsValuesIntoRangeInAnyLetterCase) {
  constexpr std::int32_t kManual = platform::kPropertyFlagsManual;
  const struct {
    QStringList words;
    DriverProperty property;
    platform::PropertyState expected;
  } cases[] = {
      {{"brightness=140"}, kBrightness, {140, kManual}},
      {{"BRIGHTNESS=9999"}, kBrightness, {255, kManual}},
      {{"Brightness=-5"}, kBrightness, {0, kManual}},
      {{"brightness=140.9"}, kBrightness, {140, kManual}},
      {{"brightness=1e308"}, kBrightness, {255, kManual}},
      {{" brightness = 17 "}, kBrightness, {17, kManual}},
      // Both start under automatic control, which a value ends.
      {{"whiteBalance=100"}, kWhiteBalance, {2000, kManual}},
      {{"Exposure=500"}, kExposure, {500, kManual}},
      {{"focus=100", "FOCUS=auto"}, kFocus, {100, platform::kPropertyFlagsAuto}},
  };
  for (const auto& c : cases) {
    SetUp();  // a camera at its power-on values for each case
    const QString words = c.words.join(' ');
    const CommandLineRun run = OnHd(QStringList{"--set"} + c.words);
    EXPECT_EQ(run.exit, ceOk) << words.toStdString() << ": " << run.err.toStdString();
    EXPECT_EQ(Driver(c.property), c.expected) << words.toStdString();
  }
}

TEST_F(CommandLineTest, SetTakesSeveralChangesAndThePowerFrequency) {
  ASSERT_EQ(OnHd({"--set", "exposure=700", "exposure=auto", "contrast=33", "PowerFrequency=60"}).exit, ceOk);
  EXPECT_EQ(Driver(kExposure).flags, platform::kPropertyFlagsAuto);
  EXPECT_EQ(Driver(kContrast).value, 33);
  EXPECT_EQ(Driver(kFrequency).value, 2);

  const struct {
    const char* word;
    std::int32_t driverValue;
    const char* shown;
  } frequencies[] = {{"50", 1, "50"}, {"60", 2, "60"}, {"Disabled", 0, "disabled"}};
  for (const auto& f : frequencies) {
    ASSERT_EQ(OnHd({"--set", QStringLiteral("powerfrequency=") + f.word}).exit, ceOk) << f.word;
    EXPECT_EQ(Driver(kFrequency).value, f.driverValue) << f.word;
    EXPECT_EQ(OnHd({"--get", "PowerFrequency"}).out, QStringLiteral("PowerFrequency=%1\n").arg(f.shown));
  }
}

TEST_F(CommandLineTest, GetShowsTheNamedPropertiesOrEveryOneTheCameraHas) {
  ASSERT_EQ(OnHd({"--set", "brightness=140", "exposure=auto"}).exit, ceOk);
  const CommandLineRun named = OnHd({"--get", "exposure", "BRIGHTNESS"});
  EXPECT_EQ(named.exit, ceOk);
  EXPECT_EQ(named.OutLines(),
            (QStringList{QStringLiteral("Exposure=%1 auto").arg(Driver(kExposure).value), "Brightness=140"}));

  // All the camera has, in the settings file's order; the properties it lacks are left out.
  QStringList names;
  for (const QString& line : OnHd({"--get"}).OutLines()) names << line.section('=', 0, 0);
  EXPECT_EQ(names, (QStringList{"BacklightCompensation", "Brightness", "Contrast", "Exposure", "Focus", "Gain",
                                "Pan", "Saturation", "Sharpness", "Tilt", "WhiteBalance", "Zoom", "PowerFrequency"}));

  const CommandLineRun json = OnHd({"--get", "brightness", "exposure", "--json"});
  ASSERT_EQ(json.exit, ceOk);
  const QJsonObject answer = QJsonDocument::fromJson(json.out.toUtf8()).object();
  EXPECT_EQ(answer["Brightness"].toObject()["value"].toInt(), 140);
  EXPECT_EQ(answer["Brightness"].toObject()["max"].toInt(), 255);
  EXPECT_FALSE(answer["Brightness"].toObject()["auto"].toBool());
  EXPECT_TRUE(answer["Exposure"].toObject()["auto"].toBool());
  EXPECT_EQ(answer["Exposure"].toObject()["min"].toInt(), 3);
}

TEST_F(CommandLineTest, CamerasAreFoundByNameInAnyCaseOrByPathAndOtherwiseNot) {
  EXPECT_EQ(Run({"--camera", "sim://laptop-camera", "--set", "brightness=12"}).exit, ceOk);
  EXPECT_EQ(Driver(kBrightness, "sim://laptop-camera").value, 12);
  EXPECT_EQ(Run({"--camera", "simulated hd webcam", "--set", "brightness=13"}).exit, ceOk);
  EXPECT_EQ(Driver(kBrightness).value, 13);

  const CommandLineRun missing = Run({"--camera", "Nothing Here", "--get"});
  EXPECT_EQ(missing.exit, ceNoSuchCamera);
  EXPECT_EQ(missing.ErrLines(), QStringList{"No camera \"Nothing Here\" (see --list)"});

  ASSERT_TRUE(cameras->Unplug(kHdPath));
  EXPECT_EQ(OnHd({"--get"}).exit, ceNoSuchCamera);
}

// A camera that refuses one change gets the others; the refusal is one line and status 4.
TEST_F(CommandLineTest, ARefusedChangeIsReportedAndTheRestIsMade) {
  ASSERT_TRUE(cameras->FailCall(kHdPath, CallFault(SimulatedCall::Set, platform::kErrorDeviceInUse)
                                             .ForProperty(kBrightness.family, kBrightness.id)));
  const CommandLineRun run = OnHd({"--set", "brightness=10", "contrast=20"});
  EXPECT_EQ(run.exit, ceCameraBusy);
  ASSERT_EQ(run.ErrLines().size(), 1) << run.err.toStdString();
  EXPECT_TRUE(run.err.startsWith("Brightness: ")) << run.err.toStdString();
  EXPECT_EQ(Driver(kContrast).value, 20);
}

TEST_F(CommandLineTest, SaveThenLoadPutsTheCameraBack) {
  ASSERT_EQ(OnHd({"--set", "brightness=140", "exposure=500", "powerfrequency=60"}).exit, ceOk);
  ASSERT_EQ(Run({"--camera", kLaptop, "--set", "brightness=7"}).exit, ceOk);
  const QString file = File("webcam.vcs");
  ASSERT_EQ(OnHd({"--save", file}).exit, ceOk);
  ASSERT_EQ(Run({"--camera", kLaptop, "--save", file}).exit, ceOk);

  // The section the window's Load reads: the camera's list name, slider values, modes, frequency index.
  const TCameraSettingsFile saved(file);
  const TCameraSettings hd = saved.Read(kHd);
  EXPECT_EQ(hd.Values[PropertyListIndex(TFCameraProperty::Brightness)], 140);
  EXPECT_EQ(hd.Values[PropertyListIndex(TFCameraProperty::Exposure)], 500);
  EXPECT_FALSE(hd.AutoModes[PropertyListIndex(TFCameraProperty::Exposure)]);
  EXPECT_TRUE(hd.AutoModes[PropertyListIndex(TFCameraProperty::Focus)]);
  EXPECT_EQ(hd.Values[PropertyListIndex(TFCameraProperty::Hue)], 0);  // the camera has no hue
  EXPECT_EQ(hd.PowerFrequency, 1);
  EXPECT_EQ(saved.Read(kLaptop).Values[PropertyListIndex(TFCameraProperty::Brightness)], 7);

  ASSERT_EQ(OnHd({"--set", "brightness=90", "exposure=auto", "powerfrequency=50"}).exit, ceOk);
  const CommandLineRun load = OnHd({"--load", file});
  EXPECT_EQ(load.exit, ceOk) << load.err.toStdString();
  EXPECT_TRUE(load.err.isEmpty());
  EXPECT_EQ(Driver(kBrightness), (platform::PropertyState{140, platform::kPropertyFlagsManual}));
  EXPECT_EQ(Driver(kExposure), (platform::PropertyState{500, platform::kPropertyFlagsManual}));
  EXPECT_EQ(Driver(kFrequency).value, 2);
  EXPECT_EQ(Driver(kBrightness, "sim://laptop-camera").value, 7);  // only the named camera's section
}

// A section as a hand or another version may leave it: modes before values, values held into range,
// properties the camera lacks untouched, a frequency index the list does not have writing nothing.
TEST_F(CommandLineTest, LoadFollowsTheWindowsRulesForOddSections) {
  const QString file = File("odd.vcs");
  {
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("[Simulated HD Webcam]\nBrightness=1e308\nContrast=-40\nExposure=600\nCheckBoxExposure=0\n"
               "Hue=7\nCheckBoxHue=1\nCheckBoxFocus=2\nPowerFrequency=-1\n");
  }
  ASSERT_EQ(OnHd({"--set", "exposure=auto", "powerfrequency=60"}).exit, ceOk);
  const CommandLineRun load = OnHd({"--load", file});
  EXPECT_EQ(load.exit, ceOk) << load.err.toStdString();
  EXPECT_EQ(Driver(kBrightness).value, 255);
  EXPECT_EQ(Driver(kContrast).value, 0);
  EXPECT_EQ(Driver(kExposure), (platform::PropertyState{600, platform::kPropertyFlagsManual}));
  EXPECT_EQ(Driver(kFocus).flags, platform::kPropertyFlagsAuto);
  EXPECT_EQ(Driver(kFrequency).value, 2);
  // Entries that are missing take the defaults: manual, and the value held into range from 0.
  EXPECT_EQ(Driver(kWhiteBalance), (platform::PropertyState{2000, platform::kPropertyFlagsManual}));
}

TEST_F(CommandLineTest, FileProblemsChangeNothing) {
  const QString otherCamerasFile = File("laptop.vcs");
  ASSERT_EQ(Run({"--camera", kLaptop, "--save", otherCamerasFile}).exit, ceOk);
  const platform::PropertyState before = Driver(kBrightness);

  const CommandLineRun noSection = OnHd({"--load", otherCamerasFile});
  EXPECT_EQ(noSection.exit, ceFileProblem);
  EXPECT_EQ(noSection.ErrLines(), QStringList{"No settings for Simulated HD Webcam in \"laptop.vcs\". Nothing changed."});

  const CommandLineRun noFile = OnHd({"--load", File("missing.vcs")});
  EXPECT_EQ(noFile.exit, ceFileProblem);
  EXPECT_EQ(noFile.ErrLines().size(), 1);
  EXPECT_TRUE(noFile.err.contains("missing.vcs"));
  EXPECT_EQ(Driver(kBrightness), before);

  const QString unwritable = File("no/such/folder/x.vcs");
  const CommandLineRun save = OnHd({"--save", unwritable});
  EXPECT_EQ(save.exit, ceFileProblem);
  EXPECT_EQ(save.ErrLines(), QStringList{"Unable to write to " + unwritable});
}

}  // namespace
}  // namespace tavelo::clitest
