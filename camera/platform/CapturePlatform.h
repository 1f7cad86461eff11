#pragma once

// Entry point of the capture platform layer: creates objects by class identifier, gives the media error
// text of a result code and shows property frames. One instance serves the whole program; the camera
// component receives it at construction.

#include <memory>
#include <string>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class CapturePlatform {
 public:
  virtual ~CapturePlatform() = default;

  // "simulated", "v4l2", or a test double's name.
  virtual std::string Name() const = 0;

  // Creates a new object of class `clsid` and answers its interface `iid` (kClassNotRegistered for an
  // unknown class, kNoInterface when the object lacks the interface).
  virtual Result CreateInstance(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) = 0;

  // The media error text of a code; empty when the layer has none for it.
  virtual std::string GetErrorText(Result code) const = 0;

  // Shows the property frame; without an installed handler answers kNotImplemented.
  virtual Result CreatePropertyFrame(const PropertyFrameRequest& request);
  void SetPropertyFrameHandler(PropertyFrameHandler handler) { propertyFrameHandler_ = std::move(handler); }

 private:
  PropertyFrameHandler propertyFrameHandler_;
};

// Typed creation: CreateInstanceAs(platform, guids::FilterGraph, graphBuilder).
template <class I>
Result CreateInstanceAs(CapturePlatform& platform, const Guid& clsid, std::shared_ptr<I>& out) {
  out.reset();
  std::shared_ptr<void> raw;
  const Result r = platform.CreateInstance(clsid, I::kIid, raw);
  if (Succeeded(r)) out = std::static_pointer_cast<I>(raw);
  if (Succeeded(r) && !out) return kNoInterface;
  return r;
}

}  // namespace tavelo::platform
