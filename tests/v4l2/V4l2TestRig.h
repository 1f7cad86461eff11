#pragma once

// A fake kernel with cameras plugged in, the V4L2 backend on top of it, and short ways to reach a camera's
// objects the way the camera component does (enumerate, bind, query).

#include <memory>
#include <string>
#include <vector>

#include "tests/v4l2/FakeV4l2Kernel.h"
#include "tests/v4l2/WebcamListing.h"
#include "camera/platform/CapturePlatform.h"
#include "camera/platform/v4l2/V4l2Platform.h"

namespace tavelo::v4l2test {

struct BoundCamera {
  std::shared_ptr<platform::IBaseFilter> filter;
  std::shared_ptr<platform::IAMVideoProcAmp> procAmp;
  std::shared_ptr<platform::IAMCameraControl> cameraControl;
  std::shared_ptr<platform::IPin> pin;
};

class V4l2TestRig {
 public:
  V4l2TestRig();
  FakeV4l2Kernel& Kernel() { return *kernel_; }
  std::shared_ptr<FakeV4l2Kernel> KernelPointer() { return kernel_; }
  platform::CapturePlatform& Platform() { return *platform_; }
  std::shared_ptr<platform::CapturePlatform> PlatformPointer() { return platform_; }
  // A directory standing in for /sys/class/video4linux.
  const std::string& SysfsDirectory() const { return sysfs_; }

  FakeCamera& Plug(const FakeCameraModel& model) { return kernel_->Plug(model); }
  FakeCamera& PlugProfile(const std::string& name) { return kernel_->Plug(LoadWebcamProfile(name)); }

  // The property bags of the video input category, as name/value maps.
  struct ListedDevice {
    std::string friendlyName;
    std::string devicePath;
    std::string description;
  };
  std::vector<ListedDevice> ListDevices();

  // Binds the first camera whose friendly name is `name` and queries its interfaces and capture pin.
  BoundCamera Bind(const std::string& name);

 private:
  std::shared_ptr<FakeV4l2Kernel> kernel_;
  std::string sysfs_;
  std::shared_ptr<platform::CapturePlatform> platform_;
};

}  // namespace tavelo::v4l2test
