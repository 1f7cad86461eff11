#include "camera/FBitmap.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>

#include <cstring>
#include <limits>

#include "camera/platform/common/JpegCodec.h"

namespace {

// Larger sides are no camera picture but a header gone wrong; the bound also keeps every size below
// computable in 64 bits and every pixel count in an int.
constexpr std::int64_t kMaxSide = 16384;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kMinInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;

[[noreturn]] void Fail(const char* why) {
  throw EInvalidGraphic(QStringLiteral("The camera image could not be loaded: ") + QString::fromLatin1(why));
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool IsJpeg(const std::uint8_t* data, std::size_t size) { return size >= 2 && data[0] == 0xFF && data[1] == 0xD8; }
bool IsBitmapFile(const std::uint8_t* data, std::size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

TFBitmap LoadJpeg(const std::uint8_t* data, std::size_t size) {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgra;
  if (!tavelo::platform::DecodeJpegToBgra(data, size, width, height, bgra) || width <= 0 || height <= 0 ||
      bgra.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
    Fail("the JPEG data does not decode");
  return TFBitmap(width, height, std::move(bgra));
}

// Every size is checked against the data before a byte of it is read: the headers come from whatever
// the camera's format block said, and a wrong block must not turn into a read past the buffer.
TFBitmap LoadBitmapFile(const std::uint8_t* data, std::size_t size) {
  if (size < kFileHeaderSize + 4) Fail("the bitmap header is cut short");
  const std::uint32_t pixelOffset = Read32(data + 10);
  const std::uint32_t infoSize = Read32(data + kFileHeaderSize);
  if (infoSize < kMinInfoHeaderSize) Fail("the bitmap info header is too small");
  if (infoSize > size - kFileHeaderSize) Fail("the bitmap info header runs past the data");
  const std::uint8_t* info = data + kFileHeaderSize;
  const auto width = static_cast<std::int64_t>(static_cast<std::int32_t>(Read32(info + 4)));
  const auto rawHeight = static_cast<std::int64_t>(static_cast<std::int32_t>(Read32(info + 8)));
  const std::uint16_t planes = Read16(info + 12);
  const std::uint16_t bitCount = Read16(info + 14);
  const std::uint32_t compression = Read32(info + 16);
  if (planes != 1) Fail("the bitmap has an unsupported plane count");
  if (bitCount != 24 && bitCount != 32) Fail("only 24- and 32-bit bitmaps are supported");
  if (compression != kUncompressed) Fail("compressed bitmaps are not supported");
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) Fail("the bitmap dimensions are invalid");
  if (pixelOffset < kFileHeaderSize + infoSize || pixelOffset > size) Fail("the pixel data offset is invalid");

  const std::int64_t bytesPerPixel = bitCount / 8;
  const std::int64_t stride = (width * bitCount + 31) / 32 * 4;
  if (stride * height > static_cast<std::int64_t>(size - pixelOffset)) Fail("the pixel data is cut short");

  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  const std::uint8_t* pixels = data + pixelOffset;
  for (int row = 0; row < h; ++row) {
    const int sourceRow = topDown ? row : h - 1 - row;
    const std::uint8_t* in = pixels + static_cast<std::ptrdiff_t>(sourceRow) * stride;
    std::uint8_t* out = bgra.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(w) * 4;
    for (int x = 0; x < w; ++x, in += bytesPerPixel, out += 4) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      out[3] = 255;
    }
  }
  return TFBitmap(w, h, std::move(bgra));
}

}  // namespace

TFBitmap::TFBitmap(int width, int height, std::vector<std::uint8_t> bgra)
    : FWidth(width), FHeight(height), FBits(std::move(bgra)) {}

std::uint32_t TFBitmap::Pixel(int x, int y) const {
  const std::uint8_t* p = FBits.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) +
                                          static_cast<std::size_t>(x)) * 4;
  return Read32(p);
}

TFBitmap TFBitmap::LoadFromMemory(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) Fail("the stream is empty");
  if (IsBitmapFile(data, size)) return LoadBitmapFile(data, size);
  if (IsJpeg(data, size)) return LoadJpeg(data, size);
  Fail("the data is neither a bitmap nor a JPEG image");
}

TFBitmap TFBitmap::LoadFromStream(QIODevice& stream) {
  // A memory stream is read in place; any other device is read to its end first.
  if (auto* buffer = qobject_cast<QBuffer*>(&stream); buffer != nullptr && !buffer->isSequential()) {
    const QByteArray& bytes = buffer->data();
    const qint64 position = buffer->pos();
    if (position < 0 || position > bytes.size()) Fail("the stream position is past its end");
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + position;
    TFBitmap bitmap = LoadFromMemory(data, static_cast<std::size_t>(bytes.size() - position));
    buffer->seek(bytes.size());
    return bitmap;
  }
  const QByteArray bytes = stream.readAll();
  return LoadFromMemory(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
}
