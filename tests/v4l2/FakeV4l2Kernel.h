#pragma once

// A fake Video4Linux2 kernel behind the backend's syscall seam, behaving as uvcvideo does where the
// backend depends on it:
// - controls with QUERYCTRL / QUERY_EXT_CTRL (and NEXT_CTRL), QUERYMENU with gaps, G_CTRL / S_CTRL;
//   integer writes clamped to the range and rounded to the step, menu writes outside the range ERANGE
//   and missing items EINVAL, read-only writes and write-only reads EACCES;
// - value controls inactive while their automatic companion is on (exposure, white balance temperature,
//   focus, hue, gain, brightness), with writes to them refused with EACCES (or EIO on an older kernel);
// - formats with ENUM_FMT / ENUM_FRAMESIZES / ENUM_FRAMEINTERVALS, G/S_FMT and G/S_PARM, EBUSY while
//   another program streams;
// - mmap streaming (REQBUFS / QUERYBUF / QBUF / DQBUF / STREAMON / STREAMOFF, poll) at the format's rate;
// - multi-planar nodes (FakeCameraModel::multiPlanar): the same requests through `fmt.pix_mp` and one-entry
//   `m.planes` arrays, the single-planar buffer type refused with EINVAL; formats of several planes
//   (NV12M) are listed and can be set, but only one-plane formats stream;
// - a capture node and a metadata-only node per camera, udev's by-id and by-path links;
// - unplugging: every call then fails with ENODEV and poll reports an error, at once or after a given
//   number of ioctls;
// - control events: SUBSCRIBE_EVENT / UNSUBSCRIBE_EVENT / DQEVENT of V4L2_EVENT_CTRL per descriptor, one
//   merged event per control as the kernel keeps them; a change made through one descriptor reaches the
//   others only, a change "from another program" (SetValue) reaches them all, and a master's change also
//   reports its slave (whose INACTIVE flag moved). EventSource answers an eventfd per descriptor that is
//   readable while events are pending, and once the camera is unplugged.
// Every call answers -1 with errno set, like the kernel. Calls are logged for the tests to read.
//
// The nodes and links are real files in a temporary directory of the kernel's own, so the backend's
// directory scan and link resolution run unchanged.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/v4l2/FakeCameraModel.h"
#include "camera/platform/v4l2/V4l2Syscalls.h"

namespace tavelo::v4l2test {

class FakeV4l2Kernel;

// A plugged-in camera, for the test to reach into.
class FakeCamera {
 public:
  const std::string& Node() const { return node_; }            // e.g. <dir>/video0
  const std::string& MetadataNode() const { return metaNode_; }  // empty when the camera has none

  void Unplug();
  // The camera disappears when the n-th ioctl from now reaches it (that ioctl already fails).
  void VanishAfterIoctls(int count);
  // The camera disappears when the first `request` ioctl reaches it (that ioctl already fails): pulled
  // out between being listed and being used, whatever listing it took.
  void VanishAtRequest(unsigned long request);
  // open() of the capture node answers `err` (0 lets it open again).
  void DenyOpen(int err);
  // Another program streams from the camera: S_FMT, S_PARM, REQBUFS and STREAMON answer EBUSY.
  void SetStreamingElsewhere(bool streaming);
  // The next `times` ioctls of this request answer `err` (for control ioctls: only those on `controlId`
  // when it is not 0).
  void FailNext(unsigned long request, int err, int times = 1, std::uint32_t controlId = 0);
  // An older kernel: writes to inactive controls reach the camera, which refuses them (EIO).
  void SetOlderKernel(bool older);

  std::int32_t Value(std::uint32_t controlId) const;
  // Another program (or the camera itself, in automatic mode) changed a control; subscribers hear of it.
  void SetValue(std::uint32_t controlId, std::int32_t value);
  // Control event subscriptions held on this camera's descriptors.
  std::size_t EventSubscriptions() const;
  bool IsStreaming() const;
  std::uint32_t FramesDelivered() const;

 private:
  friend class FakeV4l2Kernel;
  FakeCamera(FakeV4l2Kernel& kernel, std::size_t index) : kernel_(kernel), index_(index) {}
  FakeV4l2Kernel& kernel_;
  std::size_t index_;
  std::string node_;
  std::string metaNode_;
};

// One logged ioctl.
struct IoctlRecord {
  int fd = -1;
  unsigned long request = 0;
  std::uint32_t controlId = 0;  // control ioctls
  std::int32_t value = 0;       // S_CTRL
  int err = 0;                  // 0: succeeded
};

class FakeV4l2Kernel final : public platform::v4l2::V4l2Syscalls {
 public:
  FakeV4l2Kernel();
  ~FakeV4l2Kernel() override;
  FakeV4l2Kernel(const FakeV4l2Kernel&) = delete;
  FakeV4l2Kernel& operator=(const FakeV4l2Kernel&) = delete;

  // The directory holding the nodes (videoN) and v4l/by-id, v4l/by-path.
  std::string DeviceDirectory() const { return directory_.string(); }

  // Creates the camera's nodes (the capture node at the next free number, the metadata node after it)
  // and its links.
  FakeCamera& Plug(const FakeCameraModel& model);
  // A node (at the next free number) that is no video device at all: QUERYCAP answers ENOTTY.
  std::string AddForeignNode();

  // The syscalls.
  int Open(const char* path, int flags) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  void* Mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset) override;
  int Munmap(void* address, std::size_t length) override;
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;
  EventWait EventSource(int fd) override;

  // What happened.
  std::vector<IoctlRecord> Log() const;
  // The control ioctls of the log in the form "S_CTRL exposure_auto=1", "G_CTRL brightness",
  // "QUERYMENU exposure_auto", with " -> EACCES" appended to failed ones. Other ioctls by name ("S_FMT").
  std::vector<std::string> LogText() const;
  void ClearLog();
  // Every control read (G_CTRL, G_EXT_CTRLS) takes this long before it is answered, as a USB camera's
  // round trip does; the other calls answer at once. Zero by default.
  void SetControlReadDelay(std::chrono::microseconds delay) { controlReadDelayUs_ = delay.count(); }
  int OpenDescriptors() const;
  int LiveMappings() const;

  static std::string RequestName(unsigned long request);
  static std::string ErrnoName(int err);

 private:
  friend class FakeCamera;
  struct Buffer;
  struct Camera;
  struct Descriptor {
    std::size_t camera = 0;
    bool metadata = false;
  };
  struct ControlEvent {
    std::uint32_t control = 0;
    std::uint32_t changes = 0;  // V4L2_EVENT_CTRL_CH_*
  };
  // A descriptor's subscriptions and what is pending for it.
  struct EventQueue {
    std::vector<std::uint32_t> controls;
    std::deque<ControlEvent> pending;
    int eventFd = -1;  // made when asked for (EventSource)
  };

  int Fail(int err) const;
  int HandleIoctl(int fd, const Descriptor& descriptor, unsigned long request, void* argument,
                  std::uint32_t controlId);
  int ControlIoctl(Camera& camera, unsigned long request, void* argument);
  int FormatIoctl(Camera& camera, bool metadata, unsigned long request, void* argument);
  int StreamIoctl(Camera& camera, int fd, unsigned long request, void* argument);
  int EventIoctl(Camera& camera, int fd, unsigned long request, void* argument);
  // Tells every descriptor of the camera subscribed to `control` (but `exceptFd`) that it changed.
  void QueueControlEventLocked(std::size_t camera, std::uint32_t control, std::uint32_t changes, int exceptFd);
  void SignalEventsLocked(EventQueue& queue) const;
  void UnplugLocked(Camera& camera);
  void StopStreamingLocked(Camera& camera);
  bool FrameDueLocked(const Camera& camera) const;
  // The JPEG a motion-JPEG frame carries; empty for every other format.
  const std::vector<std::uint8_t>& JpegFrameLocked(Camera& camera) const;
  std::string ControlName(std::uint32_t id) const;

  std::filesystem::path directory_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Camera>> cameras_;
  std::vector<std::unique_ptr<FakeCamera>> handles_;
  std::map<std::string, std::size_t> nodes_;      // node path -> camera (+ metadata flag below)
  std::map<std::string, bool> metadataNodes_;
  std::map<int, Descriptor> descriptors_;
  std::map<int, EventQueue> events_;  // by descriptor
  std::map<void*, std::size_t> mappings_;       // address -> length
  std::vector<IoctlRecord> log_;
  int nextFd_ = 100;
  std::uint32_t nextEventSequence_ = 0;
  std::atomic<std::int64_t> controlReadDelayUs_{0};  // read outside the lock: the wait must not hold it
  unsigned nextNode_ = 0;
};

}  // namespace tavelo::v4l2test
