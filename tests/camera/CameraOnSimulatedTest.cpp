// The component on the simulated backend: real graph objects and a real streaming thread.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "camera/FCamera.h"
#include "camera/platform/simulated/SimulatedPlatform.h"

namespace tavelo::camera_tests {
namespace {

using namespace std::chrono_literals;
using namespace tavelo::platform;

constexpr const char* kHdWebcam = "Simulated HD Webcam";

class OnSimulated : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform = CreateSimulatedPlatform({"hd-autofocus", "laptop"}, &error);
    ASSERT_NE(platform, nullptr) << error;
    camera = std::make_unique<TFCamera>(nullptr, platform);
    camera->SetDeviceName(kHdWebcam);
  }

  std::shared_ptr<SimulatedPlatform> platform;
  std::unique_ptr<TFCamera> camera;
};

TEST_F(OnSimulated, ListsTheCamerasAndSelectsByNameOrPath) {
  const TFVideoCaptureDevices devices = camera->Devices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].Name, kHdWebcam);
  EXPECT_EQ(devices[1].Name, "Simulated Laptop Camera");
  ASSERT_FALSE(devices[1].Path.isEmpty());
  EXPECT_FALSE(camera->AudioCaptureDevices().empty());
  EXPECT_FALSE(camera->Compressors().empty());

  camera->SetDeviceName(devices[1].Path);
  EXPECT_NE(camera->CaptureFilter(), nullptr);
  EXPECT_TRUE(camera->HueSupported());
}

TEST_F(OnSimulated, PropertyWritesReachTheDriver) {
  const TFRange range = camera->BrightnessRange();
  const std::int32_t value = range.Min + range.Delta;
  camera->SetBrightness(value);
  EXPECT_EQ(camera->Brightness(), value);
  const auto driver = platform->ReadProperty("sim://hd-webcam", PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness);
  ASSERT_TRUE(driver.has_value());
  EXPECT_EQ(driver->value, value);
  EXPECT_THROW(camera->SetBrightness(range.Max + 1), EOleSysError);
}

TEST_F(OnSimulated, EveryListedFormatWritesBack) {
  const TFCameraFormats formats = camera->SupportedFormats();
  ASSERT_FALSE(formats.empty());
  for (const TFCameraFormat& format : formats) {
    camera->SetFormat(format);
    const TFCameraFormat current = camera->Format();
    EXPECT_EQ(current.Width, format.Width);
    EXPECT_EQ(current.Height, format.Height);
    EXPECT_EQ(current.AvgTimePerFrame, format.AvgTimePerFrame);
    EXPECT_EQ(current.BitsPerPixel, format.BitsPerPixel);
  }
}

TEST_F(OnSimulated, TheGrabberGraphDeliversFramesUntilDeactivated) {
  std::atomic<int> frames{0};
  camera->SetOnImageAvailable({[&](TFCamera*, double) {
                                 std::this_thread::sleep_for(2ms);
                                 ++frames;
                               },
                               &frames});
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  EXPECT_EQ(camera->State(), TFCameraState::csStopped);
  camera->Run();
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (frames < 3 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  EXPECT_GE(frames, 3);
  EXPECT_EQ(camera->State(), TFCameraState::csRunning);

  camera->SetActive(false);
  EXPECT_FALSE(camera->InImageAvailable());
  const int afterDeactivation = frames;
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(frames, afterDeactivation);
  EXPECT_FALSE(platform->IsStreaming("sim://hd-webcam"));
}

}  // namespace
}  // namespace tavelo::camera_tests
