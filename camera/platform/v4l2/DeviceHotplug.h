#pragma once

// Video devices coming and going, for an event loop to wait on: the seam between the program and the
// system's device manager. OpenDeviceHotplug answers the udev monitor of the video4linux subsystem, or
// null where there is none to be had (built without libudev, no udev running, as in most containers, or
// a monitor the system refused). Without one, a camera list learns of plugged cameras only when it is
// read again.
//
// Test double: tests/v4l2/ScriptedDeviceHotplug.h.

#include <memory>

namespace tavelo::platform::v4l2 {

class DeviceHotplug {
 public:
  virtual ~DeviceHotplug() = default;
  // Readable (POLLIN) while notices are pending. Stays valid for the object's life.
  virtual int Descriptor() const = 0;
  // Takes every pending notice; answers whether one of them was a video device added or removed.
  virtual bool TakeChanges() = 0;
};

std::unique_ptr<DeviceHotplug> OpenDeviceHotplug();

}  // namespace tavelo::platform::v4l2
