#include "camera/platform/simulated/FrameStreamer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "camera/platform/graph/MemorySample.h"
#include "camera/platform/simulated/TestPattern.h"

namespace tavelo::platform::simulated {
namespace {

using Clock = std::chrono::steady_clock;
using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;  // 100 ns units

constexpr std::int64_t kDefaultFrameInterval = 333333;  // a format without a rate streams at 30 per second
constexpr std::int64_t kShortestFrameInterval = 10000;  // 1 ms: never spin

}  // namespace

// Lives as long as the longer of the streamer and its thread, so a thread left to finish on its own
// still has its stop flag. Its address is the device's stream-owner token.
struct FrameStreamer::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
};

Result FrameStreamer::Start(std::shared_ptr<SimulatedDevice> device, std::uint64_t session, const FrameLayout& layout,
                            std::shared_ptr<IFrameSink> sink, std::unique_ptr<FrameStreamer>& out) {
  out.reset();
  if (sink == nullptr) return kNullPointer;
  auto shared = std::make_shared<Shared>();
  const Result claimed = device->ClaimStream(shared.get());
  if (Failed(claimed)) return claimed;
  out.reset(new FrameStreamer(shared, device));
  out->thread_ = std::thread(&FrameStreamer::Run, shared, device, session, layout, std::move(sink));
  return kOk;
}

FrameStreamer::FrameStreamer(std::shared_ptr<Shared> shared, std::shared_ptr<SimulatedDevice> device)
    : shared_(std::move(shared)), device_(std::move(device)) {}

FrameStreamer::~FrameStreamer() { Stop(); }

void FrameStreamer::Stop() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stop = true;
  }
  shared_->wake.notify_all();
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();
    } else {
      thread_.join();
    }
  }
  device_->ReleaseStream(shared_.get());
}

void FrameStreamer::Run(std::shared_ptr<Shared> shared, std::shared_ptr<SimulatedDevice> device,
                        std::uint64_t session, FrameLayout layout, std::shared_ptr<IFrameSink> sink) {
  const std::int64_t interval =
      std::max(layout.avgTimePerFrame > 0 ? layout.avgTimePerFrame : kDefaultFrameInterval, kShortestFrameInterval);
  const Clock::time_point start = Clock::now();
  while (Succeeded(device->CheckPresent(session))) {
    const auto elapsed = std::chrono::duration_cast<Ticks>(Clock::now() - start).count();
    const double seconds = static_cast<double>(elapsed) / 1e7;
    std::vector<std::uint8_t> frame;
    if (!RenderTestPattern(layout, seconds, device->Picture(), frame)) break;
    sink->Receive(std::make_shared<MemorySample>(std::move(frame), seconds));

    // The next frame is due at the next multiple of the interval; frames that a slow consumer missed
    // are dropped rather than delivered late in a burst.
    const std::int64_t done = std::chrono::duration_cast<Ticks>(Clock::now() - start).count();
    const Clock::time_point due = start + Ticks((done / interval + 1) * interval);
    std::unique_lock lock(shared->mutex);
    if (shared->wake.wait_until(lock, due, [&] { return shared->stop; })) break;
  }
  device->ReleaseStream(shared.get());
}

}  // namespace tavelo::platform::simulated
