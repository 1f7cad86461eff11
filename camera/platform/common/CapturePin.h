#pragma once

// The capture pin of a camera filter, the same in every backend: an output pin of the capture category
// (IKsPropertySet, read only), its media types, its stream format (IAMStreamConfig) and property page,
// and its frames (IFrameSource), delivered on a StreamingThread of its own.
//
// A backend supplies the formats and the stream through the hooks below and may refuse any call through
// the two admissions (a camera that has gone, a scripted fault). StopStreaming is never refused.

#include <memory>
#include <mutex>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/Enumerators.h"
#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/common/StreamingThread.h"

namespace tavelo::platform {

enum class PinCall {
  Describe,  // QueryDirection, QueryId
  EnumMediaTypes,
  KsGet,
  KsSet,
  GetFormat,
  SetFormat,
  StreamMediaType,  // GetStreamMediaType: the graph asking, not a caller of the pin's interfaces
  StartStreaming,
  GetPages,
};

class CapturePin : public IPin, public IKsPropertySet, public IAMStreamConfig, public IFrameSource,
                   public ISpecifyPropertyPages {
 public:
  ~CapturePin() override;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) final;

  // IPin: an output pin named "Capture"
  Result QueryDirection(PinDirection& out) final;
  Result QueryId(std::string& out) final;
  Result EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) final;

  // IKsPropertySet: the pin category (AmPropSetIdPin, property 0, 16 bytes), which cannot be written;
  // other sets and ids answer the "not supported" codes, a short buffer kErrorMoreData with the size.
  Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) final;
  Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             const void* propertyData, std::uint32_t dataLength) final;

  // IAMStreamConfig
  Result GetFormat(AmMediaType*& out) final;
  Result SetFormat(const AmMediaType& mediaType) final;

  // IFrameSource: one stream at a time (kErrorWrongState while one runs); a stream that ended by itself
  // can be started again.
  Result GetStreamMediaType(AmMediaType& out) final;
  Result StartStreaming(std::shared_ptr<IFrameSink> sink) final;
  Result StopStreaming() final;

  // ISpecifyPropertyPages: the stream format page.
  Result GetPages(std::vector<Guid>& pages) final;

 protected:
  virtual Result AdmitInterface(Iid iid);
  // `propertyId`: the id asked of IKsPropertySet (KsGet, KsSet), 0 otherwise.
  virtual Result AdmitPinCall(PinCall call, std::uint32_t propertyId);

  virtual Result ListMediaTypes(std::vector<OwnedMediaType>& out) = 0;
  // Asked before each step of a media-type enumeration.
  virtual EnumeratorGate MediaTypeGate();
  virtual Result CurrentMediaType(OwnedMediaType& out) = 0;
  virtual Result SelectMediaType(const AmMediaType& mediaType) = 0;
  // Gets the device streaming to `sink` (claims it, sets up buffers) and gives the work that delivers
  // the frames; the work owns what it needs and releases the device when it returns.
  virtual Result PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) = 0;

  bool IsStreaming() const;

 private:
  mutable std::mutex streamMutex_;
  // Also a stream stopped from inside its own delivery until it has ended, so the next start or stop
  // waits for it.
  std::unique_ptr<StreamingThread> stream_;
};

}  // namespace tavelo::platform
