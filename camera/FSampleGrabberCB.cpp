#include "camera/FSampleGrabberCB.h"

#include <thread>

#include "camera/FCamera.h"

using namespace tavelo::platform;

Result TFSampleGrabberCB::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<ISampleGrabberCB>(this, iid, out);
}

Result TFSampleGrabberCB::SampleCB(double sampleTime, const std::shared_ptr<IMediaSample>&) {
  // Announce the call before looking at the camera, and Detach clears the camera before looking at the
  // count: with both sequentially consistent, either this call sees no camera or Detach waits for it.
  FCallsInFlight.fetch_add(1);
  Result result = kOk;
  if (TFCamera* camera = FCamera.load()) result = camera->NotifyImageAvailable(sampleTime);
  FCallsInFlight.fetch_sub(1);
  return result;
}

Result TFSampleGrabberCB::BufferCB(double, const std::uint8_t*, std::int32_t) { return kOk; }

void TFSampleGrabberCB::Detach() {
  FCamera.store(nullptr);
  while (FCallsInFlight.load() != 0) std::this_thread::yield();
}
