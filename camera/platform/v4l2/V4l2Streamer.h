#pragma once

// Memory-mapped frame streaming from a capture node.
//
// The work waits for frames with poll() and a short timeout, so a stop request is seen promptly even
// when the camera stops sending or has been unplugged; a vanished camera simply ends the stream. When
// the work ends, for whatever reason, the stream is switched off and every buffer unmapped and freed.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/StreamingThread.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

// How long the work waits for a frame before looking whether it should stop.
constexpr int kStreamPollTimeoutMs = 100;
constexpr unsigned kStreamBufferCount = 4;

// Sets up the buffers and starts the stream; gives the work that delivers its frames to `sink`. Fails
// with the driver's answer (EBUSY when another program streams), leaving nothing mapped.
Result PrepareV4l2Stream(std::shared_ptr<V4l2Device> device, std::shared_ptr<IFrameSink> sink,
                         StreamingThread::Work& work);

}  // namespace tavelo::platform::v4l2
