#pragma once

// The filter of the simulated microphone, as binding its moniker gives it: an audio capture filter
// (AudioCaptureFilter.h) whose pin delivers the tone of MicrophoneTone.h at 48 kHz in stereo, paced in
// real time. Every call goes through the device's admission, so tests can unplug the microphone (its
// stream ends) or script a failure, and one stream at a time may hold it.

#include <memory>

#include "camera/platform/common/AudioCaptureFilter.h"
#include "camera/platform/simulated/DeviceObject.h"

namespace tavelo::platform::simulated {

inline constexpr PcmFormat kSimulatedMicrophoneFormat{48000, 2};

class SimulatedMicrophoneFilter final : public AudioCaptureFilter, private DeviceObject {
 public:
  SimulatedMicrophoneFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session);

 protected:
  Result AdmitFilterCall(FilterCall call) override { return AdmitFilter(call); }
  EnumeratorGate PinGate() override { return PresenceGate(); }
  Result AdmitInterface(Iid iid) override { return device_->AdmitInterface(session_, iid); }
};

}  // namespace tavelo::platform::simulated
