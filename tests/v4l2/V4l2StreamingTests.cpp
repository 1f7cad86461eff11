// Frame streaming on the fake kernel: frames reach the sink on the backend's thread, stopping is prompt
// and complete (no call after it returns, every buffer unmapped and freed), and a busy or vanished
// camera ends cleanly.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/v4l2/V4l2TestRig.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using namespace std::chrono_literals;

class CountingSink final : public IFrameSink {
 public:
  void Receive(const std::shared_ptr<IMediaSample>& sample) override {
    std::lock_guard lock(mutex_);
    ++frames_;
    lastLength_ = sample->ActualDataLength();
    lastFirstByte_ = sample->ActualDataLength() > 0 ? sample->Data()[0] : -1;
    times_.push_back(sample->SampleTime());
    thread_ = std::this_thread::get_id();
    arrived_.notify_all();
  }
  bool WaitForFrames(int count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return frames_ >= count; });
  }
  int Frames() {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  std::int32_t LastLength() {
    std::lock_guard lock(mutex_);
    return lastLength_;
  }
  std::vector<double> Times() {
    std::lock_guard lock(mutex_);
    return times_;
  }
  std::thread::id Thread() {
    std::lock_guard lock(mutex_);
    return thread_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  int frames_ = 0;
  std::int32_t lastLength_ = 0;
  int lastFirstByte_ = -1;
  std::vector<double> times_;
  std::thread::id thread_;
};

class V4l2StreamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = &rig_.PlugProfile("hd-autofocus");  // starts at YUYV 640x480, 30 fps
    camera_ = rig_.Bind("Simulated HD Webcam");
    ASSERT_EQ(QueryInterfaceAs(camera_.pin, source_), kOk);
  }

  V4l2TestRig rig_;
  FakeCamera* fake_ = nullptr;
  BoundCamera camera_;
  std::shared_ptr<IFrameSource> source_;
};

TEST_F(V4l2StreamingTest, DeliversFramesOnItsOwnThreadAndStopsCompletely) {
  AmMediaType mediaType;
  ASSERT_EQ(source_->GetStreamMediaType(mediaType), kOk);
  EXPECT_EQ(mediaType.subtype, guids::MediaSubtypeYUY2);
  FreeMediaTypeContents(mediaType);

  auto sink = std::make_shared<CountingSink>();
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  EXPECT_TRUE(fake_->IsStreaming());
  ASSERT_TRUE(sink->WaitForFrames(4, 3s));
  EXPECT_EQ(sink->LastLength(), 640 * 480 * 2);
  EXPECT_NE(sink->Thread(), std::this_thread::get_id());
  const std::vector<double> times = sink->Times();
  EXPECT_DOUBLE_EQ(times.front(), 0.0);
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));

  // A second start while running is refused rather than stacking a second stream.
  EXPECT_EQ(source_->StartStreaming(sink), kErrorWrongState);

  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(source_->StopStreaming(), kOk);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  const int frames = sink->Frames();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(sink->Frames(), frames) << "no frame after StopStreaming returned";
  EXPECT_FALSE(fake_->IsStreaming());
  EXPECT_EQ(rig_.Kernel().LiveMappings(), 0);
  const auto log = rig_.Kernel().LogText();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "STREAMOFF");
  EXPECT_EQ(log.back(), "REQBUFS");

  // And it starts again.
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  EXPECT_TRUE(sink->WaitForFrames(frames + 2, 3s));
  EXPECT_EQ(source_->StopStreaming(), kOk);
}

TEST_F(V4l2StreamingTest, AnotherProgramsStreamRefusesTheStartAndLeavesNothingBehind) {
  fake_->SetStreamingElsewhere(true);
  auto sink = std::make_shared<CountingSink>();
  const Result r = source_->StartStreaming(sink);
  EXPECT_EQ(r, ResultFromErrno(EBUSY));
  EXPECT_EQ(rig_.Kernel().LiveMappings(), 0);
  EXPECT_EQ(source_->StopStreaming(), kOk);
  EXPECT_EQ(sink->Frames(), 0);
}

TEST_F(V4l2StreamingTest, AFailedStreamOnFreesTheBuffersItMapped) {
  fake_->FailNext(VIDIOC_STREAMON, ENOSPC);
  const Result r = source_->StartStreaming(std::make_shared<CountingSink>());
  EXPECT_EQ(r, ResultFromErrno(ENOSPC));
  EXPECT_EQ(rig_.Platform().GetErrorText(r), "Not enough USB bandwidth for this video format");
  EXPECT_EQ(rig_.Kernel().LiveMappings(), 0);
}

TEST_F(V4l2StreamingTest, UnpluggingWhileStreamingEndsTheStreamAndStopStillCleansUp) {
  auto sink = std::make_shared<CountingSink>();
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  ASSERT_TRUE(sink->WaitForFrames(2, 3s));
  fake_->Unplug();
  std::this_thread::sleep_for(200ms);
  const int frames = sink->Frames();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(sink->Frames(), frames);

  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(source_->StopStreaming(), kOk);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  EXPECT_EQ(rig_.Kernel().LiveMappings(), 0);
  // Starting again reports the camera gone.
  EXPECT_EQ(source_->StartStreaming(sink), v4l2::kResultDisconnected);
}

TEST_F(V4l2StreamingTest, StopReturnsPromptlyWhenNoFrameComes) {
  fake_->FailNext(VIDIOC_DQBUF, EAGAIN, 1000000);
  auto sink = std::make_shared<CountingSink>();
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  std::this_thread::sleep_for(150ms);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(source_->StopStreaming(), kOk);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  EXPECT_EQ(sink->Frames(), 0);
}

TEST_F(V4l2StreamingTest, TheFormatCannotChangeUnderARunningStream) {
  ASSERT_EQ(source_->StartStreaming(std::make_shared<CountingSink>()), kOk);
  std::shared_ptr<IAMStreamConfig> config;
  ASSERT_EQ(QueryInterfaceAs(camera_.pin, config), kOk);
  AmMediaType* current = nullptr;
  ASSERT_EQ(config->GetFormat(current), kOk);
  EXPECT_EQ(config->SetFormat(*current), kErrorWrongState);
  DeleteMediaType(current);
  // Stopping the filter stops the stream it feeds.
  EXPECT_EQ(camera_.filter->Stop(), kOk);
  EXPECT_FALSE(fake_->IsStreaming());
  EXPECT_EQ(rig_.Kernel().LiveMappings(), 0);
}

TEST_F(V4l2StreamingTest, DroppingTheLastReferenceWhileStreamingStopsAndClosesTheNode) {
  const int before = rig_.Kernel().OpenDescriptors();
  auto sink = std::make_shared<CountingSink>();
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  ASSERT_TRUE(sink->WaitForFrames(1, 3s));
  source_.reset();
  camera_ = BoundCamera{};
  EXPECT_EQ(rig_.Kernel().OpenDescriptors(), before - 1);
  EXPECT_EQ(rig_.Kernel().LiveMappings(), 0);
  EXPECT_FALSE(fake_->IsStreaming());
}

}  // namespace
}  // namespace tavelo::v4l2test
