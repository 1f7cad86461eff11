// The bitmap loader: both row orders and pixel sizes of bitmap files, JPEG, and data that is empty,
// cut short, lying about its sizes or of no known kind. Every input is an exact-size heap block, so a
// read past the data is caught by the address sanitizer.

#include <gtest/gtest.h>

#include <QBuffer>

#include <cstring>
#include <functional>

#include "camera/FBitmap.h"
#include "camera/platform/common/JpegCodec.h"
#include "tests/support/JpegTestFrames.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }
void Put16(Bytes& bytes, std::size_t at, std::uint16_t value) { std::memcpy(bytes.data() + at, &value, 2); }

// A bitmap file whose pixel (x, y) of the picture (y = 0 on top) has B = x, G = y, R = 7.
Bytes BitmapFile(std::int32_t width, std::int32_t height, std::uint16_t bitCount) {
  const bool topDown = height < 0;
  const std::int32_t rows = topDown ? -height : height;
  const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
  Bytes file(54 + stride * rows, 0xEE);  // padding bytes stay 0xEE
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(file.size()));
  Put32(file, 6, 0);
  Put32(file, 10, 54);
  Put32(file, 14, 40);
  Put32(file, 18, static_cast<std::uint32_t>(width));
  Put32(file, 22, static_cast<std::uint32_t>(height));
  Put16(file, 26, 1);
  Put16(file, 28, bitCount);
  for (std::size_t i = 30; i < 54; ++i) file[i] = 0;
  for (std::int32_t y = 0; y < rows; ++y) {
    const std::int32_t stored = topDown ? y : rows - 1 - y;
    std::uint8_t* p = file.data() + 54 + static_cast<std::size_t>(stored) * stride;
    for (std::int32_t x = 0; x < width; ++x, p += bitCount / 8) {
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = 7;
      if (bitCount == 32) p[3] = 0;  // an unused byte: the bitmap still says 255
    }
  }
  return file;
}

TFBitmap Load(const Bytes& bytes) {
  auto heap = std::make_unique<std::uint8_t[]>(bytes.size());  // exactly the data, nothing after it
  std::copy(bytes.begin(), bytes.end(), heap.get());
  return TFBitmap::LoadFromMemory(heap.get(), bytes.size());
}

struct GoodCase {
  const char* name;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t bitCount;
  friend void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.name; }
};

class GoodBitmaps : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodBitmaps, LoadTopRowFirstAsOpaqueBgra) {
  const GoodCase& c = GetParam();
  const TFBitmap bitmap = Load(BitmapFile(c.width, c.height, c.bitCount));
  const std::int32_t rows = std::abs(c.height);
  ASSERT_EQ(bitmap.Width(), c.width);
  ASSERT_EQ(bitmap.Height(), rows);
  ASSERT_EQ(bitmap.BytesPerLine(), c.width * 4);
  ASSERT_EQ(bitmap.SizeInBytes(), static_cast<std::size_t>(c.width) * rows * 4);
  for (std::int32_t y = 0; y < rows; ++y)
    for (std::int32_t x = 0; x < c.width; ++x)
      ASSERT_EQ(bitmap.Pixel(x, y), 0xFF070000u | static_cast<std::uint32_t>(y << 8) | static_cast<std::uint32_t>(x))
          << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Loader, GoodBitmaps,
                         ::testing::Values(GoodCase{"BottomUp32", 4, 3, 32}, GoodCase{"TopDown32", 4, -3, 32},
                                           GoodCase{"BottomUp24WithRowPadding", 3, 5, 24},
                                           GoodCase{"TopDown24WithRowPadding", 5, -2, 24}, GoodCase{"OnePixel", 1, 1, 24}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Loader, ALargerInfoHeaderAndAGapBeforeThePixelsAreSkipped) {
  Bytes file = BitmapFile(2, 2, 32);
  Bytes extended(file.begin(), file.begin() + 54);
  extended.insert(extended.end(), 16, 0xAB);  // 12 more header bytes, then 4 bytes of gap
  extended.insert(extended.end(), file.begin() + 54, file.end());
  Put32(extended, 14, 52);
  Put32(extended, 10, 70);
  const TFBitmap bitmap = Load(extended);
  EXPECT_EQ(bitmap.Pixel(1, 0), 0xFF070001u);
  EXPECT_EQ(bitmap.Pixel(0, 1), 0xFF070100u);
}

TEST(Loader, JpegWithAndWithoutHuffmanTablesAndFromAStream) {
  Bytes rgb(24 * 8 * 3, 0);
  for (std::size_t i = 0; i < rgb.size(); i += 3) rgb[i + 2] = 230;  // blue
  Bytes jpeg;
  ASSERT_TRUE(tavelo::platform::EncodeJpegRgb(rgb.data(), 24, 8, 90, jpeg));
  const Bytes stripped = tavelo::test_support::WithoutHuffmanTables(jpeg);

  for (const Bytes* data : std::initializer_list<const Bytes*>{&jpeg, &stripped}) {
    const TFBitmap bitmap = Load(*data);
    ASSERT_EQ(bitmap.Width(), 24);
    ASSERT_EQ(bitmap.Height(), 8);
    EXPECT_NEAR(static_cast<int>(bitmap.Pixel(12, 4) & 0xFF), 230, 4);
    EXPECT_EQ(bitmap.Pixel(12, 4) >> 24, 0xFFu);
  }

  // A stream is read from its position: what precedes it is no part of the image.
  QByteArray bytes("xyz");
  bytes.append(reinterpret_cast<const char*>(stripped.data()), static_cast<qsizetype>(stripped.size()));
  QBuffer stream(&bytes);
  stream.open(QIODevice::ReadOnly);
  stream.seek(3);
  EXPECT_EQ(TFBitmap::LoadFromStream(stream).Width(), 24);
  EXPECT_TRUE(stream.atEnd());
}

struct BadCase {
  const char* name;
  std::function<Bytes()> data;
  const char* why;
  friend void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
};

Bytes Spoiled(const std::function<void(Bytes&)>& spoil) {
  Bytes file = BitmapFile(4, 3, 24);
  spoil(file);
  return file;
}

class BadData : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadData, RaisesAClearErrorAndReadsNothingPastTheData) {
  const BadCase& c = GetParam();
  try {
    Load(c.data());
    FAIL() << "loaded";
  } catch (const EInvalidGraphic& error) {
    EXPECT_EQ(error.Message().toStdString(), std::string("The camera image could not be loaded: ") + c.why);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Loader, BadData,
    ::testing::Values(
        BadCase{"Empty", [] { return Bytes{}; }, "the stream is empty"},
        BadCase{"UnknownKind", [] { return Bytes{'G', 'I', 'F', '8', '9', 'a'}; },
                "the data is neither a bitmap nor a JPEG image"},
        BadCase{"OnlyTheSignature", [] { return Bytes{'B', 'M'}; }, "the bitmap header is cut short"},
        BadCase{"FileHeaderWithoutInfoSize", [] { return Spoiled([](Bytes& b) { b.resize(17); }); },
                "the bitmap header is cut short"},
        BadCase{"InfoHeaderCutShort", [] { return Spoiled([](Bytes& b) { b.resize(40); }); },
                "the bitmap info header runs past the data"},
        BadCase{"InfoSizePastTheData", [] { return Spoiled([](Bytes& b) { Put32(b, 14, 0xFFFFFFF0u); }); },
                "the bitmap info header runs past the data"},
        BadCase{"InfoSizeTooSmall", [] { return Spoiled([](Bytes& b) { Put32(b, 14, 12); }); },
                "the bitmap info header is too small"},
        BadCase{"ZeroWidth", [] { return Spoiled([](Bytes& b) { Put32(b, 18, 0); }); },
                "the bitmap dimensions are invalid"},
        BadCase{"NegativeWidth", [] { return Spoiled([](Bytes& b) { Put32(b, 18, static_cast<std::uint32_t>(-4)); }); },
                "the bitmap dimensions are invalid"},
        BadCase{"ZeroHeight", [] { return Spoiled([](Bytes& b) { Put32(b, 22, 0); }); },
                "the bitmap dimensions are invalid"},
        BadCase{"MostNegativeHeight", [] { return Spoiled([](Bytes& b) { Put32(b, 22, 0x80000000u); }); },
                "the bitmap dimensions are invalid"},
        BadCase{"HugeWidth", [] { return Spoiled([](Bytes& b) { Put32(b, 18, 0x7FFFFFFFu); }); },
                "the bitmap dimensions are invalid"},
        BadCase{"PixelsOneByteShort", [] { return Spoiled([](Bytes& b) { b.pop_back(); }); },
                "the pixel data is cut short"},
        BadCase{"MoreRowsThanTheData", [] { return Spoiled([](Bytes& b) { Put32(b, 22, 4); }); },
                "the pixel data is cut short"},
        BadCase{"PixelOffsetPastTheData", [] { return Spoiled([](Bytes& b) { Put32(b, 10, 0xFFFFFF00u); }); },
                "the pixel data offset is invalid"},
        BadCase{"PixelOffsetInsideTheHeader", [] { return Spoiled([](Bytes& b) { Put32(b, 10, 20); }); },
                "the pixel data offset is invalid"},
        BadCase{"SixteenBits", [] { return Spoiled([](Bytes& b) { Put16(b, 28, 16); }); },
                "only 24- and 32-bit bitmaps are supported"},
        BadCase{"Compressed", [] { return Spoiled([](Bytes& b) { Put32(b, 30, 1); }); },
                "compressed bitmaps are not supported"},
        BadCase{"TwoPlanes", [] { return Spoiled([](Bytes& b) { Put16(b, 26, 2); }); },
                "the bitmap has an unsupported plane count"},
        BadCase{"JpegGarbage", [] { return Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'}; },
                "the JPEG data does not decode"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
