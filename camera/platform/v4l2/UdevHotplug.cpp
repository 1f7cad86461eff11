// DeviceHotplug through libudev's monitor. Built without libudev, there is no monitor to open.

#include "camera/platform/v4l2/DeviceHotplug.h"

#if TAVELO_HAVE_UDEV

#include <libudev.h>
#include <unistd.h>

#include <cstring>

namespace tavelo::platform::v4l2 {
namespace {

class UdevHotplug final : public DeviceHotplug {
 public:
  UdevHotplug(udev* context, udev_monitor* monitor) : context_(context), monitor_(monitor) {}
  ~UdevHotplug() override {
    udev_monitor_unref(monitor_);
    udev_unref(context_);
  }
  UdevHotplug(const UdevHotplug&) = delete;
  UdevHotplug& operator=(const UdevHotplug&) = delete;

  int Descriptor() const override { return udev_monitor_get_fd(monitor_); }

  // The monitor's socket does not block: receiving answers null once nothing is pending. A "change"
  // notice (a node's attributes) leaves the list as it is.
  bool TakeChanges() override {
    bool changed = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(device);
      if (action != nullptr && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0)) changed = true;
      udev_device_unref(device);
    }
    return changed;
  }

 private:
  udev* context_;
  udev_monitor* monitor_;
};

}  // namespace

std::unique_ptr<DeviceHotplug> OpenDeviceHotplug() {
  // Without a running udev daemon the monitor opens but never hears a thing (libudev quietly listens to
  // nobody); saying "none" keeps the caller from relying on it.
  if (::access("/run/udev/control", F_OK) != 0) return nullptr;
  udev* context = udev_new();
  if (context == nullptr) return nullptr;
  // "udev" rather than "kernel": notices arrive once the rules have run, so the node's permissions and
  // by-id links are in place when the list is read again.
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "video4linux", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    if (monitor != nullptr) udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::make_unique<UdevHotplug>(context, monitor);
}

}  // namespace tavelo::platform::v4l2

#else

namespace tavelo::platform::v4l2 {

std::unique_ptr<DeviceHotplug> OpenDeviceHotplug() { return nullptr; }

}  // namespace tavelo::platform::v4l2

#endif
