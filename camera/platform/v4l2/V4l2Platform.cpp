#include "camera/platform/v4l2/V4l2Platform.h"

#include "camera/platform/media/MediaGraphObjects.h"
#include "camera/platform/common/MediaErrorText.h"
#include "camera/platform/v4l2/V4l2DeviceEnumeration.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::platform {
namespace {

class V4l2Platform final : public CapturePlatform {
 public:
  V4l2Platform(std::shared_ptr<V4l2Syscalls> syscalls, v4l2::V4l2Locations locations)
      : syscalls_(std::move(syscalls)), locations_(std::move(locations)) {}

  std::string Name() const override { return "v4l2"; }

  Result CreateInstance(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) override {
    out.reset();
    if (clsid == guids::SystemDeviceEnum) {
      const auto enumerator = std::make_shared<v4l2::V4l2DeviceEnumerator>(syscalls_, locations_);
      return enumerator->QueryInterface(iid, out);
    }
    // Filter graph, graph builder, grabber, renderers and capture file are the same for every backend.
    return media::CreateMediaGraphObject(clsid, iid, out);
  }

  // The camera's own failures first, then the media codes the shared graph objects answer too.
  std::string GetErrorText(Result code) const override {
    std::string text = v4l2::V4l2ErrorText(code);
    return text.empty() ? MediaErrorText(code) : text;
  }

 private:
  std::shared_ptr<V4l2Syscalls> syscalls_;
  v4l2::V4l2Locations locations_;
};

v4l2::V4l2Locations LocationsFor(std::string deviceDirectory) {
  v4l2::V4l2Locations locations;
  if (deviceDirectory != "/dev") locations.sysfsDirectory.clear();
  locations.deviceDirectory = std::move(deviceDirectory);
  return locations;
}

std::shared_ptr<V4l2Syscalls> OrReal(std::shared_ptr<V4l2Syscalls> syscalls) {
  return syscalls ? std::move(syscalls) : v4l2::MakeRealV4l2Syscalls();
}

}  // namespace

std::shared_ptr<CapturePlatform> CreateV4l2Platform(std::shared_ptr<V4l2Syscalls> syscalls,
                                                    v4l2::V4l2Locations locations) {
  return std::make_shared<V4l2Platform>(OrReal(std::move(syscalls)), std::move(locations));
}

std::shared_ptr<CapturePlatform> CreateV4l2Platform(std::shared_ptr<V4l2Syscalls> syscalls,
                                                    std::string deviceDirectory) {
  return CreateV4l2Platform(std::move(syscalls), LocationsFor(std::move(deviceDirectory)));
}

bool V4l2HasCaptureDevice(std::shared_ptr<V4l2Syscalls> syscalls, const v4l2::V4l2Locations& locations) {
  const auto real = OrReal(std::move(syscalls));
  return !v4l2::FindCaptureDevices(*real, locations).empty();
}

bool V4l2HasCaptureDevice(std::shared_ptr<V4l2Syscalls> syscalls, std::string deviceDirectory) {
  return V4l2HasCaptureDevice(std::move(syscalls), LocationsFor(std::move(deviceDirectory)));
}

}  // namespace tavelo::platform
