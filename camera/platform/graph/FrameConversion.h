#pragma once

// Turns a captured frame into 32-bit pixels (bytes B, G, R, 255) with the bottom row first, the layout
// of a packed bitmap with a positive height. Motion-JPEG is decoded, YUY2 converted (full-range
// BT.601, the range webcams and JPEG use), RGB re-packed.

#include <cstddef>
#include <cstdint>

#include "camera/platform/common/FrameLayout.h"

namespace tavelo::platform {

// `out` holds width * height * 4 bytes. False when `size` bytes are too few for the layout or a JPEG
// frame does not decode to the layout's size.
bool ConvertToBottomUpBgra(const FrameLayout& layout, const std::uint8_t* data, std::size_t size, std::uint8_t* out);

}  // namespace tavelo::platform
