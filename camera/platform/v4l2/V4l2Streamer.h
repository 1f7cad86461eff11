#pragma once

// Memory-mapped frame streaming from a capture node on a thread of its own.
//
// The thread waits for frames with poll() and a short timeout, so Stop() returns promptly even when the
// camera stops sending or has been unplugged; a vanished camera simply ends the stream.

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

class V4l2Streamer {
 public:
  explicit V4l2Streamer(std::shared_ptr<V4l2Device> device);
  ~V4l2Streamer();
  V4l2Streamer(const V4l2Streamer&) = delete;
  V4l2Streamer& operator=(const V4l2Streamer&) = delete;

  // Sets up the buffers, starts the stream and the thread. Fails with the driver's answer (EBUSY when
  // another program streams), or kErrorWrongState when this streamer is already running.
  Result Start(std::shared_ptr<IFrameSink> sink);
  // Stops the thread and the stream and frees the buffers; when it returns no Receive call is running.
  // Called from the streaming thread itself (from inside Receive) it answers kErrorWrongState.
  Result Stop();
  bool IsStreaming() const;

  // How long the thread waits for a frame before looking whether it should stop.
  static constexpr int kPollTimeoutMs = 100;
  static constexpr unsigned kBufferCount = 4;

 private:
  struct MappedBuffer {
    void* start = nullptr;
    std::size_t length = 0;
  };

  void Run(std::shared_ptr<IFrameSink> sink);
  // Answers false when the stream has to end (device gone, buffer lost).
  bool DeliverOneFrame(IFrameSink& sink, bool& haveBase, double& baseSeconds);
  void ReleaseBuffers();
  void StopLocked();

  std::shared_ptr<V4l2Device> device_;
  mutable std::mutex mutex_;  // guards start and stop
  std::vector<MappedBuffer> buffers_;
  bool streaming_ = false;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> threadRunning_{false};  // false once the thread has ended, on request or because the camera went
  std::thread thread_;
};

}  // namespace tavelo::platform::v4l2
