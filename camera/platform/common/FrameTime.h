#pragma once

// Frame times in the 100 ns units of AvgTimePerFrame, from a frame interval given as a fraction of a
// second. Camera descriptors and drivers truncate (1/24 s is 416666, 1/15 s is 666666), and only
// truncated times give the whole rate back when 10^7 is divided by them: 10^7 / 416667 is 23.99...
// Both backends convert this way, and a format is matched against a request in the same units.

#include <cstdint>

namespace tavelo::platform {

// 10^7 * numerator / denominator seconds, truncated; 0 (no rate) for a zero denominator.
std::int64_t FrameTimeOfInterval(std::uint64_t numerator, std::uint64_t denominator);

}  // namespace tavelo::platform
