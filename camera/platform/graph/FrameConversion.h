#pragma once

// Turns a captured frame into 32-bit pixels (bytes B, G, R, 255) with the bottom row first, the layout
// of a packed bitmap with a positive height. Motion-JPEG is decoded, YUY2 converted by the table
// method of still images (Yuy2Conversion.h), RGB re-packed.

#include <cstddef>
#include <cstdint>

#include "camera/platform/common/FrameLayout.h"

namespace tavelo::platform {

// `out` holds width * height * 4 bytes. False when `size` bytes are too few for the layout or a JPEG
// frame does not decode to the layout's size.
bool ConvertToBottomUpBgra(const FrameLayout& layout, const std::uint8_t* data, std::size_t size, std::uint8_t* out);

class JpegDecoder;

// The same for a stream: motion-JPEG goes through `decoder`, kept from frame to frame, so a frame is
// decoded straight into `out` with no set-up or buffer of its own. Other formats ignore it.
bool ConvertToBottomUpBgra(const FrameLayout& layout, const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                           JpegDecoder& decoder);

}  // namespace tavelo::platform
