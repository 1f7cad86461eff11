#include "camera/platform/simulated/SimulatedCapturePin.h"

#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/simulated/FrameStreamer.h"

namespace tavelo::platform::simulated {

Result SimulatedCapturePin::AdmitPinCall(PinCall call, std::uint32_t propertyId) {
  const auto id = static_cast<std::int32_t>(propertyId);
  switch (call) {
    // The graph asking for the stream's type, and a pin describing itself, are not scripted.
    case PinCall::Describe:
    case PinCall::StreamMediaType: return device_->CheckPresent(session_);
    case PinCall::EnumMediaTypes: return Admit(SimulatedCall::EnumMediaTypes);
    case PinCall::KsGet: return Admit(SimulatedCall::KsGet, std::nullopt, id);
    case PinCall::KsSet: return Admit(SimulatedCall::KsSet, std::nullopt, id);
    case PinCall::GetFormat: return Admit(SimulatedCall::GetFormat);
    case PinCall::SetFormat: return Admit(SimulatedCall::SetFormat);
    case PinCall::StartStreaming: return Admit(SimulatedCall::StartStreaming);
    case PinCall::GetPages: return Admit(SimulatedCall::GetPages);
  }
  return kUnexpected;
}

Result SimulatedCapturePin::ListMediaTypes(std::vector<OwnedMediaType>& out) {
  out = device_->MediaTypes();
  return kOk;
}

Result SimulatedCapturePin::CurrentMediaType(OwnedMediaType& out) {
  const auto& types = device_->MediaTypes();
  if (types.empty()) return kErrorInvalidMediaType;
  out = types[device_->CurrentFormatIndex()];
  return kOk;
}

Result SimulatedCapturePin::PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) {
  OwnedMediaType current;
  if (const Result r = CurrentMediaType(current); Failed(r)) return r;
  const auto layout = FrameLayoutOf(current.Get());
  if (!layout) return kErrorInvalidMediaType;
  return PrepareFrameStream(device_, session_, *layout, std::move(sink), work);
}

}  // namespace tavelo::platform::simulated
