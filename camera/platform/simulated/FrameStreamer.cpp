#include "camera/platform/simulated/FrameStreamer.h"

#include <algorithm>
#include <chrono>

#include "camera/platform/common/FrameSample.h"
#include "camera/platform/simulated/StreamClaim.h"
#include "camera/platform/simulated/TestPattern.h"

namespace tavelo::platform::simulated {
namespace {

using Clock = std::chrono::steady_clock;
using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;  // 100 ns units

constexpr std::int64_t kDefaultFrameInterval = 333333;  // a format without a rate streams at 30 per second
constexpr std::int64_t kShortestFrameInterval = 10000;  // 1 ms: never spin

void DeliverTestPattern(SimulatedDevice& device, std::uint64_t session, const FrameLayout& layout, IFrameSink& sink,
                        StreamingThread::Control& control) {
  const std::int64_t interval =
      std::max(layout.avgTimePerFrame > 0 ? layout.avgTimePerFrame : kDefaultFrameInterval, kShortestFrameInterval);
  const Clock::time_point start = Clock::now();
  while (Succeeded(device.CheckPresent(session))) {
    const auto elapsed = std::chrono::duration_cast<Ticks>(Clock::now() - start).count();
    const double seconds = static_cast<double>(elapsed) / 1e7;
    std::vector<std::uint8_t> frame;
    if (!RenderTestPattern(layout, seconds, device.Picture(), frame)) return;
    DeliverFrame(sink, std::move(frame), seconds);

    // The next frame is due at the next multiple of the interval; frames that a slow consumer missed
    // are dropped rather than delivered late in a burst.
    const std::int64_t done = std::chrono::duration_cast<Ticks>(Clock::now() - start).count();
    if (control.WaitUntil(start + Ticks((done / interval + 1) * interval))) return;
  }
}

}  // namespace

Result PrepareFrameStream(std::shared_ptr<SimulatedDevice> device, std::uint64_t session, const FrameLayout& layout,
                          std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) {
  auto claim = std::make_shared<StreamClaim>(device);
  if (const Result claimed = claim->Claim(); Failed(claimed)) return claimed;
  work = [claim, device, session, layout, sink](StreamingThread::Control& control) {
    DeliverTestPattern(*device, session, layout, *sink, control);
  };
  return kOk;
}

}  // namespace tavelo::platform::simulated
