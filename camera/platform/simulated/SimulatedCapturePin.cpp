#include "camera/platform/simulated/SimulatedCapturePin.h"

#include <cstring>

#include "camera/platform/graph/Enumerators.h"
#include "camera/platform/PinCategory.h"

namespace tavelo::platform::simulated {

SimulatedCapturePin::SimulatedCapturePin(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
    : DeviceObject(std::move(device), session) {}

SimulatedCapturePin::~SimulatedCapturePin() { StopStreaming(); }

Result SimulatedCapturePin::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerDeviceInterfaces<IPin, IKsPropertySet, IAMStreamConfig, IFrameSource, ISpecifyPropertyPages>(this, iid,
                                                                                                          out);
}

Result SimulatedCapturePin::QueryDirection(PinDirection& out) {
  const Result present = device_->CheckPresent(session_);
  if (Succeeded(present)) out = PinDirection::Output;
  return present;
}

Result SimulatedCapturePin::QueryId(std::string& out) {
  const Result present = device_->CheckPresent(session_);
  if (Succeeded(present)) out = "Capture";
  return present;
}

Result SimulatedCapturePin::EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) {
  out.reset();
  const Result admitted = Admit(SimulatedCall::EnumMediaTypes);
  if (Failed(admitted)) return admitted;
  out = std::make_shared<MediaTypeEnumerator>(device_->MediaTypes(), [device = device_, session = session_] {
    return device->CheckPresent(session);
  });
  return kOk;
}

Result SimulatedCapturePin::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t,
                                void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  const Result admitted = Admit(SimulatedCall::KsGet, std::nullopt, static_cast<std::int32_t>(id));
  if (Failed(admitted)) return admitted;
  return ReadCapturePinCategory(propSet, id, propertyData, dataLength, bytesReturned);
}

Result SimulatedCapturePin::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, const void*,
                                std::uint32_t) {
  const Result admitted = Admit(SimulatedCall::KsSet, std::nullopt, static_cast<std::int32_t>(id));
  if (Failed(admitted)) return admitted;
  // The category is read-only: the set exists, but has no property that can be written.
  return propSet == guids::AmPropSetIdPin ? kErrorNotFound : kErrorSetNotFound;
}

Result SimulatedCapturePin::GetFormat(AmMediaType*& out) {
  out = nullptr;
  const Result admitted = Admit(SimulatedCall::GetFormat);
  if (Failed(admitted)) return admitted;
  const auto& types = device_->MediaTypes();
  if (types.empty()) return kErrorInvalidMediaType;
  out = types[device_->CurrentFormatIndex()].NewTaskMemCopy();
  return out != nullptr ? kOk : kOutOfMemory;
}

Result SimulatedCapturePin::SetFormat(const AmMediaType& mediaType) {
  const Result admitted = Admit(SimulatedCall::SetFormat);
  if (Failed(admitted)) return admitted;
  return device_->SelectFormat(mediaType);
}

Result SimulatedCapturePin::GetStreamMediaType(AmMediaType& out) {
  const Result present = device_->CheckPresent(session_);
  if (Failed(present)) return present;
  const auto& types = device_->MediaTypes();
  if (types.empty()) return kErrorInvalidMediaType;
  return types[device_->CurrentFormatIndex()].CopyTo(out);
}

Result SimulatedCapturePin::StartStreaming(std::shared_ptr<IFrameSink> sink) {
  const Result admitted = Admit(SimulatedCall::StartStreaming);
  if (Failed(admitted)) return admitted;
  std::lock_guard lock(streamMutex_);
  if (streamer_ != nullptr) return kErrorWrongState;
  const auto& types = device_->MediaTypes();
  if (types.empty()) return kErrorInvalidMediaType;
  const auto layout = FrameLayoutOf(types[device_->CurrentFormatIndex()].Get());
  if (!layout) return kErrorInvalidMediaType;
  return FrameStreamer::Start(device_, session_, *layout, std::move(sink), streamer_);
}

Result SimulatedCapturePin::StopStreaming() {
  std::unique_ptr<FrameStreamer> streamer;
  {
    std::lock_guard lock(streamMutex_);
    streamer = std::move(streamer_);
  }
  if (streamer != nullptr) streamer->Stop();
  return kOk;
}

Result SimulatedCapturePin::GetPages(std::vector<Guid>& pages) {
  pages.clear();
  const Result admitted = Admit(SimulatedCall::GetPages);
  if (Failed(admitted)) return admitted;
  pages.push_back(guids::StreamFormatPage);
  return kOk;
}

}  // namespace tavelo::platform::simulated
