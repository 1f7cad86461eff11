// Many activate / run / stop / deactivate cycles on the simulated camera while frames flow, another
// thread keeps taking the newest picture and the test thread takes stills: every cycle sees frames, none
// reaches the handler once deactivation has returned, and nothing handed out is left behind. Run under
// ThreadSanitizer as well.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QObject>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/FCamera.h"
#include "camera/platform/simulated/SimulatedPlatform.h"
#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

using namespace std::chrono_literals;
using namespace tavelo::platform;

constexpr int kCycles = 12;

// Takes the newest picture over and over on a thread of its own, through whatever the current cycle
// handed it. It keeps its own references, so a fetch may still run while the graph is torn down.
class PictureFetcher {
 public:
  PictureFetcher() : thread_([this] { Loop(); }) {}
  ~PictureFetcher() {
    done_ = true;
    thread_.join();
  }
  void Use(std::function<bool()> fetch) {
    std::lock_guard lock(mutex_);
    fetch_ = std::move(fetch);
  }
  int Pictures() const { return pictures_; }

 private:
  void Loop() {
    while (!done_) {
      std::function<bool()> fetch;
      {
        std::lock_guard lock(mutex_);
        fetch = fetch_;
      }
      if (fetch && fetch()) ++pictures_;
      std::this_thread::sleep_for(1ms);
    }
  }

  std::mutex mutex_;
  std::function<bool()> fetch_;
  std::atomic<bool> done_{false};
  std::atomic<int> pictures_{0};
  std::thread thread_;
};

// The renderer's current image, freed again; true when there was one.
bool FetchRendererImage(IVMRWindowlessControl9& renderer) {
  std::uint8_t* dib = nullptr;
  if (Failed(renderer.GetCurrentImage(dib)) || dib == nullptr) return false;
  BitmapInfoHeader header;
  std::memcpy(&header, dib, sizeof header);
  TaskMemFree(dib);
  return header.biWidth > 0 && header.biHeight > 0;
}

// The grabber's buffered sample, copied out; true when there was one.
bool FetchGrabberBuffer(ISampleGrabber& grabber) {
  std::int32_t size = 0;
  if (Failed(grabber.GetCurrentBuffer(size, nullptr)) || size <= 0) return false;
  std::vector<std::uint8_t> copy(static_cast<std::size_t>(size));
  return Succeeded(grabber.GetCurrentBuffer(size, copy.data())) && size > 0;
}

// The newest frame through the component's own still-image call, as a bitmap file or the camera's JPEG.
bool TakeStill(TFCamera& camera) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  const TFImageFormat format = camera.CurrentImageToStream(buffer);
  return buffer.data().startsWith(format == TFImageFormat::ifJpeg ? QByteArray("\xFF\xD8") : QByteArray("BM"));
}

template <class Predicate>
bool WaitFor(Predicate predicate, std::chrono::milliseconds limit = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

struct CyclePath {
  const char* name;
  TFCaptureType captureType;
  friend void PrintTo(const CyclePath& c, std::ostream* os) { *os << c.name; }
};

class StartStopCycles : public ::testing::TestWithParam<CyclePath> {
 protected:
  void SetUp() override {
    std::string error;
    platform = CreateSimulatedPlatform({"hd-autofocus"}, &error);
    ASSERT_NE(platform, nullptr) << error;
    camera = std::make_unique<TFCamera>(&form, platform);
    camera->SetPreviewWindowServices(tavelo::camera_tests::OwnerFormServices(&form, WindowHandle{0x5150}));
    camera->SetDeviceName("Simulated HD Webcam");
  }

  QObject form;
  std::shared_ptr<SimulatedPlatform> platform;
  std::unique_ptr<TFCamera> camera;
};

TEST_P(StartStopCycles, FramesFlowInEveryCycleAndNoneArriveAfterDeactivation) {
  const bool grabberPath = GetParam().captureType == TFCaptureType::ctGrabber;
  const TaskMemCounts memoryBefore = CountTaskMem();

  std::atomic<int> frames{0};
  std::atomic<int> framesOutsideTheBracket{0};
  camera->SetOnImageAvailable({[&](TFCamera* sender, double) {
                                 if (!sender->InImageAvailable()) ++framesOutsideTheBracket;
                                 // Counted at the end of a handler that takes a while, so one still running
                                 // when deactivation returned would show in the count.
                                 std::this_thread::sleep_for(1ms);
                                 ++frames;
                               },
                               &frames});
  camera->SetCaptureType(GetParam().captureType);

  {
    PictureFetcher fetcher;
    int framesAtDeactivation = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
      SCOPED_TRACE("cycle " + std::to_string(cycle));
      ASSERT_EQ(frames, framesAtDeactivation) << "a frame reached the handler while the camera was inactive";

      camera->SetActive(true);
      ASSERT_EQ(camera->CaptureType(), GetParam().captureType);
      ASSERT_EQ(camera->State(), TFCameraState::csStopped);
      if (grabberPath) {
        fetcher.Use([grabber = camera->SampleGrabber()] { return FetchGrabberBuffer(*grabber); });
      } else {
        fetcher.Use([renderer = camera->VMRWindowlessControl9()] { return FetchRendererImage(*renderer); });
      }

      const int framesBefore = frames;
      const int picturesBefore = fetcher.Pictures();
      camera->Run();
      EXPECT_EQ(camera->State(), TFCameraState::csRunning);
      if (grabberPath) {
        EXPECT_TRUE(WaitFor([&] { return frames >= framesBefore + 2; })) << "no frames reached the handler";
      } else {
        // The test thread takes the picture too, alongside the fetcher.
        EXPECT_TRUE(WaitFor([&] { return FetchRendererImage(*camera->VMRWindowlessControl9()); }));
      }
      EXPECT_TRUE(WaitFor([&] { return fetcher.Pictures() > picturesBefore; })) << "no picture was fetched";
      EXPECT_TRUE(TakeStill(*camera));

      // Half the cycles stop first; the others tear down a running graph.
      if (cycle % 2 == 0) {
        camera->Stop();
        EXPECT_EQ(camera->State(), TFCameraState::csStopped);
      }
      camera->SetActive(false);
      EXPECT_FALSE(camera->InImageAvailable());
      EXPECT_EQ(camera->State(), TFCameraState::csInactive);
      EXPECT_FALSE(platform->IsStreaming("sim://hd-webcam"));
      framesAtDeactivation = frames;
    }
    std::this_thread::sleep_for(100ms);  // several frame periods: a late frame would show now
    EXPECT_EQ(frames, framesAtDeactivation);
    if (!grabberPath) {
      EXPECT_EQ(frames, 0);  // the handler belongs to the grabber path only
    }
  }
  EXPECT_EQ(framesOutsideTheBracket, 0);

  camera.reset();
  const TaskMemCounts memoryAfter = CountTaskMem();
  EXPECT_EQ(memoryAfter.allocations - memoryBefore.allocations, memoryAfter.frees - memoryBefore.frees)
      << "a block handed out during the cycles was not freed";
}

INSTANTIATE_TEST_SUITE_P(Camera, StartStopCycles,
                         ::testing::Values(CyclePath{"Grabber", TFCaptureType::ctGrabber},
                                           CyclePath{"Renderer", TFCaptureType::ctVmr9}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavelo::camera_tests
