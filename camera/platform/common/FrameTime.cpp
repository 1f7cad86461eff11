#include "camera/platform/common/FrameTime.h"

namespace tavelo::platform {

std::int64_t FrameTimeOfInterval(std::uint64_t numerator, std::uint64_t denominator) {
  if (denominator == 0) return 0;
  return static_cast<std::int64_t>(numerator * 10'000'000u / denominator);
}

}  // namespace tavelo::platform
