#include "camera/platform/simulated/SimulatedMicrophone.h"

#include <chrono>

#include "camera/platform/simulated/MicrophoneTone.h"
#include "camera/platform/simulated/StreamClaim.h"

namespace tavelo::platform::simulated {
namespace {

using Clock = std::chrono::steady_clock;

// Hands out the tone in 20 ms chunks, each once the clock has reached its last frame, as a sound card's
// buffer fills; a reader that fell behind gets the chunks it missed at once, since sound is never dropped.
class ToneReader final : public PcmChunkReader {
 public:
  ToneReader(std::shared_ptr<SimulatedDevice> device, std::uint64_t session, std::unique_ptr<StreamClaim> claim)
      : device_(std::move(device)), session_(session), claim_(std::move(claim)) {}

  bool Read(PcmChunk& out, StreamingThread::Control& control) override {
    const PcmFormat& format = kSimulatedMicrophoneFormat;
    const std::uint32_t frames = AudioCapturePin::BlockFrames(format);
    const std::int64_t end = nextFrame_ + frames;
    const auto due = start_ + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(static_cast<double>(end) / format.sampleRate));
    if (control.WaitUntil(due) || Failed(device_->CheckPresent(session_))) return false;
    out.bytes.clear();
    RenderMicrophoneTone(format, nextFrame_, frames, out.bytes);
    out.time = static_cast<double>(nextFrame_) / format.sampleRate;
    nextFrame_ = end;
    return true;
  }

 private:
  const std::shared_ptr<SimulatedDevice> device_;
  const std::uint64_t session_;
  const std::unique_ptr<StreamClaim> claim_;
  const Clock::time_point start_ = Clock::now();
  std::int64_t nextFrame_ = 0;
};

class SimulatedMicrophonePin final : public AudioCapturePin, private DeviceObject {
 public:
  SimulatedMicrophonePin(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : AudioCapturePin(kSimulatedMicrophoneFormat), DeviceObject(std::move(device), session) {}

 protected:
  Result AdmitInterface(Iid iid) override { return device_->AdmitInterface(session_, iid); }
  Result AdmitPinCall(PinCall call, std::uint32_t propertyId) override { return AdmitPin(call, propertyId); }
  EnumeratorGate MediaTypeGate() override { return PresenceGate(); }

  Result OpenReader(std::unique_ptr<PcmChunkReader>& out) override {
    auto claim = std::make_unique<StreamClaim>(device_);
    if (const Result claimed = claim->Claim(); Failed(claimed)) return claimed;
    out = std::make_unique<ToneReader>(device_, session_, std::move(claim));
    return kOk;
  }
};

}  // namespace

SimulatedMicrophoneFilter::SimulatedMicrophoneFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
    : AudioCaptureFilter(device->Identity().friendlyName, std::make_shared<SimulatedMicrophonePin>(device, session)),
      DeviceObject(device, session) {}

}  // namespace tavelo::platform::simulated
