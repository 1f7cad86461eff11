// Creating the simulated platform from profile names and files, and what its device enumeration lists.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/platform/SimulatedFixture.h"

namespace tavelo::platform {
namespace {

using testing::BagValues;
using testing::BindDevice;
using testing::MakePlatform;
using testing::Monikers;
using testing::Query;

std::filesystem::path WriteTempProfile(const std::string& name, const std::string& text) {
  const auto path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path) << text;
  return path;
}

TEST(SimulatedPlatformCreation, NoProfilesGiveTheHdWebcamAndTheLaptopCamera) {
  auto platform = MakePlatform({});
  ASSERT_NE(platform, nullptr);
  EXPECT_EQ(platform->Name(), "simulated");
  const auto cameras = BagValues(*platform, guids::VideoInputDeviceCategory);
  ASSERT_EQ(cameras.size(), 2u);
  EXPECT_EQ(cameras[0].at("FriendlyName"), "Simulated HD Webcam");
  EXPECT_EQ(cameras[1].at("FriendlyName"), "Simulated Laptop Camera");
}

TEST(SimulatedPlatformCreation, EmbeddedNamesWithOrWithoutExtensionAndFilesOnDisk) {
  const auto file = WriteTempProfile("tavelo-sim-disk.ini",
                                     "[Device]\nFriendlyName=Disk Camera\nDevicePath=sim://disk\n"
                                     "[VideoProcAmp.Gain]\nMin=0\nMax=10\nDefault=5\nCapabilities=Manual\n");
  auto platform = MakePlatform({"no-formats", "4k-webcam.ini", file.string()});
  ASSERT_NE(platform, nullptr);
  EXPECT_EQ(platform->CameraDevicePaths(), (std::vector<std::string>{"sim://no-formats", "sim://4k-webcam", "sim://disk"}));
  std::filesystem::remove(file);
}

TEST(SimulatedPlatformCreation, FailuresNameTheFile) {
  std::string error;
  EXPECT_EQ(CreateSimulatedPlatform({"/nonexistent/camera.ini"}, &error), nullptr);
  EXPECT_EQ(error.rfind("/nonexistent/camera.ini: cannot be read", 0), 0u) << error;
  EXPECT_NE(error.find("hd-autofocus.ini"), std::string::npos) << "the message lists the built-in profiles";

  const auto broken = WriteTempProfile("tavelo-sim-broken.ini", "[Device]\nFriendlyName=x\nDevicePath=y\n[Zoom]\n");
  EXPECT_EQ(CreateSimulatedPlatform({broken.string()}, &error), nullptr);
  EXPECT_EQ(error, broken.string() + ":4: unknown section [Zoom]");
  std::filesystem::remove(broken);

  EXPECT_EQ(CreateSimulatedPlatform({"laptop", "laptop.ini"}, &error), nullptr);
  EXPECT_EQ(error, "laptop.ini: DevicePath 'sim://laptop-camera' is already used by laptop.ini");
}

TEST(SimulatedEnumeration, EveryCategoryListsItsDevicesWithTheirBagValues) {
  auto platform = MakePlatform({"hd-autofocus", "no-formats"});
  ASSERT_NE(platform, nullptr);

  const auto cameras = BagValues(*platform, guids::VideoInputDeviceCategory);
  ASSERT_EQ(cameras.size(), 2u);
  EXPECT_EQ(cameras[0], (std::map<std::string, std::string>{
                            {"FriendlyName", "Simulated HD Webcam"},
                            {"DevicePath", "sim://hd-webcam"},
                            {"Description", "Simulated USB video device (1080p, autofocus)"}}));
  // A profile without a description gives a bag without the value, not an empty one.
  EXPECT_EQ(cameras[1], (std::map<std::string, std::string>{{"FriendlyName", "Simulated Camera Without Formats"},
                                                             {"DevicePath", "sim://no-formats"}}));

  const auto microphones = BagValues(*platform, guids::AudioInputDeviceCategory);
  ASSERT_EQ(microphones.size(), 1u);
  EXPECT_EQ(microphones[0].at("FriendlyName"), kSimulatedMicrophoneName);
  EXPECT_EQ(microphones[0].at("WaveInID"), "0");
  EXPECT_FALSE(microphones[0].contains("DevicePath"));

  // Compressors are the machine's encoders: the ones every FFmpeg build has come first, by friendly name.
  const auto videoCompressors = BagValues(*platform, guids::VideoCompressorCategory);
  ASSERT_GE(videoCompressors.size(), 2u);
  EXPECT_EQ(videoCompressors[0].at("FriendlyName"), "Motion JPEG");
  EXPECT_EQ(videoCompressors[1].at("FriendlyName"), "MPEG-4 Part 2");
  const auto audioCompressors = BagValues(*platform, guids::AudioCompressorCategory);
  ASSERT_GE(audioCompressors.size(), 1u);
  EXPECT_EQ(audioCompressors[0].at("FriendlyName"), "PCM 16-bit");

  // Every device binds to a filter that joins graphs and knows its name outside one.
  for (const auto& [category, name] : {std::pair{guids::AudioInputDeviceCategory, kSimulatedMicrophoneName},
                                       std::pair{guids::VideoCompressorCategory, "Motion JPEG"},
                                       std::pair{guids::AudioCompressorCategory, "PCM 16-bit"}}) {
    auto filter = BindDevice(*platform, name, category);
    ASSERT_NE(filter, nullptr) << name;
    FilterInfo info;
    ASSERT_EQ(filter->QueryFilterInfo(info), kOk);
    EXPECT_EQ(info.name, name);
  }
}

TEST(SimulatedEnumeration, AnEmptyCategoryAnswersFalseWithoutEnumerator) {
  auto platform = MakePlatform({"laptop"});
  std::shared_ptr<ICreateDevEnum> devices;
  ASSERT_EQ(CreateInstanceAs(*platform, guids::SystemDeviceEnum, devices), kOk);
  std::shared_ptr<IEnumMoniker> enumerator;
  const Guid unknownCategory{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  EXPECT_EQ(devices->CreateClassEnumerator(unknownCategory, enumerator, 0), kFalse);
  EXPECT_EQ(enumerator, nullptr);
}

TEST(SimulatedEnumeration, UnknownClassesAreNotRegistered) {
  auto platform = MakePlatform({"laptop"});
  std::shared_ptr<void> object;
  EXPECT_EQ(platform->CreateInstance(guids::PinCategoryCapture, Iid::Unknown, object), kClassNotRegistered);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(platform->CreateInstance(guids::SystemDeviceEnum, Iid::SampleGrabber, object), kNoInterface);
}

TEST(SimulatedCameraFilter, NamesItselfAndItsPropertyPages) {
  auto platform = MakePlatform({"hd-autofocus"});
  auto filter = BindDevice(*platform, "sim://hd-webcam");
  ASSERT_NE(filter, nullptr);
  FilterInfo info;
  ASSERT_EQ(filter->QueryFilterInfo(info), kOk);
  EXPECT_EQ(info.name, "Simulated HD Webcam");
  EXPECT_EQ(info.graph, nullptr);

  std::vector<Guid> pages;
  ASSERT_EQ(Query<ISpecifyPropertyPages>(filter)->GetPages(pages), kOk);
  EXPECT_EQ(pages, std::vector<Guid>{guids::CameraSettingsPage});
  ASSERT_EQ(Query<ISpecifyPropertyPages>(testing::FirstPin(filter))->GetPages(pages), kOk);
  EXPECT_EQ(pages, std::vector<Guid>{guids::StreamFormatPage});
  EXPECT_NE(Query<IAMVideoControl>(filter), nullptr);
}

TEST(SimulatedCameraFilter, HasOneOutputPinOfTheCaptureCategory) {
  auto platform = MakePlatform({"laptop"});
  auto filter = BindDevice(*platform, "sim://laptop-camera");
  std::shared_ptr<IEnumPins> pins;
  ASSERT_EQ(filter->EnumPins(pins), kOk);
  std::shared_ptr<IPin> pin;
  ASSERT_EQ(pins->Next(pin), kOk);
  std::shared_ptr<IPin> none;
  EXPECT_EQ(pins->Next(none), kFalse);

  PinDirection direction = PinDirection::Input;
  ASSERT_EQ(pin->QueryDirection(direction), kOk);
  EXPECT_EQ(direction, PinDirection::Output);

  auto properties = Query<IKsPropertySet>(pin);
  ASSERT_NE(properties, nullptr);
  Guid category;
  std::uint32_t returned = 0;
  ASSERT_EQ(properties->Get(guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, nullptr, 0, &category, 16, returned),
            kOk);
  EXPECT_EQ(returned, 16u);
  EXPECT_EQ(category, guids::PinCategoryCapture);

  std::uint8_t small[4];
  EXPECT_EQ(properties->Get(guids::AmPropSetIdPin, 0, nullptr, 0, small, sizeof small, returned), kErrorMoreData);
  EXPECT_EQ(returned, 16u);
  EXPECT_EQ(properties->Get(guids::PropSetIdVidcapCameraControlFlash, 0, nullptr, 0, &category, 16, returned),
            kErrorSetNotFound);
  EXPECT_EQ(properties->Set(guids::AmPropSetIdPin, 0, nullptr, 0, &category, 16), kErrorNotFound);
}

}  // namespace
}  // namespace tavelo::platform
