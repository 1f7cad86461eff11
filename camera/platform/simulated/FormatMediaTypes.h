#pragma once

// The media types a simulated capture pin offers: one per format and frame rate of the profile, in the
// profile's order, each with a video-info header (or the extended header where the profile asks).

#include <optional>
#include <vector>

#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/simulated/CameraProfile.h"

namespace tavelo::platform::simulated {

std::vector<OwnedMediaType> BuildMediaTypes(const std::vector<FormatProfile>& formats);

// Index of the offered type that `requested` selects: same header kind and subtype, same width, height,
// bit count and frame time. Nothing when none matches.
std::optional<std::size_t> FindMatchingMediaType(const std::vector<OwnedMediaType>& offered,
                                                 const AmMediaType& requested);

}  // namespace tavelo::platform::simulated
