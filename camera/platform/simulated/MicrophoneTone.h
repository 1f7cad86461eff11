#pragma once

// What the simulated microphone hears: a steady tone a test can recognise and time. The first channel
// carries 440 Hz, the second (and any further) 880 Hz, both at a quarter of full scale, so a swapped or
// misaligned channel shows; every whole second of the stream starts with a 1 ms click at nearly full
// scale on all channels, so a receiver can check that time stamps and sample counts agree.

#include <cstdint>
#include <vector>

#include "camera/platform/common/PcmFormat.h"

namespace tavelo::platform::simulated {

inline constexpr std::int16_t kToneAmplitude = 8192;
inline constexpr std::int16_t kClickLevel = 30000;

// Appends `frames` sample frames starting at frame `firstFrame` of the stream, s16 little-endian interleaved.
void RenderMicrophoneTone(const PcmFormat& format, std::int64_t firstFrame, std::uint32_t frames,
                          std::vector<std::uint8_t>& out);

}  // namespace tavelo::platform::simulated
