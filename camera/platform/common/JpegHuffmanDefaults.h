#pragma once

// Motion-JPEG frames usually leave out their Huffman tables: cameras code with the standard tables
// (those of the JPEG standard's Annex K) and skip the DHT segments. libjpeg cannot decode such a frame
// on its own, and a decoder kept across frames would silently reuse the previous frame's tables, so
// every frame is checked for which tables it brings and the standard ones fill the rest.

#include <cstddef>
#include <cstdint>

struct jpeg_decompress_struct;

namespace tavelo::platform {

// The Huffman table slots the frame's DHT segments define before its first scan: bit `id` for DC table
// `id`, bit 4 + `id` for AC table `id`. Reads marker headers only and stops at the first scan or at the
// end of `size` bytes.
unsigned HuffmanSlotsDefinedIn(const std::uint8_t* data, std::size_t size);

// Gives the two DC and two AC slots (luminance, chrominance) that `definedSlots` leaves out the
// standard tables. Call between jpeg_read_header and jpeg_start_decompress; tables are allocated once
// per decompressor and overwritten afterwards.
void FillUndefinedHuffmanTables(jpeg_decompress_struct& info, unsigned definedSlots);

}  // namespace tavelo::platform
