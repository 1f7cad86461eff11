#pragma once

// The sample grabber: an intermediate filter that passes every frame on unchanged, keeps the latest one
// when asked to buffer (a reference to the delivered sample, which never changes: no copy), and calls a
// callback for each frame on the streaming thread.
//
// GetCurrentBuffer is used in pairs, size first, then the bytes; the size query holds on to the frame
// it measured, so the fetch that follows gets that same frame even when newer ones (of another size,
// as motion-JPEG frames are) have arrived in between.

#include <memory>
#include <mutex>

#include "camera/platform/graph/GraphFilter.h"

namespace tavelo::platform {

class SampleGrabber final : public GraphFilter, public ISampleGrabber {
 public:
  SampleGrabber() : GraphFilter("Sample Grabber", true) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // ISampleGrabber
  Result SetBufferSamples(bool buffer) override;
  Result SetCallback(const std::shared_ptr<ISampleGrabberCB>& callback, std::int32_t which) override;
  Result GetConnectedMediaType(AmMediaType& out) override;
  Result GetCurrentBuffer(std::int32_t& size, std::uint8_t* buffer) override;

  // IFrameSink (streaming thread)
  void Receive(const std::shared_ptr<IMediaSample>& sample) override;

 protected:
  Result AcceptsInput(const AmMediaType& mediaType) override;

 private:
  std::mutex mutex_;
  bool buffering_ = false;
  std::shared_ptr<ISampleGrabberCB> callback_;
  std::int32_t callbackKind_ = 0;
  std::shared_ptr<IMediaSample> latest_;
  std::shared_ptr<IMediaSample> measured_;  // the frame the last size query answered for
};

}  // namespace tavelo::platform
