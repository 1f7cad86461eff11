#pragma once

// The capture pin of a simulated camera: the profile's media types, the stream format (the device's; the
// first offered type until another is chosen) and the test pattern as its frames (FrameStreamer.h).

#include <memory>

#include "camera/platform/common/CapturePin.h"
#include "camera/platform/simulated/DeviceObject.h"

namespace tavelo::platform::simulated {

class SimulatedCapturePin final : public CapturePin, private DeviceObject {
 public:
  SimulatedCapturePin(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : DeviceObject(std::move(device), session) {}

 protected:
  Result AdmitInterface(Iid iid) override { return device_->AdmitInterface(session_, iid); }
  Result AdmitPinCall(PinCall call, std::uint32_t propertyId) override { return AdmitPin(call, propertyId); }
  EnumeratorGate MediaTypeGate() override { return PresenceGate(); }
  Result ListMediaTypes(std::vector<OwnedMediaType>& out) override;
  Result CurrentMediaType(OwnedMediaType& out) override;
  Result SelectMediaType(const AmMediaType& mediaType) override { return device_->SelectFormat(mediaType); }
  Result PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) override;
};

}  // namespace tavelo::platform::simulated
