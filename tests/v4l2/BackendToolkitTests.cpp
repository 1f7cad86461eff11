// What the backend toolkit makes the same in both backends, run on each: the property tear-offs answer
// their filter's identity, and a sink may stop the stream that feeds it from inside a delivery.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "camera/platform/simulated/SimulatedPlatform.h"
#include "tests/v4l2/V4l2TestRig.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using namespace std::chrono_literals;

constexpr const char* kCamera = "Simulated HD Webcam";  // the same camera in both backends' profiles

std::shared_ptr<IBaseFilter> BindByName(CapturePlatform& platform, const std::string& name) {
  std::shared_ptr<ICreateDevEnum> devices;
  std::shared_ptr<IEnumMoniker> monikers;
  if (Failed(CreateInstanceAs(platform, guids::SystemDeviceEnum, devices)) ||
      devices->CreateClassEnumerator(guids::VideoInputDeviceCategory, monikers, 0) != kOk)
    return nullptr;
  std::shared_ptr<IMoniker> moniker;
  while (monikers->Next(moniker) == kOk) {
    std::shared_ptr<IPropertyBag> bag;
    std::string friendlyName;
    std::shared_ptr<IBaseFilter> filter;
    if (Succeeded(moniker->BindToStorage(bag)) && Succeeded(bag->Read("FriendlyName", friendlyName)) &&
        friendlyName == name && Succeeded(moniker->BindToObject(filter)))
      return filter;
  }
  return nullptr;
}

std::shared_ptr<void> Identity(const std::shared_ptr<Unknown>& object) {
  std::shared_ptr<void> identity;
  EXPECT_EQ(object->QueryInterface(Iid::Unknown, identity), kOk);
  return identity;
}

// Counts frames; given a source, it stops that stream from inside its first delivery.
class StoppingSink final : public IFrameSink {
 public:
  std::shared_ptr<IFrameSource> source;
  std::atomic<int> frames{0};
  std::atomic<bool> stopReturned{false};
  std::atomic<Result> stopResult{kFail};

  void Receive(const std::shared_ptr<IMediaSample>&) override {
    if (frames.fetch_add(1) > 0 || source == nullptr) return;
    stopResult = source->StopStreaming();
    stopReturned = true;
  }
};

class BackendToolkitTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "v4l2") {
      fake_ = &rig_.PlugProfile("hd-autofocus");
      platform_ = rig_.PlatformPointer();
    } else {
      std::string error;
      simulated_ = CreateSimulatedPlatform({"hd-autofocus"}, &error);
      ASSERT_NE(simulated_, nullptr) << error;
      platform_ = simulated_;
    }
    filter_ = BindByName(*platform_, kCamera);
    ASSERT_NE(filter_, nullptr);
    std::shared_ptr<IEnumPins> pins;
    std::shared_ptr<IPin> pin;
    ASSERT_EQ(filter_->EnumPins(pins), kOk);
    ASSERT_EQ(pins->Next(pin), kOk);
    ASSERT_EQ(QueryInterfaceAs(pin, source_), kOk);
  }

  // The device still streams, or still holds buffers of a stream.
  bool DeviceBusy() {
    if (simulated_) return simulated_->IsStreaming("sim://hd-webcam");
    return fake_->IsStreaming() || rig_.Kernel().LiveMappings() > 0;
  }

  bool WaitUntil(const std::function<bool()>& condition) {
    for (auto deadline = std::chrono::steady_clock::now() + 3s; std::chrono::steady_clock::now() < deadline;) {
      if (condition()) return true;
      std::this_thread::sleep_for(5ms);
    }
    return condition();
  }

  V4l2TestRig rig_;
  FakeCamera* fake_ = nullptr;
  std::shared_ptr<SimulatedPlatform> simulated_;
  std::shared_ptr<CapturePlatform> platform_;
  std::shared_ptr<IBaseFilter> filter_;
  std::shared_ptr<IFrameSource> source_;
};

TEST_P(BackendToolkitTest, PropertyTearOffsAnswerTheirFiltersIdentity) {
  const std::shared_ptr<void> filterIdentity = Identity(filter_);
  std::shared_ptr<IAMVideoProcAmp> procAmp;
  std::shared_ptr<IAMCameraControl> cameraControl;
  ASSERT_EQ(QueryInterfaceAs(filter_, procAmp), kOk);
  ASSERT_EQ(QueryInterfaceAs(filter_, cameraControl), kOk);
  // Two separate objects (their ids overlap), one identity: the filter's.
  EXPECT_NE(static_cast<void*>(procAmp.get()), static_cast<void*>(cameraControl.get()));
  EXPECT_EQ(Identity(procAmp), filterIdentity);
  EXPECT_EQ(Identity(cameraControl), filterIdentity);

  // Every other interface is the filter's too, reached from either tear-off.
  std::shared_ptr<IBaseFilter> filterAgain;
  ASSERT_EQ(QueryInterfaceAs(procAmp, filterAgain), kOk);
  EXPECT_EQ(filterAgain, filter_);
  std::shared_ptr<IAMVideoProcAmp> procAmpAgain;
  ASSERT_EQ(QueryInterfaceAs(cameraControl, procAmpAgain), kOk);
  EXPECT_EQ(Identity(procAmpAgain), filterIdentity);
  std::int32_t value = 0;
  std::int32_t flags = 0;
  EXPECT_EQ(procAmpAgain->Get(VideoProcAmp_Brightness, value, flags), kOk);

  // A tear-off keeps its filter alive.
  const std::weak_ptr<void> watched = filterIdentity;
  filterAgain.reset();
  procAmpAgain.reset();
  filter_.reset();
  source_.reset();
  EXPECT_FALSE(watched.expired());
  EXPECT_EQ(procAmp->Get(VideoProcAmp_Brightness, value, flags), kOk);
}

TEST_P(BackendToolkitTest, AStopFromInsideADeliveryEndsTheStreamWithoutWaitingForItself) {
  auto sink = std::make_shared<StoppingSink>();
  sink->source = source_;
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  ASSERT_TRUE(WaitUntil([&] { return sink->stopReturned.load(); })) << "the stop from inside must return";
  EXPECT_EQ(sink->stopResult.load(), kOk);
  EXPECT_TRUE(WaitUntil([&] { return !DeviceBusy(); })) << "the device is released once the delivery returns";
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(sink->frames.load(), 1) << "no frame after the stop";

  // The stream can start again, and stops from outside as usual.
  auto counting = std::make_shared<StoppingSink>();
  ASSERT_EQ(source_->StartStreaming(counting), kOk);
  EXPECT_TRUE(WaitUntil([&] { return counting->frames.load() >= 3; }));
  EXPECT_EQ(source_->StopStreaming(), kOk);
  EXPECT_FALSE(DeviceBusy());
  sink->source.reset();
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendToolkitTest, ::testing::Values("simulated", "v4l2"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tavelo::v4l2test
