// Finding cameras: which nodes are listed, in what order, under which names, and what binding one does.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tests/v4l2/V4l2TestRig.h"
#include "camera/FCamera.h"
#include "camera/platform/media/AudioSources.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;

FakeCameraModel NamedCamera(const std::string& card, const std::string& byId, const std::string& byPath) {
  FakeCameraModel model = LoadWebcamProfile("laptop-camera");
  model.card = card;
  model.byIdName = byId;
  model.byPathName = byPath;
  return model;
}

// Identical cameras: with serial numbers each keeps its own by-id name; without, they share one that
// udev points at the newer camera, so each goes by its port instead.
TEST(V4l2EnumerationTest, IdenticalCamerasGoByIdOnlyWhenEachHasANameOfItsOwn) {
  struct Case {
    const char* name;
    std::string firstById, secondById;
    std::string expectedFirst, expectedSecond;  // under the device directory
  };
  const std::string portA = "pci-0000:00:14.0-usb-0:1:1.0-video-index0";
  const std::string portB = "pci-0000:00:14.0-usb-0:2:1.0-video-index0";
  const Case cases[] = {
      {"serials", "usb-Cam_A1-video-index0", "usb-Cam_A2-video-index0", "/v4l/by-id/usb-Cam_A1-video-index0",
       "/v4l/by-id/usb-Cam_A2-video-index0"},
      {"one shared name", "usb-Cam-video-index0", "usb-Cam-video-index0", "/v4l/by-path/" + portA,
       "/v4l/by-path/" + portB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    V4l2TestRig rig;
    rig.Kernel().Plug(NamedCamera("Cam", c.firstById, portA));
    rig.Kernel().Plug(NamedCamera("Cam", c.secondById, portB));
    rig.Kernel().Plug(NamedCamera("Other", "usb-Other-video-index0", "pci-0000:00:14.0-usb-0:3:1.0-video-index0"));
    const auto devices = rig.ListDevices();
    ASSERT_EQ(devices.size(), 3u);
    const std::string dir = rig.Kernel().DeviceDirectory();
    EXPECT_EQ(devices[0].devicePath, dir + c.expectedFirst);
    EXPECT_EQ(devices[1].devicePath, dir + c.expectedSecond);
    EXPECT_EQ(devices[2].devicePath, dir + "/v4l/by-id/usb-Other-video-index0");
  }
}

TEST(V4l2EnumerationTest, ListsCaptureNodesOnlyWithTheirNamesInNodeOrder) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");               // video0 + metadata video1
  rig.Kernel().AddForeignNode();                 // video2, not a V4L2 device
  rig.Kernel().Plug(NamedCamera("Cam B", "", "pci-0000:00:14.0-usb-0:4:1.0-video-index0"));  // video3 (+4)
  for (int i = 0; i < 4; ++i) rig.Kernel().Plug(NamedCamera("Cam " + std::to_string(i), "", ""));  // video5 .. video11

  const auto devices = rig.ListDevices();
  ASSERT_EQ(devices.size(), 6u);
  const std::string dir = rig.Kernel().DeviceDirectory();
  EXPECT_EQ(devices[0].friendlyName, "Simulated HD Webcam");
  EXPECT_EQ(devices[0].devicePath, dir + "/v4l/by-id/usb-Simulated_HD_Webcam_5C1E0A2F-video-index0");
  EXPECT_EQ(devices[0].description, "uvcvideo, usb-0000:00:14.0-1");
  // No by-id link: the by-path link; neither: the node. Numeric order puts video11 after video9.
  EXPECT_EQ(devices[1].devicePath, dir + "/v4l/by-path/pci-0000:00:14.0-usb-0:4:1.0-video-index0");
  EXPECT_EQ(devices[2].devicePath, dir + "/video5");
  EXPECT_EQ(devices[3].devicePath, dir + "/video7");
  EXPECT_EQ(devices[4].devicePath, dir + "/video9");
  EXPECT_EQ(devices[5].devicePath, dir + "/video11");
  EXPECT_EQ(devices[5].friendlyName, "Cam 3");

  EXPECT_TRUE(V4l2HasCaptureDevice(rig.KernelPointer(), dir));
}

TEST(V4l2EnumerationTest, EmptyDirectoryAndOtherCategoriesAnswerAnEmptyCategory) {
  V4l2TestRig rig;
  EXPECT_FALSE(V4l2HasCaptureDevice(rig.KernelPointer(), rig.Kernel().DeviceDirectory()));
  EXPECT_FALSE(V4l2HasCaptureDevice(rig.KernelPointer(), "/nonexistent/tavelo-devices"));

  rig.PlugProfile("hd-autofocus");
  std::shared_ptr<ICreateDevEnum> enumerator;
  ASSERT_EQ(CreateInstanceAs(rig.Platform(), guids::SystemDeviceEnum, enumerator), kOk);
  for (const Guid& category : {guids::AudioInputDeviceCategory}) {
    std::shared_ptr<IEnumMoniker> monikers;
    EXPECT_EQ(enumerator->CreateClassEnumerator(category, monikers, 0), kFalse);
    EXPECT_EQ(monikers, nullptr);
  }
  // The compressors are the machine's encoders, as on every backend.
  for (const Guid& category : {guids::VideoCompressorCategory, guids::AudioCompressorCategory}) {
    std::shared_ptr<IEnumMoniker> monikers;
    EXPECT_EQ(enumerator->CreateClassEnumerator(category, monikers, 0), kOk);
    EXPECT_NE(monikers, nullptr);
  }
  EXPECT_EQ(rig.Platform().Name(), "v4l2");
}

TEST(V4l2EnumerationTest, UnplugBetweenListingsDropsTheCamera) {
  V4l2TestRig rig;
  FakeCamera& first = rig.PlugProfile("hd-autofocus");
  rig.PlugProfile("laptop-camera");
  ASSERT_EQ(rig.ListDevices().size(), 2u);
  first.Unplug();
  const auto devices = rig.ListDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].friendlyName, "Simulated Laptop Camera");
}

TEST(V4l2EnumerationTest, ANodeThatCannotBeOpenedIsListedFromSysfsAndExplainsItself) {
  V4l2TestRig rig;
  FakeCamera& camera = rig.PlugProfile("hd-autofocus");
  camera.DenyOpen(EACCES);
  const std::filesystem::path entry = std::filesystem::path(rig.SysfsDirectory()) / "video0";
  std::filesystem::create_directories(entry);
  std::ofstream(entry / "name") << "Simulated HD Webcam\n";
  std::ofstream(entry / "index") << "0\n";
  // The metadata node opens fine and is recognised as such; it must not show up either way.
  const auto devices = rig.ListDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].friendlyName, "Simulated HD Webcam");
  EXPECT_EQ(devices[0].devicePath,
            rig.Kernel().DeviceDirectory() + "/v4l/by-id/usb-Simulated_HD_Webcam_5C1E0A2F-video-index0");

  const BoundCamera bound = rig.Bind("Simulated HD Webcam");
  ASSERT_NE(bound.procAmp, nullptr);
  std::int32_t value = 0;
  std::int32_t flags = 0;
  const Result r = bound.procAmp->Get(VideoProcAmp_Brightness, value, flags);
  EXPECT_EQ(r, v4l2::ResultFromOpenErrno(EACCES));
  EXPECT_NE(rig.Platform().GetErrorText(r).find("Permission to open the camera was denied"), std::string::npos);

  // Without a sysfs description the node cannot be named and is left out.
  std::filesystem::remove_all(entry);
  EXPECT_TRUE(rig.ListDevices().empty());
}

TEST(V4l2EnumerationTest, ABoundCameraKeepsOneDescriptorUntilItsLastObjectGoes) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");
  const int before = rig.Kernel().OpenDescriptors();
  rig.ListDevices();
  EXPECT_EQ(rig.Kernel().OpenDescriptors(), before) << "enumeration closes what it opens";

  BoundCamera bound = rig.Bind("Simulated HD Webcam");
  ASSERT_NE(bound.procAmp, nullptr);
  ASSERT_NE(bound.cameraControl, nullptr);
  ASSERT_NE(bound.pin, nullptr);
  std::int32_t value = 0;
  std::int32_t flags = 0;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(bound.procAmp->Set(VideoProcAmp_Brightness, 100 + i, kPropertyFlagsManual), kOk);
    EXPECT_EQ(bound.cameraControl->Get(CameraControl_Zoom, value, flags), kOk);
  }
  EXPECT_EQ(rig.Kernel().OpenDescriptors(), before + 1);

  // The filter goes first; the tear-offs and the pin still hold the node.
  bound.filter.reset();
  EXPECT_EQ(rig.Kernel().OpenDescriptors(), before + 1);
  EXPECT_EQ(bound.procAmp->Get(VideoProcAmp_Brightness, value, flags), kOk);
  EXPECT_EQ(value, 104);
  bound.procAmp.reset();
  bound.cameraControl.reset();
  bound.pin.reset();
  EXPECT_EQ(rig.Kernel().OpenDescriptors(), before);
}

TEST(V4l2EnumerationTest, TheFilterHasOneCapturePinAndNoFlashOrStabilisation) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");
  const BoundCamera bound = rig.Bind("Simulated HD Webcam");
  ASSERT_NE(bound.pin, nullptr);

  std::shared_ptr<IKsPropertySet> pinProperties;
  ASSERT_EQ(QueryInterfaceAs(bound.pin, pinProperties), kOk);
  Guid category;
  std::uint32_t returned = 0;
  ASSERT_EQ(pinProperties->Get(guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, nullptr, 0, &category,
                               sizeof category, returned),
            kOk);
  EXPECT_EQ(returned, 16u);
  EXPECT_EQ(category, guids::PinCategoryCapture);
  PinDirection direction{};
  EXPECT_EQ(bound.pin->QueryDirection(direction), kOk);
  EXPECT_EQ(direction, PinDirection::Output);

  std::shared_ptr<IKsPropertySet> filterProperties;
  ASSERT_EQ(QueryInterfaceAs(bound.filter, filterProperties), kOk);
  std::uint8_t record[8] = {};
  for (const Guid& set : {guids::PropSetIdVidcapCameraControlFlash, guids::PropSetIdVidcapCameraControlVideoStabilization}) {
    EXPECT_EQ(filterProperties->Get(set, 0, nullptr, 0, record, sizeof record, returned), kErrorSetNotFound);
    EXPECT_EQ(filterProperties->Get(set, 0, nullptr, 0, record, 1, returned), kErrorSetNotFound);
    EXPECT_EQ(filterProperties->Set(set, 0, nullptr, 0, record, sizeof record), kErrorSetNotFound);
  }

  FilterInfo info;
  ASSERT_EQ(bound.filter->QueryFilterInfo(info), kOk);
  EXPECT_EQ(info.name, "Simulated HD Webcam");
  // The two property interfaces are separate objects: their ids overlap.
  std::shared_ptr<void> procAmp;
  std::shared_ptr<void> cameraControl;
  ASSERT_EQ(bound.filter->QueryInterface(Iid::AMVideoProcAmp, procAmp), kOk);
  ASSERT_EQ(bound.filter->QueryInterface(Iid::AMCameraControl, cameraControl), kOk);
  EXPECT_NE(procAmp.get(), cameraControl.get());
}

// The audio-capture category is the machine's sound inputs (none without a sound server, as in the
// build containers), listed by the component with their names and numbers.
TEST(V4l2EnumerationTest, AudioInputsAreTheMachinesSoundInputs) {
  V4l2TestRig rig;
  v4l2::V4l2Locations locations;
  locations.deviceDirectory = rig.Kernel().DeviceDirectory();
  locations.sysfsDirectory = rig.SysfsDirectory();
  auto platform = CreateV4l2Platform(rig.KernelPointer(), locations);
  TFCamera camera(nullptr, platform);
  const TFAudioCaptureDevices listed = camera.AudioCaptureDevices();
  const auto machine = media::ListMachineAudioSources(media::SystemAudioSourceLister());
  ASSERT_EQ(listed.size(), machine.size());
  for (std::size_t i = 0; i < machine.size(); ++i) {
    EXPECT_EQ(listed[i].Name.toStdString(), machine[i].friendlyName);
    EXPECT_EQ(listed[i].Description.toStdString(), machine[i].device);
    EXPECT_EQ(listed[i].WaveInID, static_cast<std::int32_t>(i));
  }

  // The rig keeps whatever machine runs the tests out of the other tests.
  TFCamera onRig(nullptr, rig.PlatformPointer());
  EXPECT_TRUE(onRig.AudioCaptureDevices().empty());
}

}  // namespace
}  // namespace tavelo::v4l2test
