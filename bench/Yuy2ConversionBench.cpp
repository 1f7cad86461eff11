// YUY2 -> bottom-up 32-bit pixels for a 1080p frame: the converter's default path and each of its
// paths, the plain table reference, and libyuv's YUY2ToARGB as the speed to meet (its coefficients
// differ, so only its time is compared, never its pixels). libyuv writes bottom-up too here (a negative
// height), so both do the same row work.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "camera/platform/common/Yuy2Conversion.h"

#ifdef TAVELO_HAVE_LIBYUV
#include <libyuv/convert_argb.h>
#endif

namespace {

using tavelo::platform::Yuy2Path;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr std::size_t kBitmapBytes = std::size_t{kWidth} * kHeight * 4;

std::vector<std::uint8_t> RandomFrame() {
  std::vector<std::uint8_t> frame(std::size_t{kWidth} * kHeight * 2);
  std::mt19937 random(1080);  // fixed seed: every run converts the same frame
  for (std::uint8_t& byte : frame) byte = static_cast<std::uint8_t>(random());
  return frame;
}

template <typename Convert>
void RunFrames(benchmark::State& state, Convert convert) {
  const std::vector<std::uint8_t> frame = RandomFrame();
  std::vector<std::uint8_t> bitmap(kBitmapBytes);
  for (auto _ : state) {
    if (!convert(frame, bitmap)) {
      state.SkipWithError("the frame was refused");
      break;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBitmapBytes));
}

using Frame = const std::vector<std::uint8_t>&;
using Bitmap = std::vector<std::uint8_t>&;

#ifdef TAVELO_HAVE_LIBYUV
void BM_Baseline_LibyuvYuy2ToArgb1080p(benchmark::State& state) {
  RunFrames(state, [](Frame frame, Bitmap bitmap) {
    return libyuv::YUY2ToARGB(frame.data(), kWidth * 2, bitmap.data(), kWidth * 4, kWidth, -kHeight) == 0;
  });
}
BENCHMARK(BM_Baseline_LibyuvYuy2ToArgb1080p);
#endif

void BM_Yuy2Exact1080p(benchmark::State& state) {
  RunFrames(state, [](Frame frame, Bitmap bitmap) {
    return tavelo::platform::ConvertYuy2ToBgra(frame.data(), frame.size(), kWidth, kHeight, bitmap.data()) == kHeight;
  });
}
BENCHMARK(BM_Yuy2Exact1080p);

void BM_Yuy2Exact1080pPath(benchmark::State& state, Yuy2Path path) {
  const std::vector<Yuy2Path> available = tavelo::platform::AvailableYuy2Paths();
  if (std::find(available.begin(), available.end(), path) == available.end()) {
    state.SkipWithError("this processor lacks the path");
    return;
  }
  RunFrames(state, [path](Frame frame, Bitmap bitmap) {
    return tavelo::platform::ConvertYuy2ToBgraWith(path, frame.data(), frame.size(), kWidth, kHeight,
                                                   bitmap.data()) == kHeight;
  });
}
BENCHMARK_CAPTURE(BM_Yuy2Exact1080pPath, scalar, Yuy2Path::Scalar);
BENCHMARK_CAPTURE(BM_Yuy2Exact1080pPath, sse2, Yuy2Path::Sse2);
BENCHMARK_CAPTURE(BM_Yuy2Exact1080pPath, avx2, Yuy2Path::Avx2);

void BM_Yuy2Exact1080pReference(benchmark::State& state) {
  RunFrames(state, [](Frame frame, Bitmap bitmap) {
    return tavelo::platform::ConvertYuy2ToBgraReference(frame.data(), frame.size(), kWidth, kHeight,
                                                        bitmap.data()) == kHeight;
  });
}
BENCHMARK(BM_Yuy2Exact1080pReference);

}  // namespace
