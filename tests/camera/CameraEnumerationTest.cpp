// Listing devices and compressors, and binding one by name.

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

using Enumeration = CameraFixture;

DeviceSetup Video(std::string label, std::optional<std::string> name, std::optional<std::string> path,
                 std::optional<std::string> description = std::nullopt) {
  DeviceSetup setup;
  setup.label = std::move(label);
  setup.friendlyName = std::move(name);
  setup.devicePath = std::move(path);
  setup.description = std::move(description);
  return setup;
}

std::vector<std::string> Texts(const std::vector<QString>& names) {
  std::vector<std::string> texts;
  for (const QString& name : names) texts.push_back(name.toStdString());
  return texts;
}

TEST_F(Enumeration, AMachineWithoutDevicesListsNothing) {
  EXPECT_TRUE(camera->Devices().empty());
  EXPECT_TRUE(camera->AudioCaptureDevices().empty());
  EXPECT_TRUE(camera->Compressors().empty());
  EXPECT_TRUE(camera->AudioCompressors().empty());
  EXPECT_EQ(camera->GetDevice("Cam"), nullptr);
}

TEST_F(Enumeration, DevicesKeepPlatformOrderAndReadEachValueOnItsOwn) {
  platform->AddDevice(Video("first", "Cam", "/dev/a", "Front"));
  platform->AddDevice(Video("nameless", std::nullopt, "/dev/b"));
  platform->AddDevice(Video("twin", "Cam", std::nullopt));
  platform->AddDevice(AudioDeviceSetup("Mic", "1"));  // another category

  const TFVideoCaptureDevices devices = camera->Devices();
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[0].Name, "Cam");
  EXPECT_EQ(devices[0].Path, "/dev/a");
  EXPECT_EQ(devices[0].Description, "Front");
  EXPECT_EQ(devices[1].Name, "");
  EXPECT_EQ(devices[1].Path, "/dev/b");
  EXPECT_EQ(devices[1].Description, "");
  EXPECT_EQ(devices[2].Name, "Cam");  // duplicates stay
  EXPECT_EQ(devices[2].Path, "");
  EXPECT_EQ(platform->Log({"PropertyBag.Read"})[0], "PropertyBag.Read FriendlyName");
}

TEST_F(Enumeration, AMonikerWithoutPropertyBagAddsNothing) {
  platform->AddDevice(Video("a", "Cam A", "/dev/a"));
  platform->AddDevice(Video("b", "Cam B", "/dev/b"));
  platform->When("Moniker.BindToStorage").On("a").Answer(kFail);
  const TFVideoCaptureDevices devices = camera->Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].Name, "Cam B");
}

TEST_F(Enumeration, FailingEnumerationGivesEmptyListsAndNoDevice) {
  const std::vector<std::function<void(ScriptedPlatform&)>> failures = {
      [](ScriptedPlatform& p) { p.When("Platform.CreateInstance").Detail("SystemDeviceEnum").Answer(kClassNotRegistered); },
      [](ScriptedPlatform& p) { p.Lacks("SystemDeviceEnum", Iid::CreateDevEnum); },
      [](ScriptedPlatform& p) { p.When("CreateDevEnum.CreateClassEnumerator").Answer(kOutOfMemory); },
      [](ScriptedPlatform& p) { p.When("CreateDevEnum.CreateClassEnumerator").AnswerOnly(kOk); },
      [](ScriptedPlatform& p) { p.When("EnumMoniker.Next").Answer(kFail); },
  };
  for (std::size_t i = 0; i < failures.size(); ++i) {
    SCOPED_TRACE("failure " + std::to_string(i));
    auto machine = std::make_shared<ScriptedPlatform>();
    machine->AddDevice(CameraSetup("Cam"));
    machine->AddDevice(AudioDeviceSetup("Mic", "0"));
    machine->AddDevice(CompressorSetup("Codec"));
    failures[i](*machine);
    TFCamera component(nullptr, machine);
    EXPECT_TRUE(component.Devices().empty());
    EXPECT_TRUE(component.AudioCaptureDevices().empty());
    EXPECT_TRUE(component.Compressors().empty());
    EXPECT_EQ(component.GetDevice("Cam"), nullptr);
  }
}

TEST_F(Enumeration, AudioDevicesReadTheirWaveInNumber) {
  DeviceSetup described = AudioDeviceSetup("Mic A", "3");
  described.description = "Headset";
  platform->AddDevice(described);
  DeviceSetup noNumber = AudioDeviceSetup("Mic B", "");
  noNumber.waveInId.reset();
  platform->AddDevice(noNumber);
  platform->AddDevice(AudioDeviceSetup("Mic C", "not a number"));

  const TFAudioCaptureDevices devices = camera->AudioCaptureDevices();
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[0].Name, "Mic A");
  EXPECT_EQ(devices[0].Description, "Headset");
  EXPECT_EQ(devices[0].WaveInID, 3);
  EXPECT_EQ(devices[1].Name, "Mic B");
  EXPECT_EQ(devices[1].WaveInID, 0);
  EXPECT_EQ(devices[2].WaveInID, 0);
}

TEST_F(Enumeration, CompressorsAreFriendlyNamesAndAnUnreadableNameIsAnEmptyEntry) {
  platform->AddDevice(CompressorSetup("Codec X"));
  DeviceSetup nameless = CompressorSetup("");
  nameless.label = "nameless";
  nameless.friendlyName.reset();
  platform->AddDevice(nameless);
  platform->AddDevice(CompressorSetup("Audio Codec", guids::AudioCompressorCategory));

  EXPECT_EQ(Texts(camera->Compressors()), (std::vector<std::string>{"Codec X", ""}));
  EXPECT_EQ(Texts(camera->AudioCompressors()), (std::vector<std::string>{"Audio Codec"}));
}

// GetDevice matches per moniker: friendly name, then device path; ordinal and case-sensitive.
struct DeviceLookupCase {
  const char* name;
  const char* lookedUp;
  const char* expectedLabel;  // "" for none
  const char* failingBind = "";
  friend void PrintTo(const DeviceLookupCase& c, std::ostream* os) { *os << c.name; }
};

class DeviceLookup : public CameraFixture, public ::testing::WithParamInterface<DeviceLookupCase> {};

TEST_P(DeviceLookup, BindsTheExpectedCamera) {
  platform->AddDevice(Video("twin 1", "Cam", "/dev/a"));
  platform->AddDevice(Video("twin 2", "Cam", "/dev/b"));
  platform->AddDevice(Video("alpha", "Alpha", "Beta"));
  platform->AddDevice(Video("beta", "Beta", "/dev/d"));
  if (*GetParam().failingBind) platform->When("Moniker.BindToObject").On(GetParam().failingBind).Answer(kFail);

  const auto filter = camera->GetDevice(QString::fromUtf8(GetParam().lookedUp));
  EXPECT_EQ(filter ? LabelOf(filter.get()) : std::string(), GetParam().expectedLabel);
}

INSTANTIATE_TEST_SUITE_P(
    Camera, DeviceLookup,
    ::testing::Values(DeviceLookupCase{"FriendlyNameTakesTheFirstOfTwins", "Cam", "twin 1"},
                      DeviceLookupCase{"DevicePathTakesThatVeryCamera", "/dev/b", "twin 2"},
                      DeviceLookupCase{"LetterCaseMatters", "cam", ""},
                      DeviceLookupCase{"PathLetterCaseMatters", "/DEV/B", ""},
                      DeviceLookupCase{"UnknownName", "Nope", ""},
                      DeviceLookupCase{"PathOfAnEarlierMonikerBeatsNameOfALaterOne", "Beta", "alpha"},
                      DeviceLookupCase{"FirstThatBindsWins", "Cam", "twin 2", "twin 1"},
                      DeviceLookupCase{"NothingBindsNothingFound", "Alpha", "", "alpha"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Enumeration, ByPathBindsThatVeryCameraAndIgnoresFriendlyNames) {
  platform->AddDevice(Video("twin 1", "Cam", "/dev/a"));
  platform->AddDevice(Video("twin 2", "Cam", "/dev/b"));
  platform->AddDevice(Video("named like a path", "/dev/c", "/dev/d"));
  platform->AddDevice(Video("pathless", "Pathless", std::nullopt));
  const struct {
    const char* path;
    const char* expectedLabel;  // "" for none
  } cases[] = {{"/dev/b", "twin 2"}, {"/dev/a", "twin 1"}, {"/dev/c", ""}, {"/dev/d", "named like a path"},
               {"/DEV/B", ""},       {"Cam", ""},          {"", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto filter = camera->GetDeviceByPath(QString::fromUtf8(c.path));
    EXPECT_EQ(filter ? LabelOf(filter.get()) : std::string(), c.expectedLabel);
  }
  platform->When("Moniker.BindToObject").On("twin 2").Answer(kFail);
  EXPECT_EQ(camera->GetDeviceByPath("/dev/b"), nullptr) << "a path names one camera; no other stands in for it";
}

TEST_F(Enumeration, AMatchingFriendlyNameBindsWithoutReadingThePath) {
  platform->AddDevice(Video("a", "Cam", "/dev/a"));
  ASSERT_NE(camera->GetDevice("Cam"), nullptr);
  EXPECT_EQ(platform->Log({"PropertyBag.Read", "Moniker.BindToObject"}),
            (std::vector<std::string>{"PropertyBag.Read FriendlyName", "Moniker.BindToObject"}));
}

TEST_F(Enumeration, OtherCategoriesMatchFriendlyNamesOnlyAndOnlyTheirOwnCategory) {
  DeviceSetup mic = AudioDeviceSetup("Mic", "0");
  mic.devicePath = "Mic path";
  platform->AddDevice(mic);
  DeviceSetup video = CompressorSetup("Codec");
  video.label = "video codec";
  platform->AddDevice(video);
  DeviceSetup audio = CompressorSetup("Codec", guids::AudioCompressorCategory);
  audio.label = "audio codec";
  platform->AddDevice(audio);

  EXPECT_EQ(LabelOf(camera->GetAudioCaptureDevice("Mic").get()), "Mic");
  EXPECT_EQ(camera->GetAudioCaptureDevice("Mic path"), nullptr);
  EXPECT_EQ(camera->GetAudioCaptureDevice("mic"), nullptr);
  EXPECT_EQ(LabelOf(camera->GetCompressor("Codec").get()), "video codec");
  EXPECT_EQ(LabelOf(camera->GetAudioCompressor("Codec").get()), "audio codec");
  EXPECT_EQ(LabelOf(camera->FindCategoryFilter(guids::AudioCompressorCategory, "Codec").get()), "audio codec");
  EXPECT_EQ(camera->GetDevice("Mic"), nullptr);
}

}  // namespace
}  // namespace tavelo::camera_tests
