#pragma once

// TFSampleGrabberCB: the frame callback object handed to the sample grabber. It forwards every sample
// to its camera's NotifyImageAvailable on the platform's streaming thread.

#include <atomic>
#include <cstdint>
#include <memory>

#include "camera/platform/Interfaces.h"

class TFCamera;

class TFSampleGrabberCB final : public tavelo::platform::ISampleGrabberCB {
 public:
  explicit TFSampleGrabberCB(TFCamera* camera) : FCamera(camera) {}

  tavelo::platform::Result QueryInterface(tavelo::platform::Iid iid, std::shared_ptr<void>& out) override;
  tavelo::platform::Result SampleCB(double sampleTime,
                                    const std::shared_ptr<tavelo::platform::IMediaSample>& sample) override;
  tavelo::platform::Result BufferCB(double sampleTime, const std::uint8_t* buffer, std::int32_t bufferLength) override;

  // Stops forwarding and returns once no forwarded call is still running. The grabber may hold this
  // object (and be about to call it) after the camera has let go of it, so the camera detaches before it
  // forgets the graph; after that a late sample can no longer reach a camera that is gone.
  void Detach();

 private:
  std::atomic<TFCamera*> FCamera;
  std::atomic<int> FCallsInFlight{0};
};
