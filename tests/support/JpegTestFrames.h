#pragma once

// JPEG frames as webcams send them, for the decoder and still-image tests.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavelo::test_support {

// `jpeg` with every DHT segment before the scan dropped: many webcams leave the Huffman tables out of
// their motion-JPEG frames and rely on the standard ones.
inline std::vector<std::uint8_t> WithoutHuffmanTables(const std::vector<std::uint8_t>& jpeg) {
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA) {
    const std::size_t segment = 2 + ((std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3]);
    if (jpeg[at + 1] != 0xC4) out.insert(out.end(), jpeg.begin() + at, jpeg.begin() + at + segment);
    at += segment;
  }
  out.insert(out.end(), jpeg.begin() + at, jpeg.end());
  return out;
}

}  // namespace tavelo::test_support
