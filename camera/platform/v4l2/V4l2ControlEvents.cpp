#include "camera/platform/v4l2/V4l2ControlEvents.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "camera/platform/v4l2/V4l2PropertyMap.h"

namespace tavelo::platform::v4l2 {
namespace {

// The kernel keeps one merged event per subscribed control, so a burst of changes never grows the
// queue beyond the table; the bound only keeps a misbehaving driver from holding the caller forever.
constexpr int kMaxEventsPerTake = 256;

Iid InterfaceOf(PropertyFamily family) {
  return family == PropertyFamily::CameraControl ? Iid::AMCameraControl : Iid::AMVideoProcAmp;
}

bool Subscribe(const V4l2Device& device, std::uint32_t control) {
  v4l2_event_subscription subscription{};
  subscription.type = V4L2_EVENT_CTRL;
  subscription.id = control;
  return Succeeded(device.Request(VIDIOC_SUBSCRIBE_EVENT, &subscription));
}

}  // namespace

V4l2ControlEvents::V4l2ControlEvents(std::shared_ptr<V4l2Device> device) : device_(std::move(device)) {
  if (!device_->IsOpen()) return;
  // A control the driver lacks refuses its subscription; the others still report.
  // Rows share some controls (AUTOGAIN); each is subscribed once, in the table's order.
  std::vector<std::uint32_t> controls;
  const auto add = [&](std::uint32_t control) {
    if (control != 0 && std::ranges::find(controls, control) == controls.end()) controls.push_back(control);
  };
  for (const PropertyMapping& mapping : PropertyMappings()) {
    for (const std::uint32_t control : mapping.valueControls) add(control);
    for (const CompanionControl& companion : mapping.companions) add(companion.id);
  }
  for (const std::uint32_t control : controls)
    if (Subscribe(*device_, control)) subscribed_ = true;
}

V4l2ControlEvents::~V4l2ControlEvents() {
  if (!subscribed_) return;
  v4l2_event_subscription all{};
  all.type = V4L2_EVENT_ALL;
  device_->Request(VIDIOC_UNSUBSCRIBE_EVENT, &all);
}

Result V4l2ControlEvents::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IControlEvents>(this, iid, out);
}

Result V4l2ControlEvents::GetEventWait(int& fd, short& pollEvents) {
  if (!subscribed_) return kNotImplemented;
  const V4l2Syscalls::EventWait wait = device_->Syscalls().EventSource(device_->Fd());
  fd = wait.fd;
  pollEvents = wait.events;
  return kOk;
}

Result V4l2ControlEvents::TakeChangedProperties(std::vector<ChangedProperty>& out) {
  out.clear();
  if (!subscribed_) return kNotImplemented;
  for (int taken = 0; taken < kMaxEventsPerTake; ++taken) {
    v4l2_event event{};
    int err = 0;
    const Result r = device_->Request(VIDIOC_DQEVENT, &event, &err);
    if (err == ENOENT) break;  // nothing (more) pending
    if (Failed(r)) return r;
    if (event.type == V4L2_EVENT_CTRL) {
      for (const PropertyMapping& mapping : PropertyMappings()) {
        // A companion may drive more than one row (AUTOGAIN: gain and, on some drivers, exposure).
        if (!mapping.Names(event.id)) continue;
        const ChangedProperty changed{InterfaceOf(mapping.family), mapping.id};
        const bool named = std::any_of(out.begin(), out.end(), [&](const ChangedProperty& p) {
          return p.propertyInterface == changed.propertyInterface && p.id == changed.id;
        });
        if (!named) out.push_back(changed);
      }
    }
    if (event.pending == 0) break;
  }
  return kOk;
}

}  // namespace tavelo::platform::v4l2
