// Profile files: what the parser accepts, how it reports mistakes, and that every shipped profile
// reaches the driver interfaces with exactly the numbers written in it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "tests/platform/SimulatedFixture.h"
#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/simulated/EmbeddedProfiles.h"
#include "camera/platform/simulated/IniText.h"
#include "camera/platform/simulated/PictureModel.h"
#include "camera/platform/simulated/ProfileParser.h"
#include "camera/platform/simulated/PropertyNames.h"
#include "camera/platform/simulated/TextUtil.h"

namespace tavelo::platform::simulated {
namespace {

using testing::BindDevice;
using testing::FirstPin;
using testing::MakePlatform;
using testing::Query;

constexpr const char* kDevice = "[Device]\nFriendlyName=Cam\nDevicePath=sim://cam\n";

TEST(ProfileParser, ReadsEveryKindOfSectionWithDefaultsFilledIn) {
  const std::string text = std::string(kDevice) +
                           "; comment\n"
                           "[videoprocamp.brightness]\n"
                           "min=-10\nMAX=10\nDefault=2\nCapabilities=Manual\n"
                           "[CameraControl.Exposure]\n"
                           "Min=-11\nMax=-2\nStep=1\nDefault=-6\nValue=-5\nCapabilities=Auto+Manual\nMode=Auto\n"
                           "[CameraControl.Focus]\n"
                           "Min=0\nMax=10\nDefault=0\nCapabilities=3\nMode=3\n"
                           "[Flash]\nMode=On\nCapabilities=Manual\n"
                           "[Format]\nSubtype=yuy2\nWidth=640\nHeight=480\nFrameRates=30, 7.5\n"
                           "[Format]\nSubtype=MJPG\nWidth=1280\nHeight=720\nBitCount=16\nFrameIntervals=333334 0\n"
                           "Header=VideoInfo2\n";
  std::string error;
  const auto profile = ParseCameraProfile(text, "test.ini", &error);
  ASSERT_TRUE(profile) << error;

  EXPECT_EQ(profile->friendlyName, "Cam");
  EXPECT_EQ(profile->devicePath, "sim://cam");
  EXPECT_EQ(profile->description, "");
  ASSERT_EQ(profile->properties.size(), 3u);

  const PropertyProfile& brightness = profile->properties[0];
  EXPECT_EQ(brightness.family, PropertyFamily::VideoProcAmp);
  EXPECT_EQ(brightness.id, VideoProcAmp_Brightness);
  EXPECT_EQ(brightness.step, 1);         // Step defaults to 1
  EXPECT_EQ(brightness.value, 2);        // Value defaults to Default
  EXPECT_EQ(brightness.flags, kPropertyFlagsManual);

  const PropertyProfile& exposure = profile->properties[1];
  EXPECT_EQ(exposure.capabilities, kPropertyFlagsAuto | kPropertyFlagsManual);
  EXPECT_EQ(exposure.flags, kPropertyFlagsAuto);
  EXPECT_EQ(exposure.value, -5);

  // A numeric mode is kept as the raw flags word, to imitate drivers that report both bits.
  EXPECT_EQ(profile->properties[2].flags, 3);

  ASSERT_TRUE(profile->flash);
  EXPECT_EQ(profile->flash->mode, 1u);
  EXPECT_EQ(profile->flash->capabilities, static_cast<std::uint32_t>(kPropertyFlagsManual));
  EXPECT_FALSE(profile->stabilization);

  ASSERT_EQ(profile->formats.size(), 2u);
  EXPECT_EQ(profile->formats[0].subtype, guids::MediaSubtypeYUY2);
  EXPECT_EQ(profile->formats[0].bitCount, 16);
  EXPECT_EQ(profile->formats[0].frameIntervals, (std::vector<std::int64_t>{333333, 1333333}));
  EXPECT_FALSE(profile->formats[0].extendedHeader);
  EXPECT_EQ(profile->formats[1].compression, MakeFourCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(profile->formats[1].bitCount, 16);
  EXPECT_EQ(profile->formats[1].frameIntervals, (std::vector<std::int64_t>{333334, 0}));
  EXPECT_TRUE(profile->formats[1].extendedHeader);
}

// Older cameras report defaults their own range cannot hold (57343 for a 0..255 control). The profile
// takes them as the driver reports them; the camera starts at the default held into the range, and the
// picture is neutral there.
TEST(ProfileParser, TakesADefaultOutsideTheRangeAsTheCameraReportsIt) {
  const std::string text = std::string(kDevice) +
                           "[VideoProcAmp.Brightness]\nMin=0\nMax=255\nDefault=57343\nCapabilities=Manual\n"
                           "[VideoProcAmp.Contrast]\nMin=0\nMax=100\nDefault=-40\nValue=50\nCapabilities=Manual\n"
                           "[Format]\nSubtype=YUY2\nWidth=640\nHeight=480\nFrameRates=30\n";
  std::string error;
  const auto profile = ParseCameraProfile(text, "test.ini", &error);
  ASSERT_TRUE(profile) << error;
  ASSERT_EQ(profile->properties.size(), 2u);
  EXPECT_EQ(profile->properties[0].defaultValue, 57343);
  EXPECT_EQ(profile->properties[0].value, 255);
  EXPECT_EQ(profile->properties[1].defaultValue, -40);
  EXPECT_EQ(profile->properties[1].value, 50);

  auto platform = std::make_shared<SimulatedPlatform>(std::vector<CameraProfile>{*profile});
  auto procAmp = Query<IAMVideoProcAmp>(BindDevice(*platform, "sim://cam"));
  ASSERT_NE(procAmp, nullptr);
  std::int32_t min = -1, max = -1, step = -1, def = -1, caps = -1, value = -1, flags = -1;
  ASSERT_EQ(procAmp->GetRange(VideoProcAmp_Brightness, min, max, step, def, caps), kOk);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 255);
  EXPECT_EQ(def, 57343);
  ASSERT_EQ(procAmp->Get(VideoProcAmp_Brightness, value, flags), kOk);
  EXPECT_EQ(value, 255);
  // Writing the reported default back is refused like any value outside the range; the value stays.
  EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 57343, kPropertyFlagsManual), kInvalidArg);
  ASSERT_EQ(procAmp->Get(VideoProcAmp_Brightness, value, flags), kOk);
  EXPECT_EQ(value, 255);

  // At the defaults held into their ranges the picture is untouched.
  const PictureAdjustments neutral =
      PictureFromProperties(*profile, {{255, kPropertyFlagsManual}, {0, kPropertyFlagsManual}});
  EXPECT_EQ(neutral.brightness, 0);
  EXPECT_EQ(neutral.contrastPercent, 100);
}

struct BadProfile {
  const char* name;
  std::string text;
  std::string expected;  // the whole "file:line: what" prefix that matters
};

class ProfileParserErrors : public ::testing::TestWithParam<BadProfile> {};

TEST_P(ProfileParserErrors, NameFileLineAndWhat) {
  std::string error;
  EXPECT_FALSE(ParseCameraProfile(GetParam().text, "test.ini", &error));
  EXPECT_EQ(error.substr(0, GetParam().expected.size()), GetParam().expected) << error;
}

const std::string kBrightness = "[VideoProcAmp.Brightness]\nMin=0\nMax=255\nDefault=128\nCapabilities=Manual\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileParserErrors,
    ::testing::Values(
        BadProfile{"NoDevice", kBrightness, "test.ini: the [Device] section is missing"},
        BadProfile{"NotKeyValue", std::string(kDevice) + "Brightness 12\n",
                   "test.ini:4: expected 'Key=Value', '[Section]' or a comment"},
        BadProfile{"KeyBeforeSection", "FriendlyName=x\n", "test.ini:1: 'FriendlyName' appears before any section"},
        BadProfile{"UnknownSection", std::string(kDevice) + "[VideoProcAmp.Brightnes]\n",
                   "test.ini:4: unknown section [VideoProcAmp.Brightnes]"},
        BadProfile{"UnknownKey", std::string(kDevice) + kBrightness + "Mx=3\n", "test.ini:9: unknown key 'Mx'"},
        BadProfile{"KeyTwice", std::string(kDevice) + kBrightness + "min=1\n", "test.ini:9: 'min' is given twice"},
        BadProfile{"SectionTwice", std::string(kDevice) + kBrightness + kBrightness,
                   "test.ini:9: [VideoProcAmp.Brightness] is given twice"},
        BadProfile{"MissingKey", std::string(kDevice) + "[VideoProcAmp.Gain]\nMin=0\nMax=1\nCapabilities=Manual\n",
                   "test.ini:4: [VideoProcAmp.Gain] needs a value for 'Default'"},
        BadProfile{"NotANumber", std::string(kDevice) + "[VideoProcAmp.Gain]\nMin=zero\n",
                   "test.ini:5: Min 'zero' is not a whole number"},
        BadProfile{"ValueOutside",
                   std::string(kDevice) +
                       "[VideoProcAmp.Gain]\nMin=0\nMax=255\nDefault=300\nValue=300\nCapabilities=Manual\n",
                   "test.ini:8: Value 300 lies outside 0..255"},
        BadProfile{"MinAboveMax",
                   std::string(kDevice) + "[VideoProcAmp.Gain]\nMin=5\nMax=1\nDefault=3\nCapabilities=Manual\n",
                   "test.ini:4: Min 5 is above Max 1"},
        BadProfile{"ModeNotCapable",
                   std::string(kDevice) +
                       "[VideoProcAmp.Gain]\nMin=0\nMax=1\nDefault=0\nCapabilities=Manual\nMode=Auto\n",
                   "test.ini:9: Mode Auto is not among the Capabilities"},
        BadProfile{"BadCapabilities",
                   std::string(kDevice) + "[VideoProcAmp.Gain]\nMin=0\nMax=1\nDefault=0\nCapabilities=Sometimes\n",
                   "test.ini:8: Capabilities 'Sometimes' should list Auto and/or Manual"},
        BadProfile{"FormatWithoutRates", std::string(kDevice) + "[Format]\nSubtype=YUY2\nWidth=640\nHeight=480\n",
                   "test.ini:4: [Format] needs exactly one of FrameRates"},
        BadProfile{"OddYuy2Width",
                   std::string(kDevice) + "[Format]\nSubtype=YUY2\nWidth=641\nHeight=480\nFrameRates=30\n",
                   "test.ini:4: YUY2 needs an even Width"},
        BadProfile{"BitCountMismatch",
                   std::string(kDevice) + "[Format]\nSubtype=RGB24\nWidth=640\nHeight=480\nBitCount=32\nFrameRates=30\n",
                   "test.ini:8: BitCount 32 does not suit RGB24"},
        BadProfile{"UnknownSubtype",
                   std::string(kDevice) + "[Format]\nSubtype=H264\nWidth=640\nHeight=480\nFrameRates=30\n",
                   "test.ini:5: Subtype 'H264' is not one of YUY2, MJPG, RGB24, RGB32"},
        BadProfile{"ZeroFrameRate",
                   std::string(kDevice) + "[Format]\nSubtype=YUY2\nWidth=640\nHeight=480\nFrameRates=30, 0\n",
                   "test.ini:8: frame rate '0' is not a positive number"},
        BadProfile{"FrameRateInExponentForm",
                   std::string(kDevice) + "[Format]\nSubtype=YUY2\nWidth=640\nHeight=480\nFrameRates=3e1\n",
                   "test.ini:8: frame rate '3e1' is not a positive number"},
        BadProfile{"FlashModeOutside", std::string(kDevice) + "[Flash]\nMode=7\nCapabilities=Auto\n",
                   "test.ini:5: Mode 7 lies outside 0..2"}),
    [](const auto& info) { return std::string(info.param.name); });

// Reads the numbers a profile's text gives, independently of the profile parser.
std::map<std::string, std::string> KeysOf(const IniSection& section) {
  std::map<std::string, std::string> keys;
  for (const IniEntry& entry : section.entries) keys[ToLowerAscii(entry.key)] = entry.value;
  return keys;
}

std::int32_t CapabilityWord(std::string text) {
  text = ToLowerAscii(text);
  return (text.find("auto") != std::string::npos ? kPropertyFlagsAuto : 0) |
         (text.find("manual") != std::string::npos ? kPropertyFlagsManual : 0);
}

class ShippedProfile : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedProfile, DriverAnswersTheFileNumbers) {
  const auto& embedded = EmbeddedProfiles();
  const auto profile = std::find_if(embedded.begin(), embedded.end(),
                                    [&](const EmbeddedProfile& p) { return p.fileName == GetParam(); });
  ASSERT_NE(profile, embedded.end());
  std::vector<IniSection> sections;
  IniSyntaxError syntax;
  ASSERT_TRUE(ParseIniText(profile->text, sections, syntax)) << syntax.what;

  auto platform = MakePlatform({GetParam()});
  ASSERT_NE(platform, nullptr);
  ASSERT_EQ(platform->CameraDevicePaths().size(), 1u);
  const std::string path = platform->CameraDevicePaths()[0];
  auto filter = BindDevice(*platform, path);
  ASSERT_NE(filter, nullptr);
  auto procAmp = Query<IAMVideoProcAmp>(filter);
  auto cameraControl = Query<IAMCameraControl>(filter);

  std::vector<std::map<std::string, std::string>> formats;
  int properties = 0;
  for (const IniSection& section : sections) {
    auto keys = KeysOf(section);
    if (EqualsIgnoreCase(section.name, "Device")) {
      EXPECT_EQ(keys["devicepath"], path);
      EXPECT_NE(keys["friendlyname"].find("Simulated"), std::string::npos);
      continue;
    }
    if (EqualsIgnoreCase(section.name, "Format")) {
      formats.push_back(keys);
      continue;
    }
    const auto key = PropertyKeyFromName(section.name);
    if (!key) continue;  // flash and stabilisation: covered by the property tests
    ++properties;
    SCOPED_TRACE(section.name);
    IRangedPropertyInterface* family = key->family == PropertyFamily::VideoProcAmp
                                           ? static_cast<IRangedPropertyInterface*>(procAmp.get())
                                           : static_cast<IRangedPropertyInterface*>(cameraControl.get());
    ASSERT_NE(family, nullptr);
    std::int32_t min = 0, max = 0, step = 0, def = 0, caps = 0, value = 0, flags = 0;
    ASSERT_EQ(family->GetRange(key->id, min, max, step, def, caps), kOk);
    EXPECT_EQ(min, std::stoi(keys["min"]));
    EXPECT_EQ(max, std::stoi(keys["max"]));
    EXPECT_EQ(step, keys.contains("step") ? std::stoi(keys["step"]) : 1);
    EXPECT_EQ(def, std::stoi(keys["default"]));
    EXPECT_EQ(caps, CapabilityWord(keys["capabilities"]));
    ASSERT_EQ(family->Get(key->id, value, flags), kOk);
    EXPECT_EQ(value, std::stoi(keys.contains("value") ? keys["value"] : keys["default"]));
    EXPECT_EQ(flags, keys.contains("mode") ? CapabilityWord(keys["mode"]) : kPropertyFlagsManual);
  }
  if (properties == 0) {
    EXPECT_EQ(procAmp, nullptr);
    EXPECT_EQ(cameraControl, nullptr);
  }

  // One media type per format and frame rate, in file order.
  std::shared_ptr<IEnumMediaTypes> types;
  ASSERT_EQ(FirstPin(filter)->EnumMediaTypes(types), kOk);
  for (auto& format : formats) {
    for (std::string_view rate : SplitList(format["framerates"])) {
      AmMediaType* type = nullptr;
      ASSERT_EQ(types->Next(type), kOk);
      const BitmapInfoHeader* header = BitmapHeaderOf(*type);
      ASSERT_NE(header, nullptr);
      EXPECT_EQ(header->biWidth, std::stoi(format["width"]));
      EXPECT_EQ(header->biHeight, std::stoi(format["height"]));
      // Truncated, as a camera's descriptor states it.
      EXPECT_EQ(AvgTimePerFrameOf(*type), static_cast<std::int64_t>(1e7 / std::stod(std::string(rate))));
      EXPECT_EQ(type->subtype == guids::MediaSubtypeMJPG, EqualsIgnoreCase(format["subtype"], "MJPG"));
      DeleteMediaType(type);
    }
  }
  AmMediaType* extra = nullptr;
  EXPECT_EQ(types->Next(extra), kFalse);
}

std::vector<std::string> EmbeddedProfileNames() {
  std::vector<std::string> names;
  for (const EmbeddedProfile& profile : EmbeddedProfiles()) names.push_back(profile.fileName);
  return names;
}

INSTANTIATE_TEST_SUITE_P(All, ShippedProfile, ::testing::ValuesIn(EmbeddedProfileNames()), [](const auto& info) {
  std::string name = info.param.substr(0, info.param.find('.'));
  std::replace(name.begin(), name.end(), '-', '_');
  return "p" + name;
});

}  // namespace
}  // namespace tavelo::platform::simulated
