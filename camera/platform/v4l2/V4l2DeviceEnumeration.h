#pragma once

// The device enumerator of the V4L2 backend: video input devices are the capture nodes, each a moniker
// with a property bag (FriendlyName, DevicePath, Description) that binds to a camera filter. Audio
// inputs are the machine's sound inputs (media/AudioSources.h), compressors the machine's encoders.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2DeviceList.h"
#include "camera/platform/v4l2/V4l2Syscalls.h"

namespace tavelo::platform::v4l2 {

class V4l2DeviceEnumerator final : public ICreateDevEnum {
 public:
  V4l2DeviceEnumerator(std::shared_ptr<V4l2Syscalls> syscalls, V4l2Locations locations);
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  Result CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>& out, std::uint32_t flags) override;

 private:
  std::shared_ptr<V4l2Syscalls> syscalls_;
  V4l2Locations locations_;
};

}  // namespace tavelo::platform::v4l2
