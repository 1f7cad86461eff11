#pragma once

// Baseline JPEG through libjpeg(-turbo): the simulated cameras compress their motion-JPEG frames with
// it and the renderer decodes them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavelo::platform {

// Compresses packed RGB rows (3 bytes per pixel, top row first, `width` * 3 bytes per row).
bool EncodeJpegRgb(const std::uint8_t* rgb, int width, int height, int quality, std::vector<std::uint8_t>& out);

// Decodes one JPEG image into 32-bit pixels, bytes B, G, R, 255, top row first. False for data that is
// not a decodable JPEG (or larger than 16384 pixels a side); `bgra` is then unspecified.
bool DecodeJpegToBgra(const std::uint8_t* data, std::size_t size, int& width, int& height,
                      std::vector<std::uint8_t>& bgra);

}  // namespace tavelo::platform
