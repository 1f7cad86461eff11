// The camera's properties: the catalogue's families, the flag rules, the write paths' call order, the
// support test, the mapped values, and flash and video stabilisation.

#include <cstring>

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

// Distinct values per family and id, so a wrong interface or id shows.
std::int32_t ValueOf(TFPropertyInterface family, std::int32_t id) {
  return (family == TFPropertyInterface::VideoProcAmp ? 100 : 200) + id;
}

std::string FamilyName(TFPropertyInterface family) {
  return family == TFPropertyInterface::VideoProcAmp ? "VideoProcAmp" : "CameraControl";
}

class Properties : public CameraFixture {
 protected:
  void SetUp() override {
    DeviceSetup setup = CameraSetup("Cam A");
    setup.videoProcAmp.clear();
    setup.cameraControl.clear();
    for (std::int32_t id = 0; id <= VideoProcAmp_PowerLineFrequency; ++id)
      setup.videoProcAmp[id] = {ValueOf(TFPropertyInterface::VideoProcAmp, id), kPropertyFlagsManual, -1000, 1000, 2,
                               id, kPropertyFlagsAuto | kPropertyFlagsManual};
    for (std::int32_t id : {0, 1, 2, 3, 4, 5, 6, 7, 18})
      setup.cameraControl[id] = {ValueOf(TFPropertyInterface::CameraControl, id), kPropertyFlagsManual, -1000, 1000, 1,
                                id, kPropertyFlagsManual};
    camA = platform->AddDevice(setup);
    camera->SetDeviceName("Cam A");
  }

  RangedProperty& Driver(TFPropertyInterface family, std::int32_t id) {
    return family == TFPropertyInterface::VideoProcAmp ? camA->VideoProcAmp(id) : camA->CameraControl(id);
  }
};

TEST_F(Properties, EveryCatalogueEntryReachesItsInterfaceAndId) {
  for (const TFPropertyInfo& info : kCameraProperties) {
    SCOPED_TRACE(std::string(info.Name));
    const std::string family = FamilyName(info.Interface);
    const std::string id = "(" + std::to_string(info.Id) + ")";
    platform->ClearCalls();

    EXPECT_EQ(camera->PropertyValue(info.Property), ValueOf(info.Interface, info.Id));
    EXPECT_TRUE(camera->PropertySupported(info.Property));
    const TFRange range = camera->PropertyRange(info.Property);
    EXPECT_EQ(range.Default, info.Id);
    camera->SetPropertyValue(info.Property, 7);
    EXPECT_EQ(Driver(info.Interface, info.Id).value, 7);
    EXPECT_EQ(platform->Log({"VideoProcAmp.", "CameraControl."}),
              (std::vector<std::string>{family + ".Get" + id, family + ".Get" + id, family + ".GetRange" + id,
                                        family + ".Get" + id, family + ".Set" + id + " value=7 flags=2"}));
  }
}

TEST_F(Properties, TheNamedMembersAreTheCatalogueFamilies) {
  camera->SetGain(42);
  EXPECT_EQ(camA->VideoProcAmp(VideoProcAmp_Gain).value, 42);
  EXPECT_EQ(camera->Gain(), 42);
  camera->SetFocusAuto(true);
  EXPECT_TRUE(camera->FocusAuto());
  EXPECT_EQ(camera->ZoomRange().Delta, 1);
  EXPECT_TRUE(camera->TiltSupported());
  EXPECT_EQ(camera->BacklightCompensation(), ValueOf(TFPropertyInterface::VideoProcAmp, 8));
}

TEST_F(Properties, OnlyTheAutomaticFlagAloneReadsAsAuto) {
  const std::pair<std::int32_t, bool> cases[] = {{1, true}, {2, false}, {3, false}, {0, false}};
  for (const auto& [flags, automatic] : cases) {
    camA->VideoProcAmp(VideoProcAmp_Brightness).flags = flags;
    camA->CameraControl(CameraControl_Exposure).flags = flags;
    EXPECT_EQ(camera->BrightnessAuto(), automatic) << flags;
    EXPECT_EQ(camera->ExposureAuto(), automatic) << flags;
  }
}

TEST_F(Properties, RangeCapabilitiesAreIndependentOfTheCurrentMode) {
  const struct {
    std::int32_t caps;
    bool automatic;
    bool manual;
  } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
  camA->VideoProcAmp(VideoProcAmp_Hue).flags = kPropertyFlagsManual;
  for (const auto& c : cases) {
    camA->VideoProcAmp(VideoProcAmp_Hue) = {0, kPropertyFlagsManual, -180, 180, 5, 10, c.caps};
    const TFRange range = camera->HueRange();
    EXPECT_EQ(range.Min, -180);
    EXPECT_EQ(range.Max, 180);
    EXPECT_EQ(range.Delta, 5);
    EXPECT_EQ(range.Default, 10);
    EXPECT_EQ(range.Auto, c.automatic) << c.caps;
    EXPECT_EQ(range.Manual, c.manual) << c.caps;
  }
}

TEST_F(Properties, AValueWrittenWhileAutomaticKeepsTheAutomaticFlag) {
  camA->VideoProcAmp(VideoProcAmp_WhiteBalance).flags = kPropertyFlagsAuto;
  camera->SetWhiteBalance(500);
  EXPECT_EQ(platform->Log({"VideoProcAmp."}),
            (std::vector<std::string>{"VideoProcAmp.Get(7)", "VideoProcAmp.Set(7) value=500 flags=1"}));
  EXPECT_TRUE(camera->WhiteBalanceAuto());
}

TEST_F(Properties, AutoWritesKeepTheCurrentValueAndSetTheMode) {
  camA->CameraControl(CameraControl_Focus).value = 35;
  camera->SetFocusAuto(true);
  camera->SetFocusAuto(false);
  EXPECT_EQ(platform->Log({"CameraControl."}),
            (std::vector<std::string>{"CameraControl.Get(6)", "CameraControl.Set(6) value=35 flags=1",
                                      "CameraControl.Get(6)", "CameraControl.Set(6) value=35 flags=2"}));
}

TEST_F(Properties, AnOutOfRangeValueIsSentUnchangedAndTheRefusalRaised) {
  platform->SetErrorText(kInvalidArg, "The parameter is out of range.");
  const PlatformError error = PlatformErrorOf([&] { camera->SetBrightness(5000); });
  EXPECT_EQ(error.message, "The parameter is out of range.");
  EXPECT_EQ(error.code, kInvalidArg);
  EXPECT_EQ(platform->Log({"VideoProcAmp.Set"}), (std::vector<std::string>{"VideoProcAmp.Set(0) value=5000 flags=2"}));
}

TEST_F(Properties, AFailedReadStopsAWriteBeforeItsSet) {
  platform->When("VideoProcAmp.Get").Answer(kFail);
  EXPECT_EQ(PlatformErrorOf([&] { camera->SetContrast(3); }).code, kFail);
  EXPECT_EQ(PlatformErrorOf([&] { camera->SetContrastAuto(true); }).code, kFail);
  EXPECT_EQ(platform->Count("VideoProcAmp.Set"), 0);
}

TEST_F(Properties, AnUnsupportedPropertyRaisesWithTheSystemMessage) {
  camA->Setup().videoProcAmp.erase(VideoProcAmp_Gamma);
  const PlatformError error = PlatformErrorOf([&] { camera->Gamma(); });
  EXPECT_EQ(error.code, kErrorNotFound);
  EXPECT_EQ(error.message, "Element not found");
}

TEST_F(Properties, SupportedIsFalseOnlyForTheTwoNotSupportedCodes) {
  const std::pair<Result, bool> cases[] = {{kOk, true},           {kErrorNotFound, false}, {kErrorSetNotFound, false},
                                           {kFail, true},         {kInvalidArg, true},     {kErrorMoreData, true},
                                           {kErrorNoDevice, true}};
  for (const auto& [answer, supported] : cases) {
    platform->When("VideoProcAmp.Get").Answer(answer).Times(1);
    platform->When("CameraControl.Get").Answer(answer).Times(1);
    EXPECT_EQ(camera->SharpnessSupported(), supported) << FormatResult(answer);
    EXPECT_EQ(camera->IrisSupported(), supported) << FormatResult(answer);
  }
}

// A camera without one of the interfaces: its Supported members answer false, the others raise.
class MissingInterface : public Properties, public ::testing::WithParamInterface<TFPropertyInterface> {};

TEST_P(MissingInterface, AnswersUnsupportedAndRaisesEverywhereElse) {
  const TFPropertyInterface family = GetParam();
  platform->Lacks("Cam A", family == TFPropertyInterface::VideoProcAmp ? Iid::AMVideoProcAmp : Iid::AMCameraControl);
  const std::string expected = "Cannot retrieve '" + std::string(family == TFPropertyInterface::VideoProcAmp
                                                                     ? "IAMVideoProcAmp"
                                                                     : "IAMCameraControl") +
                               "' interface";
  for (const TFPropertyInfo& info : kCameraProperties) {
    if (info.Interface != family) continue;
    SCOPED_TRACE(std::string(info.Name));
    EXPECT_FALSE(camera->PropertySupported(info.Property));
    EXPECT_EQ(CameraError([&] { camera->PropertyValue(info.Property); }), expected);
    EXPECT_EQ(CameraError([&] { camera->SetPropertyValue(info.Property, 1); }), expected);
    EXPECT_EQ(CameraError([&] { camera->PropertyAuto(info.Property); }), expected);
    EXPECT_EQ(CameraError([&] { camera->SetPropertyAuto(info.Property, true); }), expected);
    EXPECT_EQ(CameraError([&] { camera->PropertyRange(info.Property); }), expected);
  }
  // The other family is unaffected.
  const TFCameraProperty other =
      family == TFPropertyInterface::VideoProcAmp ? TFCameraProperty::Pan : TFCameraProperty::Brightness;
  EXPECT_TRUE(camera->PropertySupported(other));
}

INSTANTIATE_TEST_SUITE_P(Camera, MissingInterface,
                         ::testing::Values(TFPropertyInterface::VideoProcAmp, TFPropertyInterface::CameraControl),
                         [](const auto& info) { return FamilyName(info.param); });

TEST_F(Properties, EveryMemberNeedsACamera) {
  const std::function<void(TFCamera&)> members[] = {
      [](TFCamera& c) { c.BrightnessSupported(); }, [](TFCamera& c) { c.Pan(); },
      [](TFCamera& c) { c.SetZoom(1); },           [](TFCamera& c) { c.PowerLineFrequency(); },
      [](TFCamera& c) { c.ScanMode(); },           [](TFCamera& c) { c.FocalLength(); },
      [](TFCamera& c) { c.FlashMode(); },          [](TFCamera& c) { c.FlashControlSupported(); },
      [](TFCamera& c) { c.SetVideoStabilizationMode(TFVideoStabilizationMode::vmOff); }};
  camera->SetDeviceName("");
  for (const auto& member : members)
    EXPECT_EQ(CameraError([&] { member(*camera); }), "Camera device not selected");
  camera->SetDeviceName("Cam Z");
  for (const auto& member : members)
    EXPECT_EQ(CameraError([&] { member(*camera); }), "Camera device 'Cam Z' not found");
}

// ---- Mapped values -----------------------------------------------------------------------------------

TEST_F(Properties, PowerLineFrequencyMapsDriverNumbers) {
  RangedProperty& driver = camA->VideoProcAmp(VideoProcAmp_PowerLineFrequency);
  const std::pair<std::int32_t, TFPowerLineFrequency> reads[] = {
      {0, TFPowerLineFrequency::pfDisabled}, {1, TFPowerLineFrequency::pf50Hz},   {2, TFPowerLineFrequency::pf60Hz},
      {3, TFPowerLineFrequency::pfAuto},     {4, TFPowerLineFrequency::pfUnknown}, {-1, TFPowerLineFrequency::pfUnknown}};
  for (const auto& [number, value] : reads) {
    driver.value = number;
    EXPECT_EQ(camera->PowerLineFrequency(), value) << number;
  }
  const std::pair<TFPowerLineFrequency, std::int32_t> writes[] = {
      {TFPowerLineFrequency::pfDisabled, 0}, {TFPowerLineFrequency::pf50Hz, 1}, {TFPowerLineFrequency::pf60Hz, 2},
      {TFPowerLineFrequency::pfAuto, 3},     {TFPowerLineFrequency::pfUnknown, 0}};
  for (const auto& [value, number] : writes) {
    driver.value = 99;
    camera->SetPowerLineFrequency(value);
    EXPECT_EQ(driver.value, number) << static_cast<int>(value);
  }
  driver.flags = kPropertyFlagsAuto;
  EXPECT_TRUE(camera->PowerLineFrequencyAuto());
  camera->SetPowerLineFrequencyAuto(false);
  EXPECT_EQ(driver.flags, kPropertyFlagsManual);
  EXPECT_TRUE(camera->PowerLineFrequencySupported());
  camA->Setup().videoProcAmp.erase(VideoProcAmp_PowerLineFrequency);
  EXPECT_FALSE(camera->PowerLineFrequencySupported());
}

TEST_F(Properties, ColorEnabledIsAnyNonZeroColourEnable) {
  RangedProperty& driver = camA->VideoProcAmp(VideoProcAmp_ColorEnable);
  for (const auto& [number, enabled] : {std::pair{0, false}, {1, true}, {7, true}, {-1, true}}) {
    driver.value = number;
    EXPECT_EQ(camera->ColorEnabled(), enabled) << number;
  }
  camera->SetColorEnabled(true);
  EXPECT_EQ(driver.value, 1);
  camera->SetColorEnabled(false);
  EXPECT_EQ(driver.value, 0);
  driver.flags = kPropertyFlagsAuto;
  EXPECT_TRUE(camera->ColorEnabledAuto());
  EXPECT_TRUE(camera->ColorEnabledSupported());
}

TEST_F(Properties, ScanModeMapsDriverNumbersAndFocalLengthIsReadOnlyId18) {
  RangedProperty& driver = camA->CameraControl(CameraControl_ScanMode);
  const std::pair<std::int32_t, TFScanMode> reads[] = {
      {0, TFScanMode::smInterlace}, {1, TFScanMode::smProgressive}, {2, TFScanMode::smUnknown}};
  for (const auto& [number, mode] : reads) {
    driver.value = number;
    EXPECT_EQ(camera->ScanMode(), mode) << number;
  }
  const std::pair<TFScanMode, std::int32_t> writes[] = {
      {TFScanMode::smProgressive, 1}, {TFScanMode::smInterlace, 0}, {TFScanMode::smUnknown, 0}};
  for (const auto& [mode, number] : writes) {
    driver.value = 99;
    camera->SetScanMode(mode);
    EXPECT_EQ(driver.value, number);
  }
  camera->SetScanModeAuto(true);
  EXPECT_TRUE(camera->ScanModeAuto());
  EXPECT_EQ(camera->FocalLength(), ValueOf(TFPropertyInterface::CameraControl, 18));
}

// ---- Flash and video stabilisation ---------------------------------------------------------------------

struct KsWordCase {
  const char* name;
  Guid set;
  bool modeWord;
  std::function<int(TFCamera&)> read;
  std::function<void(TFCamera&, int)> write;
  std::function<bool(TFCamera&)> supported;
  std::vector<std::pair<std::uint32_t, int>> reads;   // driver word -> enumeration ordinal
  std::vector<std::pair<int, std::uint32_t>> writes;  // enumeration ordinal -> driver word
  friend void PrintTo(const KsWordCase& c, std::ostream* os) { *os << c.name; }
};

class KsWord : public Properties, public ::testing::WithParamInterface<KsWordCase> {
 protected:
  std::pair<std::uint32_t, std::uint32_t> Record() const {
    const std::vector<std::uint8_t> data = camA->KsData(GetParam().set);
    std::uint32_t mode = 0, capability = 0;
    std::memcpy(&mode, data.data(), 4);
    std::memcpy(&capability, data.data() + 4, 4);
    return {mode, capability};
  }
  void SetRecord(std::uint32_t mode, std::uint32_t capability) {
    camA->Setup().ksProperties = {{GetParam().set, 0, KsControlRecordBytes(mode, capability)}};
  }
};

TEST_P(KsWord, ReadsItsWordThroughTheMapping) {
  for (const auto& [word, value] : GetParam().reads) {
    GetParam().modeWord ? SetRecord(word, 0xEE) : SetRecord(0xEE, word);
    EXPECT_EQ(GetParam().read(*camera), value) << word;
  }
}

TEST_P(KsWord, WritesItsWordAndKeepsTheOther) {
  for (const auto& [value, word] : GetParam().writes) {
    SetRecord(0xAA, 0xBB);
    platform->ClearCalls();
    GetParam().write(*camera, value);
    const auto [mode, capability] = Record();
    EXPECT_EQ(GetParam().modeWord ? mode : capability, word) << value;
    EXPECT_EQ(GetParam().modeWord ? capability : mode, GetParam().modeWord ? 0xBBu : 0xAAu);
    EXPECT_EQ(platform->Log({"KsPropertySet."}).size(), 2u);
    EXPECT_EQ(platform->Log({"KsPropertySet."}).front().substr(0, 20), "KsPropertySet.Get(0)");
  }
}

TEST_P(KsWord, SupportIsFalseOnlyWhenTheSetOrPropertyIsUnknown) {
  SetRecord(0, 1);
  EXPECT_TRUE(GetParam().supported(*camera));  // the driver answers "buffer too small" to the probe
  camA->Setup().ksProperties = {{GetParam().set, 1, KsControlRecordBytes(0, 1)}};
  EXPECT_FALSE(GetParam().supported(*camera));
  camA->Setup().ksProperties.clear();
  EXPECT_FALSE(GetParam().supported(*camera));
  platform->When("KsPropertySet.Get").Answer(kFail).Times(1);
  EXPECT_TRUE(GetParam().supported(*camera));
}

TEST_P(KsWord, FailuresRaiseTheSystemMessageNotTheMediaText) {
  platform->SetErrorText(kNoInterface, "media text");
  platform->SetErrorText(kFail, "media text");
  SetRecord(0, 1);

  platform->When("KsPropertySet.Get").Answer(kFail);
  EXPECT_EQ(PlatformErrorOf([&] { GetParam().read(*camera); }).message, "Unspecified error");
  EXPECT_EQ(PlatformErrorOf([&] { GetParam().write(*camera, 1); }).message, "Unspecified error");

  platform->When("KsPropertySet.Get").Answer(kOk);
  platform->When("KsPropertySet.Set").Answer(kFail);
  EXPECT_EQ(PlatformErrorOf([&] { GetParam().write(*camera, 1); }).message, "Unspecified error");

  platform->Lacks("Cam A", Iid::KsPropertySet);
  for (const auto& member : std::vector<std::function<void()>>{[&] { GetParam().read(*camera); },
                                                               [&] { GetParam().write(*camera, 1); },
                                                               [&] { GetParam().supported(*camera); }}) {
    const PlatformError error = PlatformErrorOf(member);
    EXPECT_EQ(error.message, "No such interface supported");
    EXPECT_EQ(error.code, kNoInterface);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Camera, KsWord,
    ::testing::Values(
        KsWordCase{"FlashControl", guids::PropSetIdVidcapCameraControlFlash, false,
                   [](TFCamera& c) { return static_cast<int>(c.FlashControl()); },
                   [](TFCamera& c, int v) { c.SetFlashControl(static_cast<TFFlashControl>(v)); },
                   [](TFCamera& c) { return c.FlashControlSupported(); },
                   {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {7, 0}},
                   {{1, 1}, {2, 2}, {0, 1}}},
        KsWordCase{"FlashMode", guids::PropSetIdVidcapCameraControlFlash, true,
                   [](TFCamera& c) { return static_cast<int>(c.FlashMode()); },
                   [](TFCamera& c, int v) { c.SetFlashMode(static_cast<TFFlashMode>(v)); },
                   [](TFCamera& c) { return c.FlashModeSupported(); },
                   {{0, 1}, {1, 2}, {2, 3}, {3, 0}},
                   {{1, 0}, {2, 1}, {3, 2}, {0, 0}}},
        KsWordCase{"VideoStabilizationControl", guids::PropSetIdVidcapCameraControlVideoStabilization, false,
                   [](TFCamera& c) { return static_cast<int>(c.VideoStabilizationControl()); },
                   [](TFCamera& c, int v) { c.SetVideoStabilizationControl(static_cast<TFVideoStabilizationControl>(v)); },
                   [](TFCamera& c) { return c.VideoStabilizationControlSupported(); },
                   {{0, 0}, {1, 1}, {2, 2}, {3, 0}},
                   {{1, 1}, {2, 2}, {0, 1}}},
        KsWordCase{"VideoStabilizationMode", guids::PropSetIdVidcapCameraControlVideoStabilization, true,
                   [](TFCamera& c) { return static_cast<int>(c.VideoStabilizationMode()); },
                   [](TFCamera& c, int v) { c.SetVideoStabilizationMode(static_cast<TFVideoStabilizationMode>(v)); },
                   [](TFCamera& c) { return c.VideoStabilizationModeSupported(); },
                   {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}},
                   {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {0, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Properties, FlashAndStabilisationAreSeparateSets) {
  camA->Setup().ksProperties = {{guids::PropSetIdVidcapCameraControlFlash, 0, KsControlRecordBytes(1, 2)}};
  EXPECT_TRUE(camera->FlashModeSupported());
  EXPECT_FALSE(camera->VideoStabilizationModeSupported());
  EXPECT_EQ(camera->FlashMode(), TFFlashMode::fmOn);
  EXPECT_EQ(PlatformErrorOf([&] { camera->VideoStabilizationMode(); }).code, kErrorSetNotFound);
}

}  // namespace
}  // namespace tavelo::camera_tests
