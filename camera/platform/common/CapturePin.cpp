#include "camera/platform/common/CapturePin.h"

#include <cstring>

namespace tavelo::platform {

CapturePin::~CapturePin() { StopStreaming(); }

Result CapturePin::AdmitInterface(Iid) { return kOk; }

Result CapturePin::AdmitPinCall(PinCall, std::uint32_t) { return kOk; }

EnumeratorGate CapturePin::MediaTypeGate() { return {}; }

Result CapturePin::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  const Result admitted = AdmitInterface(iid);
  if (Failed(admitted)) return admitted;
  return AnswerInterfaces<IPin, IKsPropertySet, IAMStreamConfig, IFrameSource, ISpecifyPropertyPages>(this, iid, out);
}

Result CapturePin::QueryDirection(PinDirection& out) {
  const Result admitted = AdmitPinCall(PinCall::Describe, 0);
  if (Succeeded(admitted)) out = PinDirection::Output;
  return admitted;
}

Result CapturePin::QueryId(std::string& out) {
  const Result admitted = AdmitPinCall(PinCall::Describe, 0);
  if (Succeeded(admitted)) out = "Capture";
  return admitted;
}

Result CapturePin::EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) {
  out.reset();
  const Result admitted = AdmitPinCall(PinCall::EnumMediaTypes, 0);
  if (Failed(admitted)) return admitted;
  std::vector<OwnedMediaType> types;
  if (const Result listed = ListMediaTypes(types); Failed(listed)) return listed;
  out = std::make_shared<MediaTypeEnumerator>(std::move(types), MediaTypeGate());
  return kOk;
}

Result CapturePin::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, void* propertyData,
                       std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  const Result admitted = AdmitPinCall(PinCall::KsGet, id);
  if (Failed(admitted)) return admitted;
  if (propSet != guids::AmPropSetIdPin) return kErrorSetNotFound;
  if (id != guids::kAmPropertyPinCategory) return kErrorNotFound;
  bytesReturned = sizeof(Guid);
  if (propertyData == nullptr || dataLength < sizeof(Guid)) return kErrorMoreData;
  std::memcpy(propertyData, &guids::PinCategoryCapture, sizeof(Guid));
  return kOk;
}

Result CapturePin::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, const void*,
                       std::uint32_t) {
  const Result admitted = AdmitPinCall(PinCall::KsSet, id);
  if (Failed(admitted)) return admitted;
  // The set exists, but has no property that can be written.
  return propSet == guids::AmPropSetIdPin ? kErrorNotFound : kErrorSetNotFound;
}

Result CapturePin::GetFormat(AmMediaType*& out) {
  out = nullptr;
  const Result admitted = AdmitPinCall(PinCall::GetFormat, 0);
  if (Failed(admitted)) return admitted;
  OwnedMediaType current;
  if (const Result r = CurrentMediaType(current); Failed(r)) return r;
  out = current.NewTaskMemCopy();
  return out != nullptr ? kOk : kOutOfMemory;
}

Result CapturePin::SetFormat(const AmMediaType& mediaType) {
  const Result admitted = AdmitPinCall(PinCall::SetFormat, 0);
  if (Failed(admitted)) return admitted;
  return SelectMediaType(mediaType);
}

Result CapturePin::GetStreamMediaType(AmMediaType& out) {
  FreeMediaTypeContents(out);
  const Result admitted = AdmitPinCall(PinCall::StreamMediaType, 0);
  if (Failed(admitted)) return admitted;
  OwnedMediaType current;
  if (const Result r = CurrentMediaType(current); Failed(r)) return r;
  return current.CopyTo(out);
}

Result CapturePin::StartStreaming(std::shared_ptr<IFrameSink> sink) {
  if (sink == nullptr) return kNullPointer;
  const Result admitted = AdmitPinCall(PinCall::StartStreaming, 0);
  if (Failed(admitted)) return admitted;
  std::unique_ptr<StreamingThread> previous;
  {
    std::lock_guard lock(streamMutex_);
    if (stream_ != nullptr) {
      // A stream that runs, or that is being left from inside its own delivery on this very thread,
      // cannot make way for a new one now.
      if ((stream_->Running() && !stream_->StopRequested()) || stream_->IsCurrentThread()) return kErrorWrongState;
      previous = std::move(stream_);
    }
  }
  // An ended or ending stream is waited for outside the lock (its last delivery may still call in), so
  // its device is released before the new one claims it.
  previous.reset();
  std::lock_guard lock(streamMutex_);
  if (stream_ != nullptr) return kErrorWrongState;
  StreamingThread::Work work;
  if (const Result prepared = PrepareStream(std::move(sink), work); Failed(prepared)) return prepared;
  stream_ = std::make_unique<StreamingThread>(std::move(work));
  return kOk;
}

Result CapturePin::StopStreaming() {
  std::unique_ptr<StreamingThread> stream;
  {
    std::lock_guard lock(streamMutex_);
    stream = std::move(stream_);
  }
  if (stream == nullptr) return kOk;
  // Outside the lock: a delivery that is running may stop the stream itself meanwhile.
  stream->Stop();
  if (stream->Running()) {
    std::lock_guard lock(streamMutex_);
    if (stream_ == nullptr) stream_ = std::move(stream);
  }
  return kOk;
}

bool CapturePin::IsStreaming() const {
  std::lock_guard lock(streamMutex_);
  return stream_ != nullptr && stream_->Running();
}

Result CapturePin::GetPages(std::vector<Guid>& pages) {
  pages.clear();
  const Result admitted = AdmitPinCall(PinCall::GetPages, 0);
  if (Failed(admitted)) return admitted;
  pages.push_back(guids::StreamFormatPage);
  return kOk;
}

}  // namespace tavelo::platform
