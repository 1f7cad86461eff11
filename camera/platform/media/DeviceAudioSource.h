#pragma once

// The filter of one of the machine's sound inputs (AudioSources.h): an audio capture filter whose
// stream is the sound system's input device in FFmpeg, decoded and converted with swresample to the one
// format the pin offers, 48 kHz stereo 16-bit, whatever the source gives. A chunk's time is counted in
// frames from the stream's start and follows the device's own clock only where that jumps (an overrun
// lost sound), so the samples stay evenly spaced. Starting a stream opens the device, so a busy or
// missing device refuses the start with its reason; a device that fails while streaming ends the
// stream.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/PcmFormat.h"
#include "camera/platform/media/AudioSources.h"

namespace tavelo::platform::media {

inline constexpr PcmFormat kDeviceAudioFormat{48000, 2};

std::shared_ptr<IBaseFilter> CreateDeviceAudioFilter(const MachineAudioSource& source);

}  // namespace tavelo::platform::media
