#include "camera/platform/v4l2/V4l2Device.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::platform::v4l2 {
namespace {

// A menu wider than this is no list a person picks from; its items are not asked for one by one.
constexpr std::int64_t kMaxMenuItems = 256;

bool IsMenu(std::uint32_t type) { return type == V4L2_CTRL_TYPE_MENU || type == V4L2_CTRL_TYPE_INTEGER_MENU; }

}  // namespace

bool V4l2ControlInfo::OffersMenuIndex(std::int64_t index) const {
  return std::find(menuIndices.begin(), menuIndices.end(), index) != menuIndices.end();
}

V4l2Device::V4l2Device(std::shared_ptr<V4l2Syscalls> syscalls, std::string path, V4l2CaptureType capture)
    : syscalls_(std::move(syscalls)), path_(std::move(path)), capture_(capture) {}

std::shared_ptr<V4l2Device> V4l2Device::Open(std::shared_ptr<V4l2Syscalls> syscalls, std::string path,
                                             V4l2CaptureType capture) {
  std::shared_ptr<V4l2Device> device(new V4l2Device(std::move(syscalls), std::move(path), capture));
  device->fd_ = device->syscalls_->Open(device->path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (device->fd_ < 0) device->openResult_ = ResultFromOpenFailure(errno);
  return device;
}

V4l2Device::~V4l2Device() {
  if (fd_ >= 0) syscalls_->Close(fd_);
}

Result V4l2Device::Request(unsigned long request, void* argument, int* err) const {
  if (err != nullptr) *err = 0;
  if (fd_ < 0) return openResult_;
  if (syscalls_->Ioctl(fd_, request, argument) == 0) return kOk;
  int failure = errno;
  if (failure == EIO && request != VIDIOC_QUERYCAP) {
    v4l2_capability capability{};
    if (syscalls_->Ioctl(fd_, VIDIOC_QUERYCAP, &capability) != 0 && (errno == ENODEV || errno == ENXIO))
      failure = ENODEV;
  }
  if (err != nullptr) *err = failure;
  return ResultFromIoctlFailure(failure);
}

Result V4l2Device::QueryExtendedControl(v4l2_query_ext_ctrl& query, int* err) const {
  int failure = 0;
  Result r = Request(VIDIOC_QUERY_EXT_CTRL, &query, &failure);
  if (failure == ENOTTY) {
    // Drivers that predate the extended query answer the plain one.
    v4l2_queryctrl plain{};
    plain.id = query.id;
    r = Request(VIDIOC_QUERYCTRL, &plain, &failure);
    if (Succeeded(r)) {
      query.id = plain.id;
      query.type = plain.type;
      std::memcpy(query.name, plain.name, sizeof query.name);
      query.minimum = plain.minimum;
      query.maximum = plain.maximum;
      query.step = static_cast<std::uint32_t>(plain.step);
      query.default_value = plain.default_value;
      query.flags = plain.flags;
    }
  }
  if (err != nullptr) *err = failure;
  return r;
}

Result V4l2Device::AskControl(std::uint32_t id, V4l2ControlInfo& out, const V4l2ControlInfo* known) const {
  v4l2_query_ext_ctrl query{};
  query.id = id;
  int err = 0;
  const Result r = QueryExtendedControl(query, &err);
  if (err == EINVAL) return kErrorNotFound;
  if (Failed(r)) return r;
  if ((query.flags & V4L2_CTRL_FLAG_DISABLED) != 0 || query.id != id) return kErrorNotFound;

  out = V4l2ControlInfo{};
  out.id = query.id;
  out.type = query.type;
  out.name.assign(query.name, strnlen(query.name, sizeof query.name));
  out.minimum = query.minimum;
  out.maximum = query.maximum;
  out.step = query.step;
  out.defaultValue = query.default_value;
  out.flags = query.flags;
  // A menu's items are asked for once; asking again only when its range changed.
  if (known != nullptr && known->type == out.type && known->minimum == out.minimum && known->maximum == out.maximum)
    out.menuIndices = known->menuIndices;
  else if (IsMenu(out.type))
    AskMenu(out);
  return kOk;
}

void V4l2Device::VisitMenuItems(std::uint32_t id, std::int64_t minimum, std::int64_t maximum,
                                const std::function<void(const v4l2_querymenu&)>& visit) const {
  if (minimum < 0 || maximum < minimum || maximum - minimum >= kMaxMenuItems) return;
  for (std::int64_t index = minimum; index <= maximum; ++index) {
    v4l2_querymenu item{};
    item.id = id;
    item.index = static_cast<std::uint32_t>(index);
    if (Succeeded(Request(VIDIOC_QUERYMENU, &item))) visit(item);
  }
}

void V4l2Device::AskMenu(V4l2ControlInfo& info) const {
  VisitMenuItems(info.id, info.minimum, info.maximum,
                 [&info](const v4l2_querymenu& item) { info.menuIndices.push_back(item.index); });
}

Result V4l2Device::QueryControl(std::uint32_t id, V4l2ControlInfo& out, bool askDriver) {
  std::lock_guard lock(controlsMutex_);
  const auto known = controls_.find(id);
  const bool remembered = known != controls_.end();
  if (remembered && !askDriver) {
    if (!known->second) return kErrorNotFound;
    out = *known->second;
    return kOk;
  }
  V4l2ControlInfo info;
  const Result r = AskControl(id, info, remembered && known->second ? &*known->second : nullptr);
  // Only the driver's own answers are remembered; a failed request (a busy or vanished camera) is not.
  if (r == kErrorNotFound) controls_[id] = std::nullopt;
  if (Failed(r)) return r;
  controls_[id] = info;
  out = std::move(info);
  return kOk;
}

Result V4l2Device::GetControl(std::uint32_t id, std::int32_t& value) const {
  v4l2_control control{};
  control.id = id;
  const Result r = Request(VIDIOC_G_CTRL, &control);
  if (Succeeded(r)) value = control.value;
  return r;
}

Result V4l2Device::SetControl(std::uint32_t id, std::int32_t value) const {
  v4l2_control control{};
  control.id = id;
  control.value = value;
  return Request(VIDIOC_S_CTRL, &control);
}

}  // namespace tavelo::platform::v4l2
