#include "camera/platform/graph/SampleGrabber.h"

#include <algorithm>
#include <cstring>

namespace tavelo::platform {

Result SampleGrabber::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IBaseFilter, ISampleGrabber>(this, iid, out);
}

Result SampleGrabber::SetBufferSamples(bool buffer) {
  std::lock_guard lock(mutex_);
  buffering_ = buffer;
  if (!buffering_) {
    latest_.reset();
    measured_.reset();
  }
  return kOk;
}

Result SampleGrabber::SetCallback(const std::shared_ptr<ISampleGrabberCB>& callback, std::int32_t which) {
  if (which != 0 && which != 1) return kInvalidArg;
  std::lock_guard lock(mutex_);
  callback_ = callback;
  callbackKind_ = which;
  return kOk;
}

Result SampleGrabber::GetConnectedMediaType(AmMediaType& out) {
  const auto mediaType = Connection()->MediaType();
  if (!mediaType) return kErrorNotConnected;
  return mediaType->CopyTo(out);
}

Result SampleGrabber::GetCurrentBuffer(std::int32_t& size, std::uint8_t* buffer) {
  std::lock_guard lock(mutex_);
  if (!buffering_) return kInvalidArg;
  if (buffer == nullptr) {
    measured_ = latest_;
    if (!measured_) return kErrorNoFrameYet;
    size = std::max(measured_->ActualDataLength(), 0);
    return kOk;
  }
  const std::shared_ptr<IMediaSample> frame = measured_ ? measured_ : latest_;
  measured_.reset();
  if (!frame) return kErrorNoFrameYet;
  const std::int32_t length = std::max(frame->ActualDataLength(), 0);
  if (size < 0 || size < length) {
    size = length;
    return kOutOfMemory;
  }
  if (length > 0) std::memcpy(buffer, frame->Data(), static_cast<std::size_t>(length));
  size = length;
  return kOk;
}

void SampleGrabber::Receive(const std::shared_ptr<IMediaSample>& sample) {
  std::shared_ptr<ISampleGrabberCB> callback;
  std::int32_t callbackKind = 0;
  {
    std::lock_guard lock(mutex_);
    callback = callback_;
    callbackKind = callbackKind_;
    if (buffering_) latest_ = sample;
  }
  // The callback runs without the lock held, so it may call back into the grabber.
  if (callback) {
    if (callbackKind == 0) {
      callback->SampleCB(sample->SampleTime(), sample);
    } else {
      callback->BufferCB(sample->SampleTime(), sample->Data(), sample->ActualDataLength());
    }
  }
  if (const auto downstream = Connection()->Downstream()) downstream->Receive(sample);
}

Result SampleGrabber::AcceptsInput(const AmMediaType& mediaType) {
  return mediaType.majortype == guids::MediaTypeVideo ? kOk : kErrorInvalidMediaType;
}

}  // namespace tavelo::platform
