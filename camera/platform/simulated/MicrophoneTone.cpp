#include "camera/platform/simulated/MicrophoneTone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavelo::platform::simulated {

void RenderMicrophoneTone(const PcmFormat& format, std::int64_t firstFrame, std::uint32_t frames,
                          std::vector<std::uint8_t>& out) {
  const std::int64_t rate = format.sampleRate;
  const std::int64_t clickFrames = std::max<std::int64_t>(rate / 1000, 1);
  out.reserve(out.size() + static_cast<std::size_t>(frames) * format.FrameBytes());
  for (std::uint32_t i = 0; i < frames; ++i) {
    const std::int64_t frame = firstFrame + i;
    const bool click = frame % rate < clickFrames;
    // The phase from the frame's place within its second, so it stays exact over long streams.
    const double secondFraction = static_cast<double>(frame % rate) / static_cast<double>(rate);
    for (std::uint16_t channel = 0; channel < format.channels; ++channel) {
      const double hertz = channel == 0 ? 440.0 : 880.0;
      const auto value = click ? kClickLevel
                               : static_cast<std::int16_t>(std::lround(
                                     kToneAmplitude * std::sin(2.0 * std::numbers::pi * hertz * secondFraction)));
      const auto bits = static_cast<std::uint16_t>(value);
      out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
      out.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
  }
}

}  // namespace tavelo::platform::simulated
