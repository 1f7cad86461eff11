#pragma once

// The frames of a simulated capture pin: the test pattern at the format's frame rate, drawn with the
// camera's current property values, until the stream is stopped or the device is unplugged.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/common/StreamingThread.h"
#include "camera/platform/simulated/SimulatedDevice.h"

namespace tavelo::platform::simulated {

// Claims the device's stream (kErrorDeviceInUse when something else streams it) and gives the work
// that delivers to `sink`; the claim ends with the work.
Result PrepareFrameStream(std::shared_ptr<SimulatedDevice> device, std::uint64_t session, const FrameLayout& layout,
                          std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work);

}  // namespace tavelo::platform::simulated
