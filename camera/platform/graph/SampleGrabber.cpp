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
    size = static_cast<std::int32_t>(measured_->size());
    return kOk;
  }
  const Frame frame = measured_ ? measured_ : latest_;
  measured_.reset();
  if (!frame) return kErrorNoFrameYet;
  if (size < 0 || static_cast<std::size_t>(size) < frame->size()) {
    size = static_cast<std::int32_t>(frame->size());
    return kOutOfMemory;
  }
  std::memcpy(buffer, frame->data(), frame->size());
  size = static_cast<std::int32_t>(frame->size());
  return kOk;
}

void SampleGrabber::Receive(const std::shared_ptr<IMediaSample>& sample) {
  std::shared_ptr<ISampleGrabberCB> callback;
  std::int32_t callbackKind = 0;
  bool buffering = false;
  {
    std::lock_guard lock(mutex_);
    callback = callback_;
    callbackKind = callbackKind_;
    buffering = buffering_;
  }
  const std::uint8_t* data = sample->Data();
  const std::int32_t length = sample->ActualDataLength();
  if (buffering) {
    auto copy = std::make_shared<const std::vector<std::uint8_t>>(data, data + std::max(length, 0));
    std::lock_guard lock(mutex_);
    if (buffering_) latest_ = std::move(copy);
  }
  // The callback runs without the lock held, so it may call back into the grabber.
  if (callback) {
    if (callbackKind == 0) {
      callback->SampleCB(sample->SampleTime(), sample);
    } else {
      callback->BufferCB(sample->SampleTime(), data, length);
    }
  }
  if (const auto downstream = Connection()->Downstream()) downstream->Receive(sample);
}

Result SampleGrabber::AcceptsInput(const AmMediaType& mediaType) {
  return mediaType.majortype == guids::MediaTypeVideo ? kOk : kErrorInvalidMediaType;
}

}  // namespace tavelo::platform
