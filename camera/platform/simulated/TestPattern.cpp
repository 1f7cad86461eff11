#include "camera/platform/simulated/TestPattern.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "camera/platform/common/JpegCodec.h"

namespace tavelo::platform::simulated {
namespace {

// Card coordinates are fixed-point fractions of the card: 0 is the left (top) edge, kOne the right
// (bottom) edge. The lens maps every output column and row to one card coordinate.
constexpr int kFractionBits = 16;
constexpr std::int64_t kOne = std::int64_t{1} << kFractionBits;

constexpr std::int64_t kBarsEnd = kOne * 55 / 100;
constexpr std::int64_t kRampEnd = kOne * 70 / 100;
constexpr std::int64_t kSquareTop = kOne * 20 / 100;
constexpr std::int64_t kSquareBottom = kOne * 35 / 100;
constexpr std::int64_t kSquareWidth = kOne * 8 / 100;
constexpr int kCheckerColumns = 16;
constexpr int kCheckerRows = 4;
constexpr int kJpegQuality = 80;

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

// 75 % bars leave head-room, so raising brightness or gain shows instead of clipping at once.
constexpr std::array<Rgb, 8> kBars{Rgb{192, 192, 192}, Rgb{192, 192, 0}, Rgb{0, 192, 192}, Rgb{0, 192, 0},
                                   Rgb{192, 0, 192},   Rgb{192, 0, 0},   Rgb{0, 0, 192},   Rgb{0, 0, 0}};
constexpr Rgb kBorder{40, 40, 40};
constexpr Rgb kSquare{255, 255, 255};
constexpr Rgb kCheckerDark{16, 16, 16};
constexpr Rgb kCheckerLight{235, 235, 235};

// Every row of the card is one of these; rows of one kind are identical.
enum RowKind { kBorderRow, kBarsRow, kSquareRow, kRampRow, kCheckerEvenRow, kCheckerOddRow, kRowKinds };

int Clamp255(int value) { return std::clamp(value, 0, 255); }

// The camera's image pipeline, prepared once per frame: per-channel gains, a hue/saturation matrix in
// 1/1024 units, then one table for contrast, brightness and gamma.
class ColourPipeline {
 public:
  explicit ColourPipeline(const PictureAdjustments& a) {
    gains_ = {std::max(a.redGainPercent, 0), std::max(a.greenGainPercent, 0), std::max(a.blueGainPercent, 0)};

    // Rotate and scale the colour difference signals (B-Y, R-Y) around the luma axis.
    constexpr double kr = 0.299;
    constexpr double kg = 0.587;
    constexpr double kb = 0.114;
    const double angle = a.hueDegrees * std::numbers::pi / 180.0;
    const double saturation = std::max(a.saturationPercent, 0) / 100.0;
    const double c = std::cos(angle) * saturation;
    const double s = std::sin(angle) * saturation;
    for (int column = 0; column < 3; ++column) {
      const double in[3] = {column == 0 ? 1.0 : 0.0, column == 1 ? 1.0 : 0.0, column == 2 ? 1.0 : 0.0};
      const double y = kr * in[0] + kg * in[1] + kb * in[2];
      const double u = in[2] - y;
      const double v = in[0] - y;
      const double u2 = u * c - v * s;
      const double v2 = u * s + v * c;
      const double out[3] = {y + v2, y - (kr * v2 + kb * u2) / kg, y + u2};
      for (int row = 0; row < 3; ++row) matrix_[row][column] = static_cast<int>(std::lround(out[row] * 1024.0));
    }

    const double exponent = 100.0 / std::max(a.gammaPercent, 1);
    for (int i = 0; i < 256; ++i) {
      const int contrasted = (i - 128) * std::max(a.contrastPercent, 0) / 100 + 128 + a.brightness;
      const double level = Clamp255(contrasted) / 255.0;
      tone_[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(level, exponent)));
    }
  }

  Rgb Apply(Rgb in) const {
    const int r = in.r * gains_[0] / 100;
    const int g = in.g * gains_[1] / 100;
    const int b = in.b * gains_[2] / 100;
    const auto mix = [&](int row) {
      return Clamp255((matrix_[row][0] * r + matrix_[row][1] * g + matrix_[row][2] * b + 512) >> 10);
    };
    return {tone_[mix(0)], tone_[mix(1)], tone_[mix(2)]};
  }

 private:
  std::array<int, 3> gains_{};
  int matrix_[3][3]{};
  std::array<std::uint8_t, 256> tone_{};
};

// Where each output column and row looks on the card.
std::vector<std::int64_t> LensCoordinates(int pixels, int zoomPercent, int centrePermille) {
  const double zoom = std::clamp(zoomPercent, 10, 10000) / 100.0;
  const double centre = 0.5 + centrePermille / 1000.0;
  std::vector<std::int64_t> coordinates(static_cast<std::size_t>(pixels));
  for (int i = 0; i < pixels; ++i) {
    const double offset = ((i + 0.5) / pixels - 0.5) / zoom;
    coordinates[static_cast<std::size_t>(i)] = static_cast<std::int64_t>(std::floor((centre + offset) * kOne));
  }
  return coordinates;
}

RowKind KindOfRow(std::int64_t v) {
  if (v < 0 || v >= kOne) return kBorderRow;
  if (v < kBarsEnd) return (v >= kSquareTop && v < kSquareBottom) ? kSquareRow : kBarsRow;
  if (v < kRampEnd) return kRampRow;
  const std::int64_t checkerRow = (v - kRampEnd) * kCheckerRows / (kOne - kRampEnd);
  return (checkerRow % 2 == 0) ? kCheckerEvenRow : kCheckerOddRow;
}

// Left edge of the moving square: it sweeps across the bars and back once per period.
std::int64_t SquareLeft(double seconds) {
  double phase = std::fmod(seconds / kTestPatternPeriodSeconds, 1.0);
  if (phase < 0) phase += 1.0;
  const double triangle = phase < 0.5 ? phase * 2.0 : 2.0 - phase * 2.0;
  return static_cast<std::int64_t>((0.05 + 0.82 * triangle) * kOne);
}

Rgb CardColour(RowKind kind, std::int64_t u, std::int64_t squareLeft) {
  if (kind == kBorderRow || u < 0 || u >= kOne) return kBorder;
  switch (kind) {
    case kBarsRow:
    case kSquareRow:
      if (kind == kSquareRow && u >= squareLeft && u < squareLeft + kSquareWidth) return kSquare;
      return kBars[static_cast<std::size_t>(u * 8 / kOne)];
    case kRampRow: {
      const int grey = static_cast<int>(u * 256 / kOne);
      return {grey, grey, grey};
    }
    case kCheckerEvenRow:
    case kCheckerOddRow: {
      const int column = static_cast<int>(u * kCheckerColumns / kOne);
      const bool light = ((column + (kind == kCheckerOddRow ? 1 : 0)) % 2) == 0;
      return light ? kCheckerLight : kCheckerDark;
    }
    default: return kBorder;
  }
}

// Full-range BT.601, the encoding JPEG uses too, in 1/256 units.
int LumaOf(Rgb c) { return (77 * c.r + 150 * c.g + 29 * c.b + 128) >> 8; }
int CbOf(Rgb c) { return Clamp255(((-43 * c.r - 85 * c.g + 128 * c.b + 128) >> 8) + 128); }
int CrOf(Rgb c) { return Clamp255(((128 * c.r - 107 * c.g - 21 * c.b + 128) >> 8) + 128); }

// Writes one processed row in the layout's pixel format (MJPG rows are packed RGB, ready for the encoder).
void EncodeRow(PixelFormat format, const std::vector<Rgb>& pixels, std::uint8_t* row) {
  switch (format) {
    case PixelFormat::YUY2:
      for (std::size_t x = 0; x + 1 < pixels.size(); x += 2) {
        const Rgb& left = pixels[x];
        const Rgb& right = pixels[x + 1];
        row[2 * x + 0] = static_cast<std::uint8_t>(LumaOf(left));
        row[2 * x + 1] = static_cast<std::uint8_t>((CbOf(left) + CbOf(right) + 1) / 2);
        row[2 * x + 2] = static_cast<std::uint8_t>(LumaOf(right));
        row[2 * x + 3] = static_cast<std::uint8_t>((CrOf(left) + CrOf(right) + 1) / 2);
      }
      break;
    case PixelFormat::RGB24:
      for (std::size_t x = 0; x < pixels.size(); ++x) {
        row[3 * x + 0] = static_cast<std::uint8_t>(pixels[x].b);
        row[3 * x + 1] = static_cast<std::uint8_t>(pixels[x].g);
        row[3 * x + 2] = static_cast<std::uint8_t>(pixels[x].r);
      }
      break;
    case PixelFormat::RGB32:
      for (std::size_t x = 0; x < pixels.size(); ++x) {
        row[4 * x + 0] = static_cast<std::uint8_t>(pixels[x].b);
        row[4 * x + 1] = static_cast<std::uint8_t>(pixels[x].g);
        row[4 * x + 2] = static_cast<std::uint8_t>(pixels[x].r);
        row[4 * x + 3] = 0xFF;
      }
      break;
    case PixelFormat::MJPG:
      for (std::size_t x = 0; x < pixels.size(); ++x) {
        row[3 * x + 0] = static_cast<std::uint8_t>(pixels[x].r);
        row[3 * x + 1] = static_cast<std::uint8_t>(pixels[x].g);
        row[3 * x + 2] = static_cast<std::uint8_t>(pixels[x].b);
      }
      break;
  }
}

}  // namespace

bool RenderTestPattern(const FrameLayout& layout, double seconds, const PictureAdjustments& adjustments,
                       std::vector<std::uint8_t>& out) {
  if (layout.width <= 0 || layout.height <= 0) return false;
  if (layout.format == PixelFormat::YUY2 && layout.width % 2 != 0) return false;
  const bool jpeg = layout.format == PixelFormat::MJPG;
  const std::size_t width = static_cast<std::size_t>(layout.width);
  const std::size_t height = static_cast<std::size_t>(layout.height);
  const std::size_t stride = jpeg ? width * 3 : layout.stride;
  if (stride == 0) return false;

  const ColourPipeline pipeline(adjustments);
  const std::vector<std::int64_t> columns = LensCoordinates(layout.width, adjustments.zoomPercent, adjustments.panPermille);
  const std::vector<std::int64_t> rows = LensCoordinates(layout.height, adjustments.zoomPercent, -adjustments.tiltPermille);
  const std::int64_t squareLeft = SquareLeft(seconds);

  // Each kind of row is processed at most once; the frame is assembled from copies.
  std::array<std::vector<std::uint8_t>, kRowKinds> encodedRows;
  std::vector<Rgb> pixels(width);
  std::vector<std::uint8_t> image(stride * height, 0);
  for (std::size_t y = 0; y < height; ++y) {
    const RowKind kind = KindOfRow(rows[y]);
    std::vector<std::uint8_t>& encoded = encodedRows[kind];
    if (encoded.empty()) {
      for (std::size_t x = 0; x < width; ++x) pixels[x] = pipeline.Apply(CardColour(kind, columns[x], squareLeft));
      encoded.assign(stride, 0);
      EncodeRow(layout.format, pixels, encoded.data());
    }
    const std::size_t target = layout.bottomUp ? height - 1 - y : y;
    std::memcpy(image.data() + target * stride, encoded.data(), stride);
  }

  if (!jpeg) {
    out = std::move(image);
    return true;
  }
  return EncodeJpegRgb(image.data(), layout.width, layout.height, kJpegQuality, out);
}

}  // namespace tavelo::platform::simulated
