#include "tests/v4l2/FakeV4l2Kernel.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "camera/platform/common/JpegCodec.h"

namespace tavelo::v4l2test {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Master/slave pairs: the value control is inactive unless its master holds a manual value. A slave
// with several rules follows the first master the camera has: sensor drivers tie EXPOSURE to the
// EXPOSURE_AUTO menu when they have one, else to AUTOGAIN (one cluster with gain).
struct MasterRule {
  std::uint32_t slave;
  std::uint32_t master;
  bool exposureMenu;  // manual = manual mode or shutter priority; otherwise manual = 0
};
constexpr MasterRule kMasterRules[] = {
    {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO, true},
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE, false},
    {V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO, false},
    {V4L2_CID_HUE, V4L2_CID_HUE_AUTO, false},
    {V4L2_CID_GAIN, V4L2_CID_AUTOGAIN, false},
    {V4L2_CID_BRIGHTNESS, V4L2_CID_AUTOBRIGHTNESS, false},
    {V4L2_CID_EXPOSURE, V4L2_CID_EXPOSURE_AUTO, true},
    {V4L2_CID_EXPOSURE, V4L2_CID_AUTOGAIN, false},
};

bool MasterIsManual(const MasterRule& rule, std::int32_t masterValue) {
  if (rule.exposureMenu) return masterValue == V4L2_EXPOSURE_MANUAL || masterValue == V4L2_EXPOSURE_SHUTTER_PRIORITY;
  return masterValue == 0;
}

bool IsCompressed(std::uint32_t pixelFormat) {
  return pixelFormat == V4L2_PIX_FMT_MJPEG || pixelFormat == V4L2_PIX_FMT_JPEG || pixelFormat == V4L2_PIX_FMT_H264;
}

std::uint32_t BytesPerLine(std::uint32_t pixelFormat, std::uint32_t width) {
  switch (pixelFormat) {
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_UYVY: return width * 2;
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420: return width;
    case V4L2_PIX_FMT_BGR24: return width * 3;
    case V4L2_PIX_FMT_BGR32:
    case V4L2_PIX_FMT_XBGR32: return width * 4;
    default: return 0;
  }
}

std::uint32_t SizeImage(std::uint32_t pixelFormat, std::uint32_t width, std::uint32_t height) {
  switch (pixelFormat) {
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420: return width * height * 3 / 2;
    case V4L2_PIX_FMT_BGR24: return width * height * 3;
    case V4L2_PIX_FMT_BGR32:
    case V4L2_PIX_FMT_XBGR32: return width * height * 4;
    default: return width * height * 2;  // YUYV, and uvcvideo's buffer size for compressed formats
  }
}

// How a format lays out in memory: one plane for every single-planar format, two or three for the
// multi-plane ones (NV12M keeps luma and chroma in separate buffers).
struct PlaneLayout {
  std::uint32_t bytesPerLine;
  std::uint32_t sizeImage;
};
std::vector<PlaneLayout> Planes(std::uint32_t pixelFormat, std::uint32_t width, std::uint32_t height) {
  switch (pixelFormat) {
    case V4L2_PIX_FMT_NV12M: return {{width, width * height}, {width, width * height / 2}};
    case V4L2_PIX_FMT_YUV420M:
      return {{width, width * height}, {width / 2, width * height / 4}, {width / 2, width * height / 4}};
    default: return {{BytesPerLine(pixelFormat, width), SizeImage(pixelFormat, width, height)}};
  }
}

bool IsEventRequest(unsigned long request) {
  return request == VIDIOC_SUBSCRIBE_EVENT || request == VIDIOC_UNSUBSCRIBE_EVENT || request == VIDIOC_DQEVENT;
}

bool IsControlRequest(unsigned long request) {
  return request == VIDIOC_QUERYCTRL || request == VIDIOC_QUERY_EXT_CTRL || request == VIDIOC_QUERYMENU ||
         request == VIDIOC_G_CTRL || request == VIDIOC_S_CTRL;
}

// The control id an ioctl is about (before it is handled).
std::uint32_t ControlIdOf(unsigned long request, const void* argument) {
  if (request == VIDIOC_QUERYCTRL) return static_cast<const v4l2_queryctrl*>(argument)->id;
  if (request == VIDIOC_QUERY_EXT_CTRL) return static_cast<const v4l2_query_ext_ctrl*>(argument)->id;
  if (request == VIDIOC_QUERYMENU) return static_cast<const v4l2_querymenu*>(argument)->id;
  if (request == VIDIOC_G_CTRL || request == VIDIOC_S_CTRL) return static_cast<const v4l2_control*>(argument)->id;
  if (request == VIDIOC_SUBSCRIBE_EVENT || request == VIDIOC_UNSUBSCRIBE_EVENT)
    return static_cast<const v4l2_event_subscription*>(argument)->id;
  return 0;
}

double Seconds(v4l2_fract interval) {
  return interval.denominator == 0 ? 1.0 / 30 : static_cast<double>(interval.numerator) / interval.denominator;
}

void CopyName(char* target, std::size_t size, const std::string& name) {
  std::memset(target, 0, size);
  std::memcpy(target, name.data(), std::min(size - 1, name.size()));
}

// What the fake writes ahead of the picture in a plane with a data offset.
constexpr std::uint8_t kHeaderByte = 0xEE;

}  // namespace

struct FakeV4l2Kernel::Buffer {
  std::vector<std::uint8_t> memory;
  std::uint32_t offset = 0;
  int mapped = 0;
};

struct FakeV4l2Kernel::Camera {
  FakeCameraModel model;
  bool foreign = false;  // not a V4L2 device
  bool gone = false;
  int denyOpenErr = 0;
  bool streamingElsewhere = false;
  bool olderKernel = false;
  int vanishCountdown = 0;
  unsigned long vanishAtRequest = 0;
  struct PendingFailure {
    unsigned long request;
    int err;
    int times;
    std::uint32_t controlId;
  };
  std::vector<PendingFailure> failures;
  std::vector<fs::path> files;

  // The current format.
  std::uint32_t pixelFormat = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  v4l2_fract interval{0, 0};

  // Streaming.
  std::vector<Buffer> buffers;
  std::deque<std::uint32_t> queue;  // buffers handed to the driver, in order
  int owner = -1;                   // the descriptor that holds the buffers
  bool streaming = false;
  Clock::time_point nextFrame;
  std::uint32_t sequence = 0;
  // Motion-JPEG frames are a real JPEG of the current size, made once per size: the backend decodes what
  // a camera sends, and a frame of filler bytes would not decode.
  std::vector<std::uint8_t> jpeg;
  std::uint32_t jpegWidth = 0;
  std::uint32_t jpegHeight = 0;

  FakeControl* Control(std::uint32_t id) {
    for (FakeControl& control : model.controls)
      if (control.id == id && (control.flags & V4L2_CTRL_FLAG_DISABLED) == 0) return &control;
    return nullptr;
  }
  // The rule that decides a slave's state: the first whose master the camera has.
  const MasterRule* GoverningRule(std::uint32_t slave) {
    for (const MasterRule& rule : kMasterRules)
      if (rule.slave == slave && Control(rule.master) != nullptr) return &rule;
    return nullptr;
  }
  bool Inactive(std::uint32_t id) {
    const MasterRule* rule = GoverningRule(id);
    return rule != nullptr && !MasterIsManual(*rule, Control(rule->master)->value);
  }
  // The one buffer type the node takes; the other one is refused, as real drivers do.
  std::uint32_t BufferType() const {
    return model.multiPlanar ? V4L2_BUF_TYPE_VIDEO_CAPTURE_MPLANE : V4L2_BUF_TYPE_VIDEO_CAPTURE;
  }
  // A multi-planar buffer record carries the plane array it is answered in.
  bool PlanesMissing(const v4l2_buffer& buffer) const {
    return model.multiPlanar && (buffer.m.planes == nullptr || buffer.length < 1);
  }
  std::uint32_t DataOffset() const { return model.multiPlanar ? model.planeDataOffset : 0u; }
  // G_FMT's and S_FMT's answer, through the interface the node has.
  void AnswerFormat(v4l2_format& format, std::uint32_t code, std::uint32_t width, std::uint32_t height) const {
    std::memset(&format.fmt, 0, sizeof format.fmt);
    const std::vector<PlaneLayout> planes = Planes(code, width, height);
    if (!model.multiPlanar) {
      format.fmt.pix.width = width;
      format.fmt.pix.height = height;
      format.fmt.pix.pixelformat = code;
      format.fmt.pix.field = V4L2_FIELD_NONE;
      format.fmt.pix.bytesperline = planes.front().bytesPerLine;
      format.fmt.pix.sizeimage = planes.front().sizeImage;
      format.fmt.pix.colorspace = V4L2_COLORSPACE_SRGB;
      return;
    }
    v4l2_pix_format_mplane& pix = format.fmt.pix_mp;
    pix.width = width;
    pix.height = height;
    pix.pixelformat = code;
    pix.field = V4L2_FIELD_NONE;
    pix.colorspace = V4L2_COLORSPACE_SRGB;
    pix.num_planes = static_cast<std::uint8_t>(planes.size());
    for (std::size_t i = 0; i < planes.size(); ++i) {
      pix.plane_fmt[i].bytesperline = planes[i].bytesPerLine;
      pix.plane_fmt[i].sizeimage = planes[i].sizeImage;
    }
  }
  // Where a buffer is mapped from and how long it is; `bytes` of picture in it (DQBUF).
  void DescribeBuffer(v4l2_buffer& buffer, const Buffer& stored, std::uint32_t bytes) const {
    const auto length = static_cast<std::uint32_t>(stored.memory.size());
    if (!model.multiPlanar) {
      buffer.length = length;
      buffer.m.offset = stored.offset;
      buffer.bytesused = bytes;
      return;
    }
    v4l2_plane& plane = buffer.m.planes[0];
    plane = v4l2_plane{};
    plane.length = length;
    plane.m.mem_offset = stored.offset;
    plane.data_offset = DataOffset();
    plane.bytesused = bytes == 0 ? 0 : DataOffset() + bytes;  // counts the bytes ahead of the picture
    buffer.length = 1;  // planes in the array
    buffer.bytesused = 0;
  }
  const FakeFormat* Format(std::uint32_t code) const {
    for (const FakeFormat& format : model.formats)
      if (format.pixelFormat == code) return &format;
    return nullptr;
  }
};

// ---- FakeCamera ---------------------------------------------------------------------------------------

void FakeCamera::Unplug() {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.UnplugLocked(*kernel_.cameras_[index_]);
}

void FakeCamera::VanishAfterIoctls(int count) {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.cameras_[index_]->vanishCountdown = count;
}

void FakeCamera::VanishAtRequest(unsigned long request) {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.cameras_[index_]->vanishAtRequest = request;
}

void FakeCamera::DenyOpen(int err) {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.cameras_[index_]->denyOpenErr = err;
}

void FakeCamera::SetStreamingElsewhere(bool streaming) {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.cameras_[index_]->streamingElsewhere = streaming;
}

void FakeCamera::FailNext(unsigned long request, int err, int times, std::uint32_t controlId) {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.cameras_[index_]->failures.push_back({request, err, times, controlId});
}

void FakeCamera::SetOlderKernel(bool older) {
  std::lock_guard lock(kernel_.mutex_);
  kernel_.cameras_[index_]->olderKernel = older;
}

std::int32_t FakeCamera::Value(std::uint32_t controlId) const {
  std::lock_guard lock(kernel_.mutex_);
  const FakeControl* control = kernel_.cameras_[index_]->Control(controlId);
  if (control == nullptr) throw std::logic_error("the fake camera has no control " + std::to_string(controlId));
  return control->value;
}

void FakeCamera::SetValue(std::uint32_t controlId, std::int32_t value) {
  std::lock_guard lock(kernel_.mutex_);
  FakeControl* control = kernel_.cameras_[index_]->Control(controlId);
  if (control == nullptr) throw std::logic_error("the fake camera has no control " + std::to_string(controlId));
  control->value = value;
  kernel_.QueueControlEventLocked(index_, controlId, V4L2_EVENT_CTRL_CH_VALUE, -1);
}

std::size_t FakeCamera::EventSubscriptions() const {
  std::lock_guard lock(kernel_.mutex_);
  std::size_t count = 0;
  for (const auto& [fd, queue] : kernel_.events_) {
    const auto descriptor = kernel_.descriptors_.find(fd);
    if (descriptor != kernel_.descriptors_.end() && descriptor->second.camera == index_)
      count += queue.controls.size();
  }
  return count;
}

bool FakeCamera::IsStreaming() const {
  std::lock_guard lock(kernel_.mutex_);
  return kernel_.cameras_[index_]->streaming;
}

std::uint32_t FakeCamera::FramesDelivered() const {
  std::lock_guard lock(kernel_.mutex_);
  return kernel_.cameras_[index_]->sequence;
}

// ---- The kernel ---------------------------------------------------------------------------------------

FakeV4l2Kernel::FakeV4l2Kernel() {
  std::string pattern = (fs::temp_directory_path() / "tavelo-fake-v4l2-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
  directory_ = pattern;
  fs::create_directories(directory_ / "v4l" / "by-id");
  fs::create_directories(directory_ / "v4l" / "by-path");
}

FakeV4l2Kernel::~FakeV4l2Kernel() {
  for (const auto& [fd, queue] : events_)
    if (queue.eventFd >= 0) ::close(queue.eventFd);
  std::error_code error;
  fs::remove_all(directory_, error);
}

FakeCamera& FakeV4l2Kernel::Plug(const FakeCameraModel& model) {
  std::lock_guard lock(mutex_);
  auto camera = std::make_unique<Camera>();
  camera->model = model;
  if (!model.formats.empty()) {
    const FakeFormat& first = model.formats.front();
    camera->pixelFormat = first.pixelFormat;
    if (!first.sizes.empty()) {
      camera->width = first.sizes.front().width;
      camera->height = first.sizes.front().height;
      if (!first.sizes.front().intervals.empty()) camera->interval = first.sizes.front().intervals.front();
    } else if (first.sizeRange) {
      camera->width = first.sizeRange->max_width;
      camera->height = first.sizeRange->max_height;
    }
    if (first.intervalRange) camera->interval = first.intervalRange->min;
  }

  const std::size_t index = cameras_.size();
  auto handle = std::unique_ptr<FakeCamera>(new FakeCamera(*this, index));
  const fs::path node = directory_ / ("video" + std::to_string(nextNode_++));
  std::ofstream(node).put('\n');
  camera->files.push_back(node);
  nodes_[node.string()] = index;
  handle->node_ = node.string();
  const auto link = [&](const char* kind, const std::string& name, const fs::path& target) {
    if (name.empty()) return;
    const fs::path path = directory_ / "v4l" / kind / name;
    // udev points a name two devices share (twins without a serial number) at the newer one.
    fs::remove(path);
    fs::create_symlink(fs::path("../..") / target.filename(), path);
    camera->files.push_back(path);
  };
  link("by-id", model.byIdName, node);
  link("by-path", model.byPathName, node);

  if (model.metadataNode) {
    const fs::path meta = directory_ / ("video" + std::to_string(nextNode_++));
    std::ofstream(meta).put('\n');
    camera->files.push_back(meta);
    nodes_[meta.string()] = index;
    metadataNodes_[meta.string()] = true;
    handle->metaNode_ = meta.string();
    const auto metaName = [](std::string name) {
      const auto at = name.rfind("index0");
      if (at != std::string::npos) name.replace(at, 6, "index1");
      return name;
    };
    link("by-id", metaName(model.byIdName), meta);
    link("by-path", metaName(model.byPathName), meta);
  }
  cameras_.push_back(std::move(camera));
  handles_.push_back(std::move(handle));
  return *handles_.back();
}

std::string FakeV4l2Kernel::AddForeignNode() {
  std::lock_guard lock(mutex_);
  auto camera = std::make_unique<Camera>();
  camera->foreign = true;
  const fs::path node = directory_ / ("video" + std::to_string(nextNode_++));
  std::ofstream(node).put('\n');
  camera->files.push_back(node);
  nodes_[node.string()] = cameras_.size();
  cameras_.push_back(std::move(camera));
  handles_.push_back(std::unique_ptr<FakeCamera>(new FakeCamera(*this, cameras_.size() - 1)));
  return node.string();
}

int FakeV4l2Kernel::Fail(int err) const {
  errno = err;
  return -1;
}

int FakeV4l2Kernel::Open(const char* path, int) {
  std::lock_guard lock(mutex_);
  const auto node = nodes_.find(fs::path(path).lexically_normal().string());
  if (node == nodes_.end()) return Fail(ENOENT);
  Camera& camera = *cameras_[node->second];
  if (camera.gone) return Fail(ENOENT);
  const bool metadata = metadataNodes_.count(node->first) != 0;
  if (!metadata && camera.denyOpenErr != 0) return Fail(camera.denyOpenErr);
  const int fd = nextFd_++;
  descriptors_[fd] = Descriptor{node->second, metadata};
  return fd;
}

int FakeV4l2Kernel::Close(int fd) {
  std::lock_guard lock(mutex_);
  const auto it = descriptors_.find(fd);
  if (it == descriptors_.end()) return Fail(EBADF);
  Camera& camera = *cameras_[it->second.camera];
  if (camera.owner == fd) {
    // Closing the owner ends the stream; the buffers go once they are no longer mapped.
    StopStreamingLocked(camera);
    camera.owner = -1;
    const bool mapped = std::any_of(camera.buffers.begin(), camera.buffers.end(),
                                    [](const Buffer& buffer) { return buffer.mapped > 0; });
    if (!mapped) camera.buffers.clear();
  }
  if (const auto queue = events_.find(fd); queue != events_.end()) {
    if (queue->second.eventFd >= 0) ::close(queue->second.eventFd);
    events_.erase(queue);
  }
  descriptors_.erase(it);
  return 0;
}

void FakeV4l2Kernel::UnplugLocked(Camera& camera) {
  if (camera.gone) return;
  camera.gone = true;
  camera.streaming = false;
  std::error_code error;
  for (const fs::path& file : camera.files) fs::remove(file, error);
  // A waiting event loop wakes and learns from DQEVENT that the camera has gone.
  for (auto& [fd, queue] : events_) {
    const auto descriptor = descriptors_.find(fd);
    if (descriptor != descriptors_.end() && cameras_[descriptor->second.camera].get() == &camera)
      SignalEventsLocked(queue);
  }
  changed_.notify_all();
}

void FakeV4l2Kernel::SignalEventsLocked(EventQueue& queue) const {
  if (queue.eventFd < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(queue.eventFd, &one, sizeof one);
}

void FakeV4l2Kernel::QueueControlEventLocked(std::size_t camera, std::uint32_t control, std::uint32_t changes,
                                             int exceptFd) {
  // A master's change moves its slave's INACTIVE flag: the slave's subscribers hear of that too.
  std::vector<ControlEvent> reported{{control, changes}};
  for (const MasterRule& rule : kMasterRules)
    if (rule.master == control && cameras_[camera]->GoverningRule(rule.slave) == &rule)
      reported.push_back({rule.slave, V4L2_EVENT_CTRL_CH_FLAGS});
  for (auto& [fd, queue] : events_) {
    if (fd == exceptFd) continue;
    const auto descriptor = descriptors_.find(fd);
    if (descriptor == descriptors_.end() || descriptor->second.camera != camera) continue;
    bool added = false;
    for (const ControlEvent& event : reported) {
      if (std::find(queue.controls.begin(), queue.controls.end(), event.control) == queue.controls.end()) continue;
      // As the kernel: one event per control waits, carrying every kind of change since it was queued.
      const auto waiting = std::find_if(queue.pending.begin(), queue.pending.end(),
                                        [&](const ControlEvent& e) { return e.control == event.control; });
      if (waiting != queue.pending.end()) {
        waiting->changes |= event.changes;
      } else {
        queue.pending.push_back(event);
        added = true;
      }
    }
    if (added) SignalEventsLocked(queue);
  }
}

platform::v4l2::V4l2Syscalls::EventWait FakeV4l2Kernel::EventSource(int fd) {
  std::lock_guard lock(mutex_);
  if (descriptors_.count(fd) == 0) return {-1, 0};
  EventQueue& queue = events_[fd];
  if (queue.eventFd < 0) {
    queue.eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!queue.pending.empty() || cameras_[descriptors_[fd].camera]->gone) SignalEventsLocked(queue);
  }
  return {queue.eventFd, POLLIN};
}

int FakeV4l2Kernel::EventIoctl(Camera& camera, int fd, unsigned long request, void* argument) {
  switch (request) {
    case VIDIOC_SUBSCRIBE_EVENT: {
      const auto* subscription = static_cast<const v4l2_event_subscription*>(argument);
      if (subscription->type != V4L2_EVENT_CTRL || camera.Control(subscription->id) == nullptr) return Fail(EINVAL);
      std::vector<std::uint32_t>& controls = events_[fd].controls;
      if (std::find(controls.begin(), controls.end(), subscription->id) == controls.end())
        controls.push_back(subscription->id);
      return 0;
    }
    case VIDIOC_UNSUBSCRIBE_EVENT: {
      const auto* subscription = static_cast<const v4l2_event_subscription*>(argument);
      EventQueue& queue = events_[fd];
      const auto matches = [&](std::uint32_t control) {
        return subscription->type == V4L2_EVENT_ALL || control == subscription->id;
      };
      std::erase_if(queue.controls, matches);
      std::erase_if(queue.pending, [&](const ControlEvent& event) { return matches(event.control); });
      return 0;
    }
    case VIDIOC_DQEVENT: {
      EventQueue& queue = events_[fd];
      if (queue.pending.empty()) return Fail(ENOENT);
      const ControlEvent event = queue.pending.front();
      queue.pending.pop_front();
      auto* out = static_cast<v4l2_event*>(argument);
      std::memset(out, 0, sizeof *out);
      out->type = V4L2_EVENT_CTRL;
      out->id = event.control;
      out->u.ctrl.changes = event.changes;
      if (const FakeControl* control = camera.Control(event.control)) {
        out->u.ctrl.type = control->type;
        out->u.ctrl.value = control->value;
        out->u.ctrl.flags = control->flags | (camera.Inactive(control->id) ? V4L2_CTRL_FLAG_INACTIVE : 0u);
        out->u.ctrl.minimum = static_cast<std::int32_t>(control->minimum);
        out->u.ctrl.maximum = static_cast<std::int32_t>(control->maximum);
        out->u.ctrl.step = static_cast<std::int32_t>(control->step);
        out->u.ctrl.default_value = static_cast<std::int32_t>(control->defaultValue);
      }
      out->pending = static_cast<std::uint32_t>(queue.pending.size());
      out->sequence = nextEventSequence_++;
      if (queue.pending.empty() && queue.eventFd >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t drained = ::read(queue.eventFd, &count, sizeof count);
      }
      return 0;
    }
    default: return Fail(ENOTTY);
  }
}

void FakeV4l2Kernel::StopStreamingLocked(Camera& camera) {
  camera.streaming = false;
  camera.queue.clear();
}

bool FakeV4l2Kernel::FrameDueLocked(const Camera& camera) const {
  return camera.streaming && !camera.queue.empty() && Clock::now() >= camera.nextFrame;
}

const std::vector<std::uint8_t>& FakeV4l2Kernel::JpegFrameLocked(Camera& camera) const {
  const bool jpeg = camera.pixelFormat == V4L2_PIX_FMT_MJPEG || camera.pixelFormat == V4L2_PIX_FMT_JPEG;
  if (!jpeg) {
    static const std::vector<std::uint8_t> none;
    return none;
  }
  if (camera.jpegWidth != camera.width || camera.jpegHeight != camera.height) {
    // A diagonal ramp, so a decoded frame is no flat fill a broken decode could also give.
    std::vector<std::uint8_t> rgb(std::size_t{camera.width} * camera.height * 3);
    for (std::uint32_t y = 0; y < camera.height; ++y) {
      for (std::uint32_t x = 0; x < camera.width; ++x) {
        std::uint8_t* pixel = &rgb[(std::size_t{y} * camera.width + x) * 3];
        pixel[0] = static_cast<std::uint8_t>(x * 255 / std::max(1u, camera.width - 1));
        pixel[1] = static_cast<std::uint8_t>(y * 255 / std::max(1u, camera.height - 1));
        pixel[2] = 128;
      }
    }
    camera.jpeg.clear();
    if (!platform::EncodeJpegRgb(rgb.data(), static_cast<int>(camera.width), static_cast<int>(camera.height), 80,
                                 camera.jpeg)) {
      camera.jpeg.clear();
    }
    camera.jpegWidth = camera.width;
    camera.jpegHeight = camera.height;
  }
  return camera.jpeg;
}

int FakeV4l2Kernel::Ioctl(int fd, unsigned long request, void* argument) {
  if (request == VIDIOC_G_CTRL || request == VIDIOC_G_EXT_CTRLS) {
    const std::int64_t delay = controlReadDelayUs_.load();
    if (delay > 0) std::this_thread::sleep_for(std::chrono::microseconds(delay));
  }
  std::lock_guard lock(mutex_);
  IoctlRecord record;
  record.fd = fd;
  record.request = request;
  record.controlId = ControlIdOf(request, argument);
  if (request == VIDIOC_S_CTRL) record.value = static_cast<const v4l2_control*>(argument)->value;

  const auto it = descriptors_.find(fd);
  int result;
  if (it == descriptors_.end()) {
    errno = EBADF;
    result = -1;
  } else {
    result = HandleIoctl(fd, it->second, request, argument, record.controlId);
  }
  const int err = result == 0 ? 0 : errno;
  record.err = err;
  log_.push_back(record);
  errno = err;
  return result;
}

int FakeV4l2Kernel::HandleIoctl(int fd, const Descriptor& descriptor, unsigned long request, void* argument,
                                std::uint32_t controlId) {
  Camera& camera = *cameras_[descriptor.camera];
  if (camera.vanishCountdown > 0 && --camera.vanishCountdown == 0) UnplugLocked(camera);
  if (camera.vanishAtRequest != 0 && camera.vanishAtRequest == request) UnplugLocked(camera);
  if (camera.gone) return Fail(ENODEV);
  if (camera.foreign) return Fail(ENOTTY);

  for (auto failure = camera.failures.begin(); failure != camera.failures.end(); ++failure) {
    if (failure->request != request) continue;
    if (failure->controlId != 0 && failure->controlId != controlId) continue;
    const int err = failure->err;
    if (--failure->times <= 0) camera.failures.erase(failure);
    return Fail(err);
  }

  if (request == VIDIOC_QUERYCAP) {
    auto* capability = static_cast<v4l2_capability*>(argument);
    std::memset(capability, 0, sizeof *capability);
    CopyName(reinterpret_cast<char*>(capability->driver), sizeof capability->driver, camera.model.driver);
    CopyName(reinterpret_cast<char*>(capability->card), sizeof capability->card, camera.model.card);
    CopyName(reinterpret_cast<char*>(capability->bus_info), sizeof capability->bus_info, camera.model.busInfo);
    capability->version = 0x060100;
    // As uvcvideo: the device's capabilities cover both nodes; device_caps tells the node's own.
    const std::uint32_t video = camera.model.multiPlanar ? V4L2_CAP_VIDEO_CAPTURE_MPLANE : V4L2_CAP_VIDEO_CAPTURE;
    capability->capabilities = V4L2_CAP_DEVICE_CAPS | V4L2_CAP_STREAMING | video |
                               (camera.model.metadataNode ? V4L2_CAP_META_CAPTURE : 0);
    capability->device_caps = descriptor.metadata ? V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING
                                                  : video | V4L2_CAP_STREAMING;
    return 0;
  }
  if (IsControlRequest(request)) {
    if (descriptor.metadata) return Fail(ENOTTY);  // uvcvideo's metadata node has no control ioctls
    const int result = ControlIoctl(camera, request, argument);
    if (result == 0 && request == VIDIOC_S_CTRL)
      QueueControlEventLocked(descriptor.camera, controlId, V4L2_EVENT_CTRL_CH_VALUE, fd);
    return result;
  }
  if (IsEventRequest(request)) {
    if (descriptor.metadata) return Fail(ENOTTY);
    return EventIoctl(camera, fd, request, argument);
  }
  switch (request) {
    case VIDIOC_ENUM_FMT:
    case VIDIOC_ENUM_FRAMESIZES:
    case VIDIOC_ENUM_FRAMEINTERVALS:
    case VIDIOC_G_FMT:
    case VIDIOC_S_FMT:
    case VIDIOC_TRY_FMT:
    case VIDIOC_G_PARM:
    case VIDIOC_S_PARM: return FormatIoctl(camera, descriptor.metadata, request, argument);
    case VIDIOC_REQBUFS:
    case VIDIOC_QUERYBUF:
    case VIDIOC_QBUF:
    case VIDIOC_DQBUF:
    case VIDIOC_STREAMON:
    case VIDIOC_STREAMOFF:
      if (descriptor.metadata) return Fail(EINVAL);
      return StreamIoctl(camera, fd, request, argument);
    default: return Fail(ENOTTY);
  }
}

int FakeV4l2Kernel::ControlIoctl(Camera& camera, unsigned long request, void* argument) {
  const auto flagsOf = [&](const FakeControl& control) {
    return control.flags | (camera.Inactive(control.id) ? V4L2_CTRL_FLAG_INACTIVE : 0u);
  };
  // NEXT_CTRL asks for the first control after the given id.
  const auto find = [&](std::uint32_t id) -> FakeControl* {
    if ((id & V4L2_CTRL_FLAG_NEXT_CTRL) == 0) return camera.Control(id);
    const std::uint32_t after = id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
    FakeControl* best = nullptr;
    for (FakeControl& control : camera.model.controls)
      if ((control.flags & V4L2_CTRL_FLAG_DISABLED) == 0 && control.id > after && (best == nullptr || control.id < best->id))
        best = &control;
    return best;
  };

  switch (request) {
    case VIDIOC_QUERYCTRL: {
      auto* query = static_cast<v4l2_queryctrl*>(argument);
      FakeControl* control = find(query->id);
      if (control == nullptr) return Fail(EINVAL);
      std::memset(query, 0, sizeof *query);
      query->id = control->id;
      query->type = control->type;
      CopyName(reinterpret_cast<char*>(query->name), sizeof query->name, control->name);
      query->minimum = static_cast<std::int32_t>(control->minimum);
      query->maximum = static_cast<std::int32_t>(control->maximum);
      query->step = static_cast<std::int32_t>(control->step);
      query->default_value = static_cast<std::int32_t>(control->defaultValue);
      query->flags = flagsOf(*control);
      return 0;
    }
    case VIDIOC_QUERY_EXT_CTRL: {
      auto* query = static_cast<v4l2_query_ext_ctrl*>(argument);
      FakeControl* control = find(query->id);
      if (control == nullptr) return Fail(EINVAL);
      std::memset(query, 0, sizeof *query);
      query->id = control->id;
      query->type = control->type;
      CopyName(query->name, sizeof query->name, control->name);
      query->minimum = control->minimum;
      query->maximum = control->maximum;
      query->step = control->step;
      query->default_value = control->defaultValue;
      query->flags = flagsOf(*control);
      query->elem_size = 4;
      query->elems = 1;
      return 0;
    }
    case VIDIOC_QUERYMENU: {
      auto* item = static_cast<v4l2_querymenu*>(argument);
      FakeControl* control = camera.Control(item->id);
      if (control == nullptr ||
          (control->type != V4L2_CTRL_TYPE_MENU && control->type != V4L2_CTRL_TYPE_INTEGER_MENU))
        return Fail(EINVAL);
      const auto entry = control->menu.find(item->index);
      if (entry == control->menu.end()) return Fail(EINVAL);
      const std::uint32_t index = item->index;
      std::memset(item, 0, sizeof *item);
      item->id = control->id;
      item->index = index;
      // An integer menu's items are numbers, which share the name's bytes in the kernel's record.
      if (control->type == V4L2_CTRL_TYPE_INTEGER_MENU)
        item->value = std::stoll(entry->second);
      else
        CopyName(reinterpret_cast<char*>(item->name), sizeof item->name, entry->second);
      return 0;
    }
    case VIDIOC_G_CTRL: {
      auto* value = static_cast<v4l2_control*>(argument);
      FakeControl* control = camera.Control(value->id);
      if (control == nullptr) return Fail(EINVAL);
      if ((control->flags & V4L2_CTRL_FLAG_WRITE_ONLY) != 0) return Fail(EACCES);
      value->value = control->value;
      return 0;
    }
    case VIDIOC_S_CTRL: {
      auto* value = static_cast<v4l2_control*>(argument);
      FakeControl* control = camera.Control(value->id);
      if (control == nullptr) return Fail(EINVAL);
      if ((control->flags & V4L2_CTRL_FLAG_READ_ONLY) != 0) return Fail(EACCES);
      if (camera.Inactive(control->id)) return Fail(camera.olderKernel ? EIO : EACCES);
      std::int64_t wanted = value->value;
      switch (control->type) {
        case V4L2_CTRL_TYPE_MENU:
        case V4L2_CTRL_TYPE_INTEGER_MENU:
          if (wanted < control->minimum || wanted > control->maximum) return Fail(ERANGE);
          if (control->menu.count(static_cast<std::uint32_t>(wanted)) == 0) return Fail(EINVAL);
          break;
        case V4L2_CTRL_TYPE_BOOLEAN: wanted = std::clamp<std::int64_t>(wanted, 0, 1); break;
        default: {
          const std::int64_t step = control->step == 0 ? 1 : static_cast<std::int64_t>(control->step);
          wanted = std::clamp(wanted, control->minimum, control->maximum);
          wanted = control->minimum + (wanted - control->minimum + step / 2) / step * step;
          wanted = std::clamp(wanted, control->minimum, control->maximum);
          break;
        }
      }
      control->value = static_cast<std::int32_t>(wanted);
      value->value = control->value;
      return 0;
    }
    default: return Fail(ENOTTY);
  }
}

int FakeV4l2Kernel::FormatIoctl(Camera& camera, bool metadata, unsigned long request, void* argument) {
  // The metadata node speaks only its own buffer type; video requests fail there.
  if (metadata) return Fail(EINVAL);

  switch (request) {
    case VIDIOC_ENUM_FMT: {
      auto* description = static_cast<v4l2_fmtdesc*>(argument);
      if (description->type != camera.BufferType()) return Fail(EINVAL);
      if (description->index >= camera.model.formats.size()) return Fail(EINVAL);
      const FakeFormat& format = camera.model.formats[description->index];
      description->pixelformat = format.pixelFormat;
      description->flags = IsCompressed(format.pixelFormat) ? V4L2_FMT_FLAG_COMPRESSED : 0;
      CopyName(reinterpret_cast<char*>(description->description), sizeof description->description, format.description);
      return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
      auto* size = static_cast<v4l2_frmsizeenum*>(argument);
      const FakeFormat* format = camera.Format(size->pixel_format);
      if (format == nullptr) return Fail(EINVAL);
      if (format->sizeRange) {
        if (size->index != 0) return Fail(EINVAL);
        size->type = format->continuousSizes ? V4L2_FRMSIZE_TYPE_CONTINUOUS : V4L2_FRMSIZE_TYPE_STEPWISE;
        size->stepwise = *format->sizeRange;
        return 0;
      }
      if (size->index >= format->sizes.size()) return Fail(EINVAL);
      size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
      size->discrete.width = format->sizes[size->index].width;
      size->discrete.height = format->sizes[size->index].height;
      return 0;
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
      auto* interval = static_cast<v4l2_frmivalenum*>(argument);
      const FakeFormat* format = camera.Format(interval->pixel_format);
      if (format == nullptr) return Fail(EINVAL);
      const FakeFrameSize* size = nullptr;
      for (const FakeFrameSize& candidate : format->sizes)
        if (candidate.width == interval->width && candidate.height == interval->height) size = &candidate;
      const bool inRange = format->sizeRange && interval->width >= format->sizeRange->min_width &&
                           interval->width <= format->sizeRange->max_width &&
                           interval->height >= format->sizeRange->min_height &&
                           interval->height <= format->sizeRange->max_height;
      if (size == nullptr && !inRange) return Fail(EINVAL);
      if (format->intervalRange) {
        if (interval->index != 0) return Fail(EINVAL);
        interval->type = format->continuousIntervals ? V4L2_FRMIVAL_TYPE_CONTINUOUS : V4L2_FRMIVAL_TYPE_STEPWISE;
        interval->stepwise = *format->intervalRange;
        return 0;
      }
      if (size == nullptr || interval->index >= size->intervals.size()) return Fail(EINVAL);
      interval->type = V4L2_FRMIVAL_TYPE_DISCRETE;
      interval->discrete = size->intervals[interval->index];
      return 0;
    }
    case VIDIOC_G_FMT: {
      auto* format = static_cast<v4l2_format*>(argument);
      if (format->type != camera.BufferType()) return Fail(EINVAL);
      camera.AnswerFormat(*format, camera.pixelFormat, camera.width, camera.height);
      return 0;
    }
    case VIDIOC_S_FMT:
    case VIDIOC_TRY_FMT: {
      auto* format = static_cast<v4l2_format*>(argument);
      if (format->type != camera.BufferType()) return Fail(EINVAL);
      if (request == VIDIOC_S_FMT && (camera.streamingElsewhere || !camera.buffers.empty())) return Fail(EBUSY);
      // Like uvcvideo: an unknown pixel format becomes the first one, the size the nearest offered.
      const bool planes = camera.model.multiPlanar;
      const FakeFormat* chosen = camera.Format(planes ? format->fmt.pix_mp.pixelformat : format->fmt.pix.pixelformat);
      if (chosen == nullptr) chosen = &camera.model.formats.front();
      std::uint32_t width = planes ? format->fmt.pix_mp.width : format->fmt.pix.width;
      std::uint32_t height = planes ? format->fmt.pix_mp.height : format->fmt.pix.height;
      const FakeFrameSize* size = nullptr;
      if (!chosen->sizes.empty()) {
        std::int64_t best = -1;
        for (const FakeFrameSize& candidate : chosen->sizes) {
          const std::int64_t distance = std::llabs(static_cast<std::int64_t>(candidate.width) * candidate.height -
                                                   static_cast<std::int64_t>(width) * height);
          if (best < 0 || distance < best) {
            best = distance;
            size = &candidate;
          }
        }
        width = size->width;
        height = size->height;
      } else if (chosen->sizeRange) {
        width = std::clamp(width, chosen->sizeRange->min_width, chosen->sizeRange->max_width);
        height = std::clamp(height, chosen->sizeRange->min_height, chosen->sizeRange->max_height);
      }
      camera.AnswerFormat(*format, chosen->pixelFormat, width, height);
      if (request == VIDIOC_S_FMT) {
        camera.pixelFormat = chosen->pixelFormat;
        camera.width = width;
        camera.height = height;
        if (size != nullptr && !size->intervals.empty()) camera.interval = size->intervals.front();
        else if (chosen->intervalRange) camera.interval = chosen->intervalRange->min;
      }
      return 0;
    }
    case VIDIOC_G_PARM: {
      auto* parameters = static_cast<v4l2_streamparm*>(argument);
      if (parameters->type != camera.BufferType()) return Fail(EINVAL);
      std::memset(&parameters->parm, 0, sizeof parameters->parm);
      parameters->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
      parameters->parm.capture.timeperframe = camera.interval;
      parameters->parm.capture.readbuffers = 0;
      return 0;
    }
    case VIDIOC_S_PARM: {
      auto* parameters = static_cast<v4l2_streamparm*>(argument);
      if (parameters->type != camera.BufferType()) return Fail(EINVAL);
      if (camera.streamingElsewhere || camera.streaming) return Fail(EBUSY);
      // The nearest interval the current size offers.
      const FakeFormat* format = camera.Format(camera.pixelFormat);
      v4l2_fract wanted = parameters->parm.capture.timeperframe;
      if (wanted.denominator == 0) wanted = camera.interval;
      v4l2_fract chosen = camera.interval;
      if (format != nullptr) {
        double best = -1;
        for (const FakeFrameSize& size : format->sizes) {
          if (size.width != camera.width || size.height != camera.height) continue;
          for (const v4l2_fract& interval : size.intervals) {
            const double distance = std::abs(Seconds(interval) - Seconds(wanted));
            if (best < 0 || distance < best) {
              best = distance;
              chosen = interval;
            }
          }
        }
        if (format->intervalRange) chosen = wanted;
      }
      camera.interval = chosen;
      std::memset(&parameters->parm, 0, sizeof parameters->parm);
      parameters->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
      parameters->parm.capture.timeperframe = chosen;
      return 0;
    }
    default: return Fail(ENOTTY);
  }
}

int FakeV4l2Kernel::StreamIoctl(Camera& camera, int fd, unsigned long request, void* argument) {
  switch (request) {
    case VIDIOC_REQBUFS: {
      auto* buffers = static_cast<v4l2_requestbuffers*>(argument);
      if (buffers->type != camera.BufferType() || buffers->memory != V4L2_MEMORY_MMAP) return Fail(EINVAL);
      if (camera.streamingElsewhere) return Fail(EBUSY);
      if (camera.owner != -1 && camera.owner != fd) return Fail(EBUSY);
      const bool mapped = std::any_of(camera.buffers.begin(), camera.buffers.end(),
                                      [](const Buffer& buffer) { return buffer.mapped > 0; });
      if (mapped) return Fail(EBUSY);  // as videobuf2: buffers cannot be freed while mapped
      StopStreamingLocked(camera);
      camera.buffers.clear();
      camera.owner = -1;
      if (buffers->count == 0) return 0;
      // This fake keeps one memory block per buffer: it streams one-plane formats only.
      if (Planes(camera.pixelFormat, camera.width, camera.height).size() != 1) return Fail(EINVAL);
      const std::uint32_t count = std::clamp<std::uint32_t>(buffers->count, 2, 8);
      const std::uint32_t length = camera.DataOffset() + SizeImage(camera.pixelFormat, camera.width, camera.height);
      camera.buffers.resize(count);
      for (std::uint32_t index = 0; index < count; ++index) {
        camera.buffers[index].memory.assign(length, 0);
        camera.buffers[index].offset = index * 0x1000000u;
      }
      camera.owner = fd;
      buffers->count = count;
      return 0;
    }
    case VIDIOC_QUERYBUF:
    case VIDIOC_QBUF: {
      auto* buffer = static_cast<v4l2_buffer*>(argument);
      if (camera.owner != fd) return Fail(EBUSY);
      if (buffer->type != camera.BufferType() || buffer->memory != V4L2_MEMORY_MMAP) return Fail(EINVAL);
      if (camera.PlanesMissing(*buffer) || buffer->index >= camera.buffers.size()) return Fail(EINVAL);
      const bool queued =
          std::find(camera.queue.begin(), camera.queue.end(), buffer->index) != camera.queue.end();
      if (request == VIDIOC_QBUF) {
        if (queued) return Fail(EINVAL);
        camera.queue.push_back(buffer->index);
        changed_.notify_all();
        return 0;
      }
      const Buffer& stored = camera.buffers[buffer->index];
      camera.DescribeBuffer(*buffer, stored, 0);
      buffer->flags = (stored.mapped > 0 ? V4L2_BUF_FLAG_MAPPED : 0u) | (queued ? V4L2_BUF_FLAG_QUEUED : 0u);
      return 0;
    }
    case VIDIOC_DQBUF: {
      auto* buffer = static_cast<v4l2_buffer*>(argument);
      if (camera.owner != fd) return Fail(EBUSY);
      if (buffer->type != camera.BufferType() || camera.PlanesMissing(*buffer)) return Fail(EINVAL);
      if (!camera.streaming) return Fail(EINVAL);
      if (!FrameDueLocked(camera)) return Fail(EAGAIN);
      const std::uint32_t index = camera.queue.front();
      camera.queue.pop_front();
      Buffer& stored = camera.buffers[index];
      // Whatever a driver puts ahead of the picture (multi-planar data_offset) is no picture: marked so.
      const std::uint32_t offset = camera.DataOffset();
      std::fill(stored.memory.begin(), stored.memory.begin() + offset, kHeaderByte);
      const auto picture = stored.memory.begin() + offset;
      const auto capacity = static_cast<std::uint32_t>(stored.memory.size() - offset);
      auto bytes = IsCompressed(camera.pixelFormat) ? capacity / 4 : capacity;
      const std::vector<std::uint8_t>& jpeg = JpegFrameLocked(camera);
      if (!jpeg.empty() && jpeg.size() <= capacity) {
        bytes = static_cast<std::uint32_t>(jpeg.size());
        std::copy(jpeg.begin(), jpeg.end(), picture);
      } else {
        std::fill(picture, picture + bytes, static_cast<std::uint8_t>(camera.sequence));
      }
      const auto now = Clock::now();
      const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
      buffer->index = index;
      buffer->sequence = camera.sequence++;
      buffer->field = V4L2_FIELD_NONE;
      buffer->timestamp.tv_sec = micros / 1000000;
      buffer->timestamp.tv_usec = micros % 1000000;
      buffer->flags = V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_DONE | V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
      camera.DescribeBuffer(*buffer, stored, bytes);
      const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(Seconds(camera.interval)));
      camera.nextFrame = std::max(camera.nextFrame + period, now);
      return 0;
    }
    case VIDIOC_STREAMON:
    case VIDIOC_STREAMOFF: {
      const auto type = static_cast<std::uint32_t>(*static_cast<const int*>(argument));
      if (type != camera.BufferType()) return Fail(EINVAL);
      if (request == VIDIOC_STREAMON) {
        if (camera.streamingElsewhere) return Fail(EBUSY);
        if (camera.owner != fd || camera.buffers.empty()) return Fail(EINVAL);
        if (!camera.streaming) {
          camera.streaming = true;
          camera.nextFrame = Clock::now();
        }
        changed_.notify_all();
        return 0;
      }
      if (camera.owner != fd) return Fail(EBUSY);
      StopStreamingLocked(camera);
      return 0;
    }
    default: return Fail(ENOTTY);
  }
}

void* FakeV4l2Kernel::Mmap(void*, std::size_t length, int, int flags, int fd, off_t offset) {
  std::lock_guard lock(mutex_);
  const auto it = descriptors_.find(fd);
  if (it == descriptors_.end()) {
    errno = EBADF;
    return MAP_FAILED;
  }
  Camera& camera = *cameras_[it->second.camera];
  if (camera.gone) {
    errno = ENODEV;
    return MAP_FAILED;
  }
  if ((flags & MAP_SHARED) == 0) {
    errno = EINVAL;
    return MAP_FAILED;
  }
  for (Buffer& buffer : camera.buffers) {
    if (buffer.offset != static_cast<std::uint32_t>(offset) || length > buffer.memory.size()) continue;
    ++buffer.mapped;
    mappings_[buffer.memory.data()] = length;
    return buffer.memory.data();
  }
  errno = EINVAL;
  return MAP_FAILED;
}

int FakeV4l2Kernel::Munmap(void* address, std::size_t length) {
  std::lock_guard lock(mutex_);
  const auto mapping = mappings_.find(address);
  if (mapping == mappings_.end() || mapping->second != length) return Fail(EINVAL);
  mappings_.erase(mapping);
  for (auto& camera : cameras_)
    for (Buffer& buffer : camera->buffers)
      if (buffer.memory.data() == address) --buffer.mapped;
  return 0;
}

int FakeV4l2Kernel::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 3600000 : timeoutMs);
  for (;;) {
    int ready = 0;
    auto wakeAt = deadline;
    for (nfds_t i = 0; i < count; ++i) {
      fds[i].revents = 0;
      const auto it = descriptors_.find(fds[i].fd);
      if (it == descriptors_.end()) {
        fds[i].revents = POLLNVAL;
      } else {
        const Camera& camera = *cameras_[it->second.camera];
        if (camera.gone) fds[i].revents = POLLERR | POLLHUP;
        else if (camera.owner != fds[i].fd || !camera.streaming) fds[i].revents = POLLERR;  // as videobuf2
        else if (FrameDueLocked(camera)) fds[i].revents = fds[i].events & POLLIN;
        else if (!camera.queue.empty()) wakeAt = std::min(wakeAt, camera.nextFrame);
      }
      if (fds[i].revents != 0) ++ready;
    }
    if (ready > 0) return ready;
    if (Clock::now() >= deadline) return 0;
    changed_.wait_until(lock, wakeAt);
  }
}

std::vector<IoctlRecord> FakeV4l2Kernel::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void FakeV4l2Kernel::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

int FakeV4l2Kernel::OpenDescriptors() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(descriptors_.size());
}

int FakeV4l2Kernel::LiveMappings() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(mappings_.size());
}

std::string FakeV4l2Kernel::ControlName(std::uint32_t id) const {
  for (const auto& camera : cameras_)
    if (const FakeControl* control = camera->model.FindControl(id)) return control->name;
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", id);
  return text;
}

std::vector<std::string> FakeV4l2Kernel::LogText() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> lines;
  for (const IoctlRecord& record : log_) {
    std::string line = RequestName(record.request);
    if (IsControlRequest(record.request)) line += " " + ControlName(record.controlId);
    if (record.request == VIDIOC_S_CTRL) line += "=" + std::to_string(record.value);
    if (record.err != 0) line += " -> " + ErrnoName(record.err);
    lines.push_back(line);
  }
  return lines;
}

std::string FakeV4l2Kernel::RequestName(unsigned long request) {
  static const std::map<unsigned long, std::string> kNames = {
      {VIDIOC_QUERYCAP, "QUERYCAP"},         {VIDIOC_QUERYCTRL, "QUERYCTRL"},
      {VIDIOC_QUERY_EXT_CTRL, "QUERY_EXT_CTRL"}, {VIDIOC_QUERYMENU, "QUERYMENU"},
      {VIDIOC_G_CTRL, "G_CTRL"},             {VIDIOC_S_CTRL, "S_CTRL"},
      {VIDIOC_G_EXT_CTRLS, "G_EXT_CTRLS"},   {VIDIOC_S_EXT_CTRLS, "S_EXT_CTRLS"},
      {VIDIOC_ENUM_FMT, "ENUM_FMT"},         {VIDIOC_ENUM_FRAMESIZES, "ENUM_FRAMESIZES"},
      {VIDIOC_ENUM_FRAMEINTERVALS, "ENUM_FRAMEINTERVALS"},
      {VIDIOC_G_FMT, "G_FMT"},               {VIDIOC_S_FMT, "S_FMT"},
      {VIDIOC_TRY_FMT, "TRY_FMT"},           {VIDIOC_G_PARM, "G_PARM"},
      {VIDIOC_S_PARM, "S_PARM"},             {VIDIOC_REQBUFS, "REQBUFS"},
      {VIDIOC_QUERYBUF, "QUERYBUF"},         {VIDIOC_QBUF, "QBUF"},
      {VIDIOC_DQBUF, "DQBUF"},               {VIDIOC_STREAMON, "STREAMON"},
      {VIDIOC_STREAMOFF, "STREAMOFF"},       {VIDIOC_SUBSCRIBE_EVENT, "SUBSCRIBE_EVENT"},
      {VIDIOC_UNSUBSCRIBE_EVENT, "UNSUBSCRIBE_EVENT"}, {VIDIOC_DQEVENT, "DQEVENT"}};
  const auto it = kNames.find(request);
  return it == kNames.end() ? "ioctl " + std::to_string(request) : it->second;
}

std::string FakeV4l2Kernel::ErrnoName(int err) {
  static const std::map<int, std::string> kNames = {
      {EINVAL, "EINVAL"}, {EACCES, "EACCES"}, {EBUSY, "EBUSY"},   {ENODEV, "ENODEV"}, {EIO, "EIO"},
      {ERANGE, "ERANGE"}, {EAGAIN, "EAGAIN"}, {ENOTTY, "ENOTTY"}, {EBADF, "EBADF"},   {ENOENT, "ENOENT"}};
  const auto it = kNames.find(err);
  return it == kNames.end() ? "errno " + std::to_string(err) : it->second;
}

}  // namespace tavelo::v4l2test
