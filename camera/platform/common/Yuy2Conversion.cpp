#include "camera/platform/common/Yuy2Conversion.h"

#include <algorithm>

#include "camera/platform/common/Yuy2VectorKernels.h"

namespace tavelo::platform {
namespace {

constexpr double kRedFromV = 1.370705;
constexpr double kGreenFromV = -0.698001;
constexpr double kGreenFromU = -0.337633;
constexpr double kBlueFromU = 1.732446;

std::array<std::int16_t, 256> TableOf(double coefficient) {
  std::array<std::int16_t, 256> table{};
  // The conversion to an integer type rounds toward zero, which is the table's definition.
  for (int x = 0; x < 256; ++x) table[x] = static_cast<std::int16_t>(coefficient * (x - 128));
  return table;
}

constexpr Yuy2FixedPoint FixedPointOf(double coefficient) {
  const double magnitude = coefficient < 0 ? -coefficient : coefficient;
  const int whole = static_cast<int>(magnitude);
  const double scaled = (magnitude - whole) * 32768.0;
  int fraction = static_cast<int>(scaled);
  if (fraction < scaled) ++fraction;
  return {whole, static_cast<std::uint16_t>(fraction), coefficient < 0};
}

constexpr Yuy2FixedPointCoefficients kFixedPoint{FixedPointOf(kRedFromV), FixedPointOf(kGreenFromV),
                                                 FixedPointOf(kGreenFromU), FixedPointOf(kBlueFromU)};
// The vector kernels are written for this shape: B and R add one whole d, G subtracts two fractions.
static_assert(kFixedPoint.redFromV.whole == 1 && !kFixedPoint.redFromV.negative);
static_assert(kFixedPoint.blueFromU.whole == 1 && !kFixedPoint.blueFromU.negative);
static_assert(kFixedPoint.greenFromV.whole == 0 && kFixedPoint.greenFromV.negative);
static_assert(kFixedPoint.greenFromU.whole == 0 && kFixedPoint.greenFromU.negative);

std::uint8_t Clamp(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

void WritePixel(int y, int u, int v, std::uint8_t* out) {
  const Yuy2ChromaTables& t = Yuy2Tables();
  out[0] = Clamp(y + t.blueFromU[u]);
  out[1] = Clamp(y + t.greenFromV[v] + t.greenFromU[u]);
  out[2] = Clamp(y + t.redFromV[v]);
  out[3] = 0xFF;
}

// Rows are only converted whole, and a row is whole when the group of its last pixel is: with G whole
// groups in the buffer, the first 2 * G pixels of the stream are readable.
int WholeRows(const std::uint8_t* source, std::size_t sourceBytes, int width, int height) {
  if (source == nullptr || width <= 0 || height <= 0) return 0;
  const std::size_t readablePixels = sourceBytes / 4 * 2;
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(height), readablePixels / width));
}

void ConvertGroupsScalar(const std::uint8_t* groups, std::size_t count, std::uint8_t* out) {
  const Yuy2ChromaTables& t = Yuy2Tables();
  for (std::size_t i = 0; i < count; ++i, groups += 4, out += 8) {
    const int u = groups[1];
    const int v = groups[3];
    const int red = t.redFromV[v];
    const int green = t.greenFromV[v] + t.greenFromU[u];
    const int blue = t.blueFromU[u];
    for (int half = 0; half < 2; ++half) {
      const int y = groups[half * 2];
      std::uint8_t* pixel = out + half * 4;
      pixel[0] = Clamp(y + blue);
      pixel[1] = Clamp(y + green);
      pixel[2] = Clamp(y + red);
      pixel[3] = 0xFF;
    }
  }
}

// A vector path converts whole blocks; the groups left over at the end of a row are redone as the last
// full block of the row, overlapping groups already written with the same pixels, or by the next
// narrower path when the row is shorter than one block.
void ConvertGroups(Yuy2Path path, const std::uint8_t* groups, std::size_t count, std::uint8_t* out) {
#ifdef TAVELO_YUY2_X86
  using Kernel = std::size_t (*)(const Yuy2FixedPointCoefficients&, const std::uint8_t*, std::size_t,
                                 std::uint8_t*);
  if (path == Yuy2Path::Avx2 || path == Yuy2Path::Sse2) {
    const bool wide = path == Yuy2Path::Avx2;
    const Kernel kernel = wide ? yuy2::ConvertGroupsAvx2 : yuy2::ConvertGroupsSse2;
    const std::size_t block = wide ? yuy2::kAvx2Groups : yuy2::kSse2Groups;
    const std::size_t done = kernel(kFixedPoint, groups, count, out);
    if (done == count) return;
    if (count >= block) {
      kernel(kFixedPoint, groups + (count - block) * 4, block, out + (count - block) * 8);
    } else {
      ConvertGroups(wide ? Yuy2Path::Sse2 : Yuy2Path::Scalar, groups + done * 4, count - done, out + done * 8);
    }
    return;
  }
#endif
  (void)path;
  ConvertGroupsScalar(groups, count, out);
}

Yuy2Path Usable(Yuy2Path path) {
#ifdef TAVELO_YUY2_X86
  if (path == Yuy2Path::Avx2 && !yuy2::ProcessorHasAvx2()) return Yuy2Path::Sse2;
  return path;
#else
  (void)path;
  return Yuy2Path::Scalar;
#endif
}

}  // namespace

const Yuy2ChromaTables& Yuy2Tables() {
  static const Yuy2ChromaTables tables{TableOf(kRedFromV), TableOf(kGreenFromV), TableOf(kGreenFromU),
                                       TableOf(kBlueFromU)};
  return tables;
}

const Yuy2FixedPointCoefficients& Yuy2FixedPointForm() { return kFixedPoint; }

int Yuy2FixedPointEntry(const Yuy2FixedPoint& coefficient, int index) {
  const int delta = index - 128;
  const int product = coefficient.whole * delta + ((coefficient.fraction * delta) >> 15) + (delta < 0 ? 1 : 0);
  return coefficient.negative ? -product : product;
}

int ConvertYuy2ToBgraReference(const std::uint8_t* source, std::size_t sourceBytes, int width, int height,
                               std::uint8_t* out) {
  const int rows = WholeRows(source, sourceBytes, width, height);
  for (int row = 0; row < rows; ++row) {
    std::uint8_t* target = out + (static_cast<std::size_t>(height - 1 - row) * width) * 4;
    for (int column = 0; column < width; ++column) {
      const std::size_t pixel = static_cast<std::size_t>(row) * width + column;
      const std::uint8_t* group = source + pixel / 2 * 4;
      WritePixel(group[(pixel % 2) * 2], group[1], group[3], target + column * 4);
    }
  }
  return rows;
}

std::vector<Yuy2Path> AvailableYuy2Paths() {
  std::vector<Yuy2Path> paths{Yuy2Path::Scalar};
#ifdef TAVELO_YUY2_X86
  paths.push_back(Yuy2Path::Sse2);
  if (yuy2::ProcessorHasAvx2()) paths.push_back(Yuy2Path::Avx2);
#endif
  return paths;
}

int ConvertYuy2ToBgraWith(Yuy2Path path, const std::uint8_t* source, std::size_t sourceBytes, int width,
                          int height, std::uint8_t* out) {
  path = Usable(path);
  const int rows = WholeRows(source, sourceBytes, width, height);
  const std::size_t w = static_cast<std::size_t>(width);
  for (int row = 0; row < rows; ++row) {
    // With an odd width every other row starts on the second pixel of a group and ends on the first.
    std::size_t pixel = static_cast<std::size_t>(row) * w;
    const std::size_t end = pixel + w;
    std::uint8_t* target = out + static_cast<std::size_t>(height - 1 - row) * w * 4;
    if (pixel % 2 != 0) {
      const std::uint8_t* group = source + pixel / 2 * 4;
      WritePixel(group[2], group[1], group[3], target);
      ++pixel;
      target += 4;
    }
    const std::size_t groups = (end - pixel) / 2;
    ConvertGroups(path, source + pixel / 2 * 4, groups, target);
    pixel += groups * 2;
    target += groups * 8;
    if (pixel < end) {
      const std::uint8_t* group = source + pixel / 2 * 4;
      WritePixel(group[0], group[1], group[3], target);
    }
  }
  return rows;
}

int ConvertYuy2ToBgra(const std::uint8_t* source, std::size_t sourceBytes, int width, int height,
                      std::uint8_t* out) {
#ifdef TAVELO_YUY2_X86
  static const Yuy2Path best = yuy2::ProcessorHasAvx2() ? Yuy2Path::Avx2 : Yuy2Path::Sse2;
#else
  constexpr Yuy2Path best = Yuy2Path::Scalar;
#endif
  return ConvertYuy2ToBgraWith(best, source, sourceBytes, width, height, out);
}

}  // namespace tavelo::platform
