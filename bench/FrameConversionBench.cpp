// Frame conversion of a 1080p frame into the renderer's bottom-up 32-bit bitmap, beside what it cannot
// be cheaper than:
// - YUY2 -> BGRA against a memcpy of the finished bitmap's bytes (the memory traffic alone);
// - motion-JPEG -> the renderer's current image (a fresh block for the caller, the kept decoder writing
//   into it bottom row first, the block freed) against libjpeg-turbo decoding alone into a reused
//   buffer with a kept decompressor, written here straight on the library so the baseline owes nothing
//   to our code.
// The JPEG frame is the simulated camera's test card with sensor-like noise, so the decoder sees the
// detail of a real picture rather than flat bars.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <sys/resource.h>

#include "camera/platform/MediaType.h"
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

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
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
  std::vector<std::uint8_t> bgra(kBitmapBytes);
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  for (auto _ : state) {
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = bgra.data() + std::size_t{info.output_scanline} * kWidth * 4;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    benchmark::ClobberMemory();
  }
  jpeg_destroy_decompress(&info);
  CountFrames(state);
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_Baseline_JpegDecode1080p);

// The renderer's current image: what GetCurrentImage does for each request once a frame is in.
void BM_MjpgRendererImage1080p(benchmark::State& state) {
  const FrameLayout layout = Layout(PixelFormat::MJPG, 0);
  const std::vector<std::uint8_t> jpeg = NoisyJpegFrame();
  const std::size_t blockBytes = sizeof(tavelo::platform::BitmapInfoHeader) + kBitmapBytes;
  tavelo::platform::JpegDecoder decoder;
  const long faultsBefore = MinorFaults();
  for (auto _ : state) {
    auto* block = static_cast<std::uint8_t*>(tavelo::platform::TaskMemAlloc(blockBytes));
    const bool converted = block != nullptr &&
                           tavelo::platform::ConvertToBottomUpBgra(
                               layout, jpeg.data(), jpeg.size(), block + sizeof(tavelo::platform::BitmapInfoHeader),
                               decoder);
    benchmark::ClobberMemory();
    tavelo::platform::TaskMemFree(block);
    if (!converted) {
      state.SkipWithError("motion-JPEG conversion refused the frame");
      break;
    }
  }
  CountFrames(state);
  // A fresh block the allocator has to fault in again each frame would show here as ~2,000 a frame.
  state.counters["page_faults_per_frame"] =
      static_cast<double>(MinorFaults() - faultsBefore) / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_MjpgRendererImage1080p);

// A single picture through the one-off overload: a decompressor set up and torn down per frame.
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
