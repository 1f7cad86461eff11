#pragma once

// One open video node, shared by every object the backend hands out for it (filter, property tear-offs,
// pin, enumerators): the node is opened once when a camera is bound and closed when the last of those
// objects goes. Requests on a node that could not be opened answer the reason it could not.

#include <linux/videodev2.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/platform/Result.h"
#include "camera/platform/v4l2/V4l2CaptureType.h"
#include "camera/platform/v4l2/V4l2Syscalls.h"

namespace tavelo::platform::v4l2 {

// What the driver says about one control; static for the life of the node.
struct V4l2ControlInfo {
  std::uint32_t id = 0;
  std::uint32_t type = 0;  // V4L2_CTRL_TYPE_*
  std::string name;
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
  std::uint64_t step = 0;
  std::int64_t defaultValue = 0;
  std::uint32_t flags = 0;
  std::vector<std::int64_t> menuIndices;  // the items a menu really offers (QUERYMENU), in order

  bool ReadOnly() const { return (flags & V4L2_CTRL_FLAG_READ_ONLY) != 0; }
  bool WriteOnly() const { return (flags & V4L2_CTRL_FLAG_WRITE_ONLY) != 0; }
  bool OffersMenuIndex(std::int64_t index) const;
};

class V4l2Device {
 public:
  // Opens `path` for reading and writing without blocking; its formats and buffers go through `capture`
  // (what the listing learnt from the node's capabilities). The object exists even when the open fails.
  static std::shared_ptr<V4l2Device> Open(std::shared_ptr<V4l2Syscalls> syscalls, std::string path,
                                          V4l2CaptureType capture);
  ~V4l2Device();
  V4l2Device(const V4l2Device&) = delete;
  V4l2Device& operator=(const V4l2Device&) = delete;

  const std::string& Path() const { return path_; }
  bool IsOpen() const { return fd_ >= 0; }
  // Why the node is not open (kOk when it is).
  Result OpenResult() const { return openResult_; }
  V4l2Syscalls& Syscalls() const { return *syscalls_; }
  int Fd() const { return fd_; }
  const V4l2CaptureType& Capture() const { return capture_; }

  // Issues one ioctl. Answers kOk or the failure's code; `err` (when given) receives the errno of a failed
  // ioctl and 0 otherwise. EIO is ambiguous (older kernels use it for any refusal, and for a camera that
  // has gone), so it is told apart by asking the node whether it is still there.
  Result Request(unsigned long request, void* argument, int* err = nullptr) const;

  // VIDIOC_QUERY_EXT_CTRL for `query.id` (which may carry V4L2_CTRL_FLAG_NEXT_CTRL), answered through the
  // plain VIDIOC_QUERYCTRL by drivers that predate the extended query. `err` as for Request.
  Result QueryExtendedControl(v4l2_query_ext_ctrl& query, int* err) const;

  // Each item the driver has of the menu control `id` over [minimum, maximum]. Menus may leave gaps (a
  // webcam's exposure menu usually offers two of four): the driver answers EINVAL for the items it lacks.
  // Menus wider than a person picks from are not asked for item by item.
  void VisitMenuItems(std::uint32_t id, std::int64_t minimum, std::int64_t maximum,
                      const std::function<void(const v4l2_querymenu&)>& visit) const;

  // The control's description, asked once and remembered; `askDriver` asks again (and remembers the new
  // answer). A control the driver does not know, or marks disabled, answers kErrorNotFound.
  Result QueryControl(std::uint32_t id, V4l2ControlInfo& out, bool askDriver = false);

  Result GetControl(std::uint32_t id, std::int32_t& value) const;
  Result SetControl(std::uint32_t id, std::int32_t value) const;

 private:
  V4l2Device(std::shared_ptr<V4l2Syscalls> syscalls, std::string path, V4l2CaptureType capture);
  Result AskControl(std::uint32_t id, V4l2ControlInfo& out, const V4l2ControlInfo* known) const;
  void AskMenu(V4l2ControlInfo& info) const;

  std::shared_ptr<V4l2Syscalls> syscalls_;
  std::string path_;
  const V4l2CaptureType capture_;
  int fd_ = -1;
  Result openResult_ = kOk;

  std::mutex controlsMutex_;
  std::map<std::uint32_t, std::optional<V4l2ControlInfo>> controls_;  // nullopt: the driver lacks it
};

}  // namespace tavelo::platform::v4l2
