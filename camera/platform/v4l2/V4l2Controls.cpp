#include "camera/platform/v4l2/V4l2Controls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace tavelo::platform::v4l2 {
namespace {

std::optional<ControlType> TypeOf(std::uint32_t v4l2Type) {
  switch (v4l2Type) {
    case V4L2_CTRL_TYPE_INTEGER:
    case V4L2_CTRL_TYPE_INTEGER64: return ControlType::Integer;
    case V4L2_CTRL_TYPE_BOOLEAN: return ControlType::Boolean;
    case V4L2_CTRL_TYPE_MENU: return ControlType::Menu;
    case V4L2_CTRL_TYPE_INTEGER_MENU: return ControlType::IntegerMenu;
    case V4L2_CTRL_TYPE_BUTTON: return ControlType::Button;
    default: return std::nullopt;
  }
}

std::uint32_t FlagsOf(std::uint32_t v4l2Flags) {
  std::uint32_t flags = 0;
  if ((v4l2Flags & V4L2_CTRL_FLAG_READ_ONLY) != 0) flags |= kControlReadOnly;
  if ((v4l2Flags & V4L2_CTRL_FLAG_WRITE_ONLY) != 0) flags |= kControlWriteOnly;
  if ((v4l2Flags & V4L2_CTRL_FLAG_INACTIVE) != 0) flags |= kControlInactive;
  if ((v4l2Flags & V4L2_CTRL_FLAG_GRABBED) != 0) flags |= kControlGrabbed;
  return flags;
}

// Drivers that list no class controls (uvcvideo before 5.15 among them) still group their controls by
// the class in the id; these are the names the kernel gives the classes a webcam uses.
std::string FallbackClassName(std::uint32_t controlClass) {
  switch (controlClass) {
    case V4L2_CTRL_CLASS_USER: return "User Controls";
    case V4L2_CTRL_CLASS_CAMERA: return "Camera Controls";
    default: return "Other Controls";
  }
}

// The next control after `id` (NEXT_CTRL), as the extended query describes it. kFalse past the last.
Result QueryNext(V4l2Device& device, std::uint32_t id, v4l2_query_ext_ctrl& query) {
  query = v4l2_query_ext_ctrl{};
  query.id = id | V4L2_CTRL_FLAG_NEXT_CTRL;
  int err = 0;
  const Result r = device.QueryExtendedControl(query, &err);
  if (err == EINVAL) return kFalse;
  return r;
}

void AskMenuItems(const V4l2Device& device, ControlDescription& control) {
  device.VisitMenuItems(control.id, control.minimum, control.maximum, [&control](const v4l2_querymenu& item) {
    std::string label = control.type == ControlType::IntegerMenu
                            ? std::to_string(item.value)
                            : std::string(reinterpret_cast<const char*>(item.name),
                                          strnlen(reinterpret_cast<const char*>(item.name), sizeof item.name));
    control.menu.push_back({item.index, std::move(label)});
  });
}

ControlClass& ClassFor(std::vector<ControlClass>& classes, std::vector<std::uint32_t>& classIds,
                       std::uint32_t controlClass, const std::string& name) {
  const auto known = std::find(classIds.begin(), classIds.end(), controlClass);
  if (known != classIds.end()) return classes[static_cast<std::size_t>(known - classIds.begin())];
  classIds.push_back(controlClass);
  classes.push_back({name, {}});
  return classes.back();
}

bool Is64Bit(V4l2Device& device, std::uint32_t id) {
  V4l2ControlInfo info;
  return Succeeded(device.QueryControl(id, info)) && info.type == V4L2_CTRL_TYPE_INTEGER64;
}

}  // namespace

Result DescribeV4l2Controls(V4l2Device& device, std::vector<ControlClass>& out) {
  out.clear();
  std::vector<std::uint32_t> classIds;
  std::uint32_t id = 0;
  for (;;) {
    v4l2_query_ext_ctrl query;
    const Result r = QueryNext(device, id, query);
    if (r == kFalse) break;
    if (Failed(r)) return r;
    // A driver answering the same id again would keep the walk going for ever.
    if (query.id <= id && id != 0) break;
    id = query.id;
    const std::string name(query.name, strnlen(query.name, sizeof query.name));
    const std::uint32_t controlClass = V4L2_CTRL_ID2CLASS(query.id);
    if (query.type == V4L2_CTRL_TYPE_CTRL_CLASS) {
      ClassFor(out, classIds, controlClass, name).name = name;
      continue;
    }
    const auto type = TypeOf(query.type);
    if (!type || (query.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_HAS_PAYLOAD)) != 0) continue;

    ControlDescription control;
    control.id = query.id;
    control.type = *type;
    control.name = name;
    control.minimum = query.minimum;
    control.maximum = query.maximum;
    control.step = static_cast<std::int64_t>(std::min<std::uint64_t>(query.step, std::numeric_limits<std::int64_t>::max()));
    control.defaultValue = query.default_value;
    control.flags = FlagsOf(query.flags);
    if (control.type == ControlType::Menu || control.type == ControlType::IntegerMenu) AskMenuItems(device, control);
    ClassFor(out, classIds, controlClass, FallbackClassName(controlClass)).controls.push_back(std::move(control));
  }
  // A class whose every control was left out has nothing to show.
  out.erase(std::remove_if(out.begin(), out.end(), [](const ControlClass& c) { return c.controls.empty(); }), out.end());
  return kOk;
}

Result GetV4l2Control(V4l2Device& device, std::uint32_t id, std::int64_t& value) {
  if (Is64Bit(device, id)) {
    v4l2_ext_control control{};
    control.id = id;
    v4l2_ext_controls controls{};
    controls.which = V4L2_CTRL_WHICH_CUR_VAL;
    controls.count = 1;
    controls.controls = &control;
    const Result r = device.Request(VIDIOC_G_EXT_CTRLS, &controls);
    if (Succeeded(r)) value = control.value64;
    return r;
  }
  std::int32_t current = 0;
  const Result r = device.GetControl(id, current);
  if (Succeeded(r)) value = current;
  return r;
}

Result SetV4l2Control(V4l2Device& device, std::uint32_t id, std::int64_t value) {
  if (Is64Bit(device, id)) {
    v4l2_ext_control control{};
    control.id = id;
    control.value64 = value;
    v4l2_ext_controls controls{};
    controls.which = V4L2_CTRL_WHICH_CUR_VAL;
    controls.count = 1;
    controls.controls = &control;
    return device.Request(VIDIOC_S_EXT_CTRLS, &controls);
  }
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return ResultFromErrno(ERANGE);
  return device.SetControl(id, static_cast<std::int32_t>(value));
}

}  // namespace tavelo::platform::v4l2
