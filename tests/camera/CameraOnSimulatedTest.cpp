// The component on the simulated backend: real graph objects and a real streaming thread.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "camera/FCamera.h"
#include "camera/platform/common/PcmFormat.h"
#include "camera/platform/simulated/SimulatedPlatform.h"
#include "tests/support/MediaFileProbe.h"

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

TEST_F(OnSimulated, ListsTheMicrophoneWhoseFilterDeliversPcm) {
  const TFAudioCaptureDevices microphones = camera->AudioCaptureDevices();
  ASSERT_EQ(microphones.size(), 1u);
  EXPECT_EQ(microphones[0].Name, kSimulatedMicrophoneName);
  EXPECT_EQ(microphones[0].Description, "Simulated audio input");
  EXPECT_EQ(microphones[0].WaveInID, 0);

  const auto filter = camera->GetAudioCaptureDevice(kSimulatedMicrophoneName);
  ASSERT_NE(filter, nullptr);
  std::shared_ptr<IEnumPins> pins;
  ASSERT_EQ(filter->EnumPins(pins), kOk);
  std::shared_ptr<IPin> pin;
  ASSERT_EQ(pins->Next(pin), kOk);
  std::shared_ptr<IFrameSource> source;
  ASSERT_EQ(QueryInterfaceAs(pin, source), kOk);
  OwnedMediaType type;
  ASSERT_EQ(source->GetStreamMediaType(type.Receive()), kOk);
  EXPECT_EQ(type.Get().majortype, guids::MediaTypeAudio);
  EXPECT_TRUE(PcmFormatOf(type.Get()).has_value());
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

TEST_F(OnSimulated, RecordsBesideTheGrabberAndDeactivationFinishesTheFile) {
  const auto path = (std::filesystem::path(::testing::TempDir()) / "tavelo-component.avi").string();
  std::filesystem::remove(path);
  std::atomic<int> frames{0};
  camera->SetOnImageAvailable({[&](TFCamera*, double) { ++frames; }, &frames});
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetOutputFileName(QString::fromStdString(path));
  camera->SetOutputFileType(TFMediaType::mtAvi);
  camera->SetCompressorName("Motion JPEG");
  camera->SetAudioDeviceName(kSimulatedMicrophoneName);
  camera->SetAudioCompressorName("PCM 16-bit");
  camera->SetActive(true);
  camera->Run();
  std::this_thread::sleep_for(1s);
  camera->SetActive(false);

  // One capture pin fed both the grabber and the file.
  EXPECT_GE(frames, 15);
  const auto file = platform::testing::ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  const auto* video = file.Find("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->codec, "mjpeg");
  EXPECT_GE(video->packets, 15);
  EXPECT_EQ(file.decodedFrames, video->packets);
  ASSERT_NE(file.Find("audio"), nullptr);
  EXPECT_EQ(file.Find("audio")->codec, "pcm_s16le");
}

TEST_F(OnSimulated, ACaptureFileThatCannotBeMadeFailsActivationWithItsReason) {
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetOutputFileName("/nonexistent-tavelo-folder/out.asf");
  try {
    camera->SetActive(true);
    ADD_FAILURE() << "activated";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), kErrorBadFileName);
    EXPECT_EQ(error.Message().toStdString(), platform->GetErrorText(kErrorBadFileName));
  }
  EXPECT_FALSE(camera->Active());

  camera->SetOutputFileName(QString::fromStdString(::testing::TempDir() + "/tavelo-unknown-codec.asf"));
  camera->SetCompressorName("No Such Codec");
  try {
    camera->SetActive(true);
    ADD_FAILURE() << "activated";
  } catch (const EFCameraError& error) {
    EXPECT_EQ(error.Message(), "Cannot retrieve 'Compressor IBaseFilter' interface");
  }
  EXPECT_FALSE(camera->Active());
}

}  // namespace
}  // namespace tavelo::camera_tests
