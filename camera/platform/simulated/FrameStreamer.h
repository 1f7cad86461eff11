#pragma once

// The streaming thread of a simulated capture pin: renders the test pattern at the format's frame rate
// with the camera's current property values and hands each frame to the sink. It stops by itself when
// the device is unplugged.

#include <memory>
#include <thread>

#include "camera/platform/Interfaces.h"
#include "camera/platform/graph/FrameLayout.h"
#include "camera/platform/simulated/SimulatedDevice.h"

namespace tavelo::platform::simulated {

class FrameStreamer {
 public:
  // Claims the device's stream (kErrorDeviceInUse when something else streams it) and starts the thread.
  static Result Start(std::shared_ptr<SimulatedDevice> device, std::uint64_t session, const FrameLayout& layout,
                      std::shared_ptr<IFrameSink> sink, std::unique_ptr<FrameStreamer>& out);
  ~FrameStreamer();
  FrameStreamer(const FrameStreamer&) = delete;
  FrameStreamer& operator=(const FrameStreamer&) = delete;

  // When it returns, no frame is being delivered and none will be. Called from inside the sink (on the
  // streaming thread itself) it cannot wait for the thread; it then lets the thread end on its own
  // once the current delivery returns.
  void Stop();

 private:
  struct Shared;
  FrameStreamer(std::shared_ptr<Shared> shared, std::shared_ptr<SimulatedDevice> device);
  static void Run(std::shared_ptr<Shared> shared, std::shared_ptr<SimulatedDevice> device, std::uint64_t session,
                  FrameLayout layout, std::shared_ptr<IFrameSink> sink);

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<SimulatedDevice> device_;
  std::thread thread_;
};

}  // namespace tavelo::platform::simulated
