#pragma once

// TFBitmap: the component's toolkit bitmap, what CurrentImageToBitmap hands out.
//
// Pixels are 32 bits, top row first, rows packed without padding, bytes B, G, R, 255 in memory: the
// layout a GUI image type with 32-bit RGB pixels uses on little-endian machines, so a window can wrap
// Bits() without converting or copying.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/CameraErrors.h"

class QIODevice;

// Raised by the loader for data that is no image it can read: empty, cut short, a header that lies
// about sizes, absurd dimensions, or an unknown kind.
class EInvalidGraphic : public ECameraException {
 public:
  using ECameraException::ECameraException;
};

class TFBitmap {
 public:
  TFBitmap() = default;
  // `bgra` holds width * height * 4 bytes, top row first.
  TFBitmap(int width, int height, std::vector<std::uint8_t> bgra);

  TFBitmap(TFBitmap&&) noexcept = default;
  TFBitmap& operator=(TFBitmap&&) noexcept = default;
  TFBitmap(const TFBitmap&) = delete;
  TFBitmap& operator=(const TFBitmap&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  int BytesPerLine() const { return FWidth * 4; }
  const std::uint8_t* Bits() const { return FBits.data(); }
  std::size_t SizeInBytes() const { return FBits.size(); }
  // The pixel at column x, row y (0 = top) as 0xAARRGGBB.
  std::uint32_t Pixel(int x, int y) const;

  // Reads one image from the stream's current position to its end and recognises its kind by content:
  // a bitmap file (24 or 32 bits, uncompressed, either row order) or a JPEG, with or without Huffman
  // tables. Raises EInvalidGraphic for anything else; never reads past the data.
  static TFBitmap LoadFromStream(QIODevice& stream);
  // The same for bytes already in memory.
  static TFBitmap LoadFromMemory(const std::uint8_t* data, std::size_t size);

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<std::uint8_t> FBits;
};
