#pragma once

// A camera filter's image and lens properties as its backend serves them: which family a property
// belongs to, its range, the kernel-streaming records, and the three calls the filter's two property
// interfaces make.

#include <cstdint>

#include "camera/platform/Result.h"

namespace tavelo::platform {

// Where a camera filter keeps a property: one of its two ranged interfaces, or one of the two
// kernel-streaming property sets (flash, video stabilisation) that hold one record each.
enum class PropertyFamily { VideoProcAmp, CameraControl, Flash, VideoStabilization };

struct PropertyRange {
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::int32_t step = 0;          // 0 for a property without values (only an automatic switch)
  std::int32_t defaultValue = 0;  // the driver's word, which need not lie in the range
  std::int32_t capsFlags = 0;     // kPropertyFlagsAuto | kPropertyFlagsManual
};

// The one record of the flash and of the video-stabilisation set: a mode word and a capability word.
struct KsRecord {
  std::uint32_t mode = 0;
  std::uint32_t capabilities = 0;
};

// Implemented by each backend's camera filter; the property tear-offs forward to it.
class RangedPropertySource {
 public:
  virtual ~RangedPropertySource() = default;
  virtual Result GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) = 0;
  // The value and the mode: kPropertyFlagsAuto or kPropertyFlagsManual.
  virtual Result GetProperty(PropertyFamily family, std::int32_t id, std::int32_t& value, std::int32_t& flags) = 0;
  virtual Result SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags) = 0;
};

}  // namespace tavelo::platform
