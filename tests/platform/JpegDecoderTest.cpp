// Motion-JPEG to pixels: frames without Huffman tables, and the kept decoder against a plain one-off
// decode followed by a row flip.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/common/JpegHuffmanDefaults.h"
#include "camera/platform/graph/FrameConversion.h"
#include "tests/support/JpegTestFrames.h"

namespace tavelo::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Smooth gradients with noise, so every Huffman code length turns up as in a camera's picture.
Bytes NoisyRgb(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> noise(-12, 12);
  Bytes rgb(static_cast<std::size_t>(width) * height * 3);
  std::size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int base[3] = {x * 255 / width, y * 255 / height, ((x + y + static_cast<int>(seed)) * 7) & 0xFF};
      for (int c = 0; c < 3; ++c) rgb[i++] = static_cast<std::uint8_t>(std::clamp(base[c] + noise(random), 0, 255));
    }
  }
  return rgb;
}

// Optimised coding writes tables made for this picture instead of the standard ones.
Bytes Encode(const Bytes& rgb, int width, int height, bool optimisedTables) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 80, TRUE);
  info.optimize_coding = optimisedTables ? TRUE : FALSE;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPROW>(rgb.data() + static_cast<std::size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes jpeg(buffer, buffer + size);
  std::free(buffer);
  return jpeg;
}

using tavelo::test_support::WithoutHuffmanTables;

// What the renderer produced before it kept a decoder: a top-down picture, then every row copied over.
Bytes ReferenceBottomUp(const Bytes& jpeg) {
  int width = 0;
  int height = 0;
  Bytes topDown;
  EXPECT_TRUE(DecodeJpegToBgra(jpeg.data(), jpeg.size(), width, height, topDown));
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  Bytes bottomUp(topDown.size());
  for (int row = 0; row < height; ++row) {
    std::memcpy(bottomUp.data() + (height - 1 - row) * stride, topDown.data() + row * stride, stride);
  }
  return bottomUp;
}

FrameLayout MjpgLayout(int width, int height) {
  FrameLayout layout;
  layout.format = PixelFormat::MJPG;
  layout.width = width;
  layout.height = height;
  return layout;
}

TEST(JpegHuffmanDefaults, FindsTheTablesAFrameDefinesAndNeverReadsPastIt) {
  const Bytes jpeg = Encode(NoisyRgb(64, 48, 1), 64, 48, false);
  const Bytes stripped = WithoutHuffmanTables(jpeg);
  ASSERT_LT(stripped.size(), jpeg.size());
  EXPECT_EQ(HuffmanSlotsDefinedIn(jpeg.data(), jpeg.size()), 0x33u);  // DC 0, 1 and AC 0, 1
  EXPECT_EQ(HuffmanSlotsDefinedIn(stripped.data(), stripped.size()), 0u);
  // Cut anywhere in the header: whatever is answered comes from the bytes given.
  for (std::size_t size = 0; size < 700 && size < jpeg.size(); ++size) {
    const Bytes cut(jpeg.begin(), jpeg.begin() + size);
    EXPECT_EQ(HuffmanSlotsDefinedIn(cut.data(), cut.size()) & ~0x33u, 0u) << size;
  }
}

// A frame without tables decodes as its original, whether the decoder is new or last decoded a frame
// with tables of its own (which must not leak into the next frame).
TEST(JpegDecoder, DecodesFramesWithoutHuffmanTablesAsTheOriginal) {
  constexpr int kW = 320;
  constexpr int kH = 240;
  const Bytes original = Encode(NoisyRgb(kW, kH, 2), kW, kH, false);
  const Bytes stripped = WithoutHuffmanTables(original);
  const Bytes expected = ReferenceBottomUp(original);
  const Bytes optimised = Encode(NoisyRgb(kW, kH, 3), kW, kH, true);

  struct Case {
    const char* name;
    const Bytes* before;  // decoded first by the same decoder, or null
  };
  for (const Case& c : {Case{"fresh decoder", nullptr}, Case{"after a frame with its own tables", &optimised}}) {
    SCOPED_TRACE(c.name);
    JpegDecoder decoder;
    Bytes pixels(expected.size());
    if (c.before != nullptr) {
      ASSERT_TRUE(decoder.DecodeBgra(c.before->data(), c.before->size(), kW, kH, RowOrder::BottomUp, pixels.data()));
      EXPECT_EQ(pixels, ReferenceBottomUp(*c.before));
    }
    ASSERT_TRUE(decoder.DecodeBgra(stripped.data(), stripped.size(), kW, kH, RowOrder::BottomUp, pixels.data()));
    EXPECT_TRUE(pixels == expected);
  }

  int width = 0;
  int height = 0;
  Bytes topDown;
  ASSERT_TRUE(DecodeJpegToBgra(stripped.data(), stripped.size(), width, height, topDown));
  EXPECT_EQ(width, kW);
  EXPECT_EQ(height, kH);
}

// A stream of 1080p frames through one kept decoder, with bad frames among them: every good frame comes
// out exactly as the one-off decode and row flip did, and no bad frame spoils the next.
TEST(JpegDecoder, KeptDecoderMatchesTheOneOffPathAndSurvivesBadFrames) {
  constexpr int kW = 1920;
  constexpr int kH = 1080;
  const Bytes first = Encode(NoisyRgb(kW, kH, 4), kW, kH, false);
  const Bytes second = WithoutHuffmanTables(Encode(NoisyRgb(kW, kH, 5), kW, kH, false));
  const Bytes smaller = Encode(NoisyRgb(64, 48, 6), 64, 48, false);
  const Bytes garbage(5000, 0x42);
  const Bytes truncated(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(first.size() / 3));
  const FrameLayout layout = MjpgLayout(kW, kH);

  struct Frame {
    const Bytes* data;
    bool decodes;
  };
  const Frame stream[] = {{&first, true}, {&smaller, false}, {&second, true}, {&garbage, false},
                          {&first, true}, {&truncated, true}, {&second, true}};
  JpegDecoder decoder;
  Bytes pixels(static_cast<std::size_t>(kW) * kH * 4);
  for (std::size_t i = 0; i < std::size(stream); ++i) {
    SCOPED_TRACE(i);
    const Bytes& frame = *stream[i].data;
    const bool decoded = ConvertToBottomUpBgra(layout, frame.data(), frame.size(), pixels.data(), decoder);
    ASSERT_EQ(decoded, stream[i].decodes);
    if (decoded && &frame != &truncated) {
      EXPECT_TRUE(pixels == ReferenceBottomUp(frame));
    }
  }
  // The one-off overload agrees with the kept decoder.
  Bytes oneOff(pixels.size());
  ASSERT_TRUE(ConvertToBottomUpBgra(layout, second.data(), second.size(), oneOff.data()));
  EXPECT_TRUE(oneOff == pixels);
}

}  // namespace
}  // namespace tavelo::platform
