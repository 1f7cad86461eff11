// The YUY2 converter: the tables, their fixed-point form, and every code path of the fast converter
// against the plain pixel-by-pixel reference.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "camera/platform/common/Yuy2Conversion.h"

namespace tavelo::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string NameOf(Yuy2Path path) {
  switch (path) {
    case Yuy2Path::Scalar: return "scalar";
    case Yuy2Path::Sse2: return "SSE2";
    case Yuy2Path::Avx2: return "AVX2";
  }
  return "?";
}

// Each table beside its coefficient as an exact fraction, so the expected entry comes from integer
// division (which truncates toward zero) rather than from the floating point the tables are built with.
struct TableCase {
  const char* name;
  const std::array<std::int16_t, 256>& table;
  Yuy2FixedPoint fixedPoint;
  long long millionths;
  int first, last;
};

std::vector<TableCase> TableCases() {
  const Yuy2ChromaTables& t = Yuy2Tables();
  const Yuy2FixedPointCoefficients& f = Yuy2FixedPointForm();
  return {{"RV", t.redFromV, f.redFromV, 1370705, -175, 174},
          {"GV", t.greenFromV, f.greenFromV, -698001, 89, -88},
          {"GU", t.greenFromU, f.greenFromU, -337633, 43, -42},
          {"BU", t.blueFromU, f.blueFromU, 1732446, -221, 220}};
}

TEST(Yuy2ConversionTest, EveryTableEntryIsTheTruncatedProductAndItsFixedPointFormAgrees) {
  for (const TableCase& c : TableCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.table[0], c.first);
    EXPECT_EQ(c.table[128], 0);
    EXPECT_EQ(c.table[255], c.last);
    for (int x = 0; x < 256; ++x) {
      const long long exact = c.millionths * (x - 128) / 1000000;
      EXPECT_EQ(c.table[x], exact) << "entry " << x;
      EXPECT_EQ(Yuy2FixedPointEntry(c.fixedPoint, x), exact) << "fixed-point entry " << x;
    }
  }
}

// A frame of `width` x `height` filled with one group, converted by `convert`.
template <typename Convert>
Bytes ConvertUniform(Convert convert, int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  Bytes source;
  for (int i = 0; i < width * height / 2; ++i) source.insert(source.end(), {y, u, y, v});
  Bytes out(static_cast<std::size_t>(width) * height * 4);
  EXPECT_EQ(convert(source.data(), source.size(), width, height, out.data()), height);
  return out;
}

TEST(Yuy2ConversionTest, KnownPixelsOnEveryPath) {
  struct Case {
    std::uint8_t y, u, v;
    std::uint8_t b, g, r;
  };
  const Case cases[] = {
      {128, 128, 128, 0x80, 0x80, 0x80},  // no chroma: grey, the word 0xFF808080
      {255, 128, 255, 255, 167, 255},     // R clamped at the top (255 + 174), G 255 - 88
      {0, 0, 128, 0, 43, 0},              // B clamped at the bottom (0 - 221)
      {0, 0, 0, 0, 132, 0},               // G = 89 + 43 from both chroma tables
      {100, 255, 0, 255, 147, 0},         // B and R clamped at opposite ends
      {17, 200, 60, 141, 40, 0},          // 17+124, 17+47-24, 17-93
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Y " << int{c.y} << " U " << int{c.u} << " V " << int{c.v});
    std::vector<Bytes> outputs;
    outputs.push_back(ConvertUniform(ConvertYuy2ToBgraReference, 34, 3, c.y, c.u, c.v));
    outputs.push_back(ConvertUniform(ConvertYuy2ToBgra, 34, 3, c.y, c.u, c.v));
    for (Yuy2Path path : AvailableYuy2Paths()) {
      outputs.push_back(ConvertUniform(
          [path](const std::uint8_t* s, std::size_t n, int w, int h, std::uint8_t* o) {
            return ConvertYuy2ToBgraWith(path, s, n, w, h, o);
          },
          34, 3, c.y, c.u, c.v));
    }
    for (const Bytes& out : outputs) {
      for (std::size_t i = 0; i < out.size(); i += 4) {
        ASSERT_EQ(out[i], c.b) << "pixel " << i / 4;
        ASSERT_EQ(out[i + 1], c.g) << "pixel " << i / 4;
        ASSERT_EQ(out[i + 2], c.r) << "pixel " << i / 4;
        ASSERT_EQ(out[i + 3], 0xFF) << "pixel " << i / 4;
      }
    }
  }
}

// Width 3: the middle group spans the row end, so the last pixel of the first row takes its V from the
// second row; and the first source row is the last output row.
TEST(Yuy2ConversionTest, RowsAreFlippedAndGroupsRunOnAcrossAnOddRowEnd) {
  const Bytes source{10, 128, 20, 128, /**/ 30, 128, 40, 255, /**/ 50, 128, 60, 128};
  const Bytes expected{
      40, 0, 214, 255, 50, 50, 50, 255, 60, 60, 60, 255,   // source row 1: 40 shares V 255 with 30
      10, 10, 10, 255, 20, 20, 20, 255, 30, 0, 204, 255};  // source row 0
  Bytes reference(expected.size());
  EXPECT_EQ(ConvertYuy2ToBgraReference(source.data(), source.size(), 3, 2, reference.data()), 2);
  EXPECT_EQ(reference, expected);
  for (Yuy2Path path : AvailableYuy2Paths()) {
    SCOPED_TRACE(NameOf(path));
    Bytes out(expected.size());
    EXPECT_EQ(ConvertYuy2ToBgraWith(path, source.data(), source.size(), 3, 2, out.data()), 2);
    EXPECT_EQ(out, expected);
  }
}

// Random frames of widths around and between the vector blocks (4 and 8 groups), odd ones included,
// each converted by every path into an output prefilled with a marker (alpha is never 0x5A, so a pixel
// left unwritten shows).
TEST(Yuy2ConversionTest, RandomFramesMatchTheReferenceByteForByteOnEveryPath) {
  struct Size {
    int width, height;
  };
  const Size sizes[] = {{2, 3},  {6, 5},  {8, 2},  {14, 3}, {16, 4}, {34, 7},
                        {3, 5},  {37, 4}, {45, 3}, {640, 2}, {1920, 1080}};
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> byte(0, 255);
  for (const Size& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
    // An exact-size buffer, so a sanitizer build catches any read past it.
    Bytes source(static_cast<std::size_t>(size.width) * size.height * 2);
    for (std::uint8_t& b : source) b = static_cast<std::uint8_t>(byte(random));
    // An odd pixel count leaves the last pixel without its V, and so the last row unconverted.
    const int rows = size.width * size.height % 2 != 0 ? size.height - 1 : size.height;
    const std::size_t outBytes = static_cast<std::size_t>(size.width) * size.height * 4;
    Bytes reference(outBytes, 0x5A);
    EXPECT_EQ(ConvertYuy2ToBgraReference(source.data(), source.size(), size.width, size.height, reference.data()),
              rows);
    for (Yuy2Path path : AvailableYuy2Paths()) {
      SCOPED_TRACE(NameOf(path));
      Bytes out(outBytes, 0x5A);
      EXPECT_EQ(ConvertYuy2ToBgraWith(path, source.data(), source.size(), size.width, size.height, out.data()),
                rows);
      ASSERT_EQ(out, reference);
    }
    Bytes out(outBytes, 0x5A);
    ConvertYuy2ToBgra(source.data(), source.size(), size.width, size.height, out.data());
    ASSERT_EQ(out, reference);
  }
}

// Every (Y, U, V) there is: one frame per U, a row per V, and the 256 Y values along each row.
TEST(Yuy2ConversionTest, EveryInputTripleMatchesTheReferenceOnEveryPath) {
  constexpr int kWidth = 256;
  constexpr int kHeight = 256;
  Bytes source(kWidth * kHeight * 2);
  Bytes reference(kWidth * kHeight * 4);
  Bytes out(reference.size());
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < kHeight; ++v) {
      for (int y = 0; y < kWidth; y += 2) {
        std::uint8_t* group = &source[(static_cast<std::size_t>(v) * kWidth + y) * 2];
        group[0] = static_cast<std::uint8_t>(y);
        group[1] = static_cast<std::uint8_t>(u);
        group[2] = static_cast<std::uint8_t>(y + 1);
        group[3] = static_cast<std::uint8_t>(v);
      }
    }
    ConvertYuy2ToBgraReference(source.data(), source.size(), kWidth, kHeight, reference.data());
    for (Yuy2Path path : AvailableYuy2Paths()) {
      ConvertYuy2ToBgraWith(path, source.data(), source.size(), kWidth, kHeight, out.data());
      ASSERT_EQ(out, reference) << NameOf(path) << ", U " << u;
    }
  }
}

// A frame shorter than its size says is converted row by row as far as whole groups reach; the rest of
// the output stays as it was.
TEST(Yuy2ConversionTest, ShortFramesConvertOnlyTheirWholeRows) {
  struct Case {
    int width, height;
    std::size_t bytes;
    int rows;
  };
  const Case cases[] = {
      {4, 3, 24, 3},    // exact
      {4, 3, 23, 2},    // the last group is one byte short
      {4, 3, 8, 1},     //
      {4, 3, 7, 0},     //
      {3, 2, 12, 2},    // odd width, exact
      {3, 2, 11, 1},    // the first row's last pixel has its group (bytes 4..7)
      {3, 2, 7, 0},     // ... and here it does not
      {3, 1, 6, 0},     // an odd pixel count: the last pixel's V lies past the frame
      {34, 4, 200, 2},  // 50 groups reach 100 pixels, two rows of 34 (the vector paths' overlap too)
      {0, 4, 64, 0},    // no width
      {4, -1, 64, 0},   // negative height
  };
  std::mt19937 random(7);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " in " << c.bytes << " bytes");
    Bytes source(c.bytes);
    for (std::uint8_t& b : source) b = static_cast<std::uint8_t>(random());
    const std::size_t outBytes = c.width > 0 && c.height > 0 ? static_cast<std::size_t>(c.width) * c.height * 4 : 4;
    Bytes reference(outBytes, 0x5A);
    EXPECT_EQ(ConvertYuy2ToBgraReference(source.data(), source.size(), c.width, c.height, reference.data()), c.rows);
    // The output rows of the missing source rows, at the top of the bitmap, keep their bytes.
    const std::size_t untouched =
        c.rows > 0 ? static_cast<std::size_t>(c.height - c.rows) * c.width * 4 : reference.size();
    EXPECT_EQ(Bytes(reference.begin(), reference.begin() + untouched), Bytes(untouched, 0x5A));
    if (c.rows > 0) {
      EXPECT_NE(Bytes(reference.begin() + untouched, reference.end()), Bytes(reference.size() - untouched, 0x5A));
    }
    for (Yuy2Path path : AvailableYuy2Paths()) {
      SCOPED_TRACE(NameOf(path));
      Bytes out(outBytes, 0x5A);
      EXPECT_EQ(ConvertYuy2ToBgraWith(path, source.data(), source.size(), c.width, c.height, out.data()), c.rows);
      EXPECT_EQ(out, reference);
    }
  }
  Bytes out(16, 0x5A);
  EXPECT_EQ(ConvertYuy2ToBgra(nullptr, 64, 2, 2, out.data()), 0);
  EXPECT_EQ(out, Bytes(16, 0x5A));
}

}  // namespace
}  // namespace tavelo::platform
