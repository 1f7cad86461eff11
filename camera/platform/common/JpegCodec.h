#pragma once

// Baseline JPEG through libjpeg(-turbo): the simulated cameras compress their motion-JPEG frames with
// it and the renderer decodes them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavelo::platform {

// Compresses packed RGB rows (3 bytes per pixel, top row first, `width` * 3 bytes per row).
bool EncodeJpegRgb(const std::uint8_t* rgb, int width, int height, int quality, std::vector<std::uint8_t>& out);

// Decodes one JPEG image into 32-bit pixels, bytes B, G, R, 255, top row first. False for data that is
// not a decodable JPEG (or larger than 16384 pixels a side); `bgra` is then unspecified.
bool DecodeJpegToBgra(const std::uint8_t* data, std::size_t size, int& width, int& height,
                      std::vector<std::uint8_t>& bgra);

enum class RowOrder { TopDown, BottomUp };

// A decompressor kept across the frames of a stream, so a frame costs the decode and nothing else: no
// set-up, no buffer of its own, rows written straight into the caller's picture in the order it asks
// for. Frames without Huffman tables get the standard ones. One caller at a time.
class JpegDecoder {
 public:
  JpegDecoder();
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Decodes a frame of exactly `width` x `height` pixels into `bgra` (width * height * 4 bytes: B, G, R,
  // 255). False for data that does not decode or decodes to another size; `bgra` is then unspecified.
  bool DecodeBgra(const std::uint8_t* data, std::size_t size, int width, int height, RowOrder order,
                  std::uint8_t* bgra);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tavelo::platform
