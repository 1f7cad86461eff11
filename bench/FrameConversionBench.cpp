// Frame conversion of a 1080p frame into the renderer's bottom-up 32-bit bitmap, beside what it cannot
// be cheaper than:
// - YUY2 -> BGRA against a memcpy of the finished bitmap's bytes (the memory traffic alone);
// - motion-JPEG -> BGRA against the JPEG codec's decode on its own (libjpeg's work, no re-ordering of
//   rows) and the same memcpy.
// The JPEG frame is the simulated camera's test card with sensor-like noise, so the decoder sees the
// detail of a real picture rather than flat bars.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/graph/FrameConversion.h"
#include "camera/platform/simulated/TestPattern.h"

namespace {

using tavelo::platform::FrameLayout;
using tavelo::platform::PixelFormat;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr std::size_t kBitmapBytes = std::size_t{kWidth} * kHeight * 4;
constexpr int kJpegQuality = 80;  // what the simulated cameras send
constexpr double kFrameTime = 1.25;

FrameLayout Layout(PixelFormat format, std::size_t bytesPerPixel) {
  FrameLayout layout;
  layout.format = format;
  layout.width = kWidth;
  layout.height = kHeight;
  layout.stride = std::size_t{kWidth} * bytesPerPixel;
  layout.maxFrameBytes = format == PixelFormat::MJPG ? std::size_t{kWidth} * kHeight * 3 + 4096
                                                     : layout.stride * kHeight;
  return layout;
}

std::vector<std::uint8_t> Render(const FrameLayout& layout) {
  std::vector<std::uint8_t> frame;
  if (!tavelo::platform::simulated::RenderTestPattern(layout, kFrameTime, {}, frame))
    throw std::runtime_error("the test card did not render");
  return frame;
}

std::vector<std::uint8_t> NoisyJpegFrame() {
  std::vector<std::uint8_t> rgb = Render(Layout(PixelFormat::RGB24, 3));
  std::mt19937 random(1080);  // fixed seed: every run decodes the same frame
  std::uniform_int_distribution<int> noise(-6, 6);
  for (std::uint8_t& byte : rgb) byte = static_cast<std::uint8_t>(std::clamp(byte + noise(random), 0, 255));
  std::vector<std::uint8_t> jpeg;
  if (!tavelo::platform::EncodeJpegRgb(rgb.data(), kWidth, kHeight, kJpegQuality, jpeg))
    throw std::runtime_error("the frame did not compress");
  return jpeg;
}

void CountFrames(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBitmapBytes));
}

void BM_Baseline_MemcpyBitmap1080p(benchmark::State& state) {
  const std::vector<std::uint8_t> source(kBitmapBytes, 0x5A);
  std::vector<std::uint8_t> bitmap(kBitmapBytes);
  for (auto _ : state) {
    std::memcpy(bitmap.data(), source.data(), kBitmapBytes);
    benchmark::ClobberMemory();
  }
  CountFrames(state);
}
BENCHMARK(BM_Baseline_MemcpyBitmap1080p);

void BM_Yuy2ToBgra1080p(benchmark::State& state) {
  const FrameLayout layout = Layout(PixelFormat::YUY2, 2);
  const std::vector<std::uint8_t> frame = Render(layout);
  std::vector<std::uint8_t> bitmap(kBitmapBytes);
  for (auto _ : state) {
    if (!tavelo::platform::ConvertToBottomUpBgra(layout, frame.data(), frame.size(), bitmap.data())) {
      state.SkipWithError("YUY2 conversion refused the frame");
      break;
    }
    benchmark::ClobberMemory();
  }
  CountFrames(state);
}
BENCHMARK(BM_Yuy2ToBgra1080p);

void BM_Baseline_JpegDecode1080p(benchmark::State& state) {
  const std::vector<std::uint8_t> jpeg = NoisyJpegFrame();
  std::vector<std::uint8_t> bgra;
  int width = 0;
  int height = 0;
  for (auto _ : state) {
    if (!tavelo::platform::DecodeJpegToBgra(jpeg.data(), jpeg.size(), width, height, bgra)) {
      state.SkipWithError("the JPEG frame did not decode");
      break;
    }
    benchmark::ClobberMemory();
  }
  CountFrames(state);
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_Baseline_JpegDecode1080p);

void BM_MjpgToBgra1080p(benchmark::State& state) {
  const FrameLayout layout = Layout(PixelFormat::MJPG, 0);
  const std::vector<std::uint8_t> jpeg = NoisyJpegFrame();
  std::vector<std::uint8_t> bitmap(kBitmapBytes);
  for (auto _ : state) {
    if (!tavelo::platform::ConvertToBottomUpBgra(layout, jpeg.data(), jpeg.size(), bitmap.data())) {
      state.SkipWithError("motion-JPEG conversion refused the frame");
      break;
    }
    benchmark::ClobberMemory();
  }
  CountFrames(state);
}
BENCHMARK(BM_MjpgToBgra1080p);

}  // namespace
