#include "camera/platform/v4l2/V4l2Streamer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

#include "camera/platform/common/FrameSample.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::platform::v4l2 {
namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The driver's side of one stream: its buffers, mapped, and whether it is switched on. Whoever holds it
// last ends it (the work once it returns, or Prepare when setting up fails half-way).
class MappedStream {
 public:
  explicit MappedStream(std::shared_ptr<V4l2Device> device) : device_(std::move(device)) {}
  ~MappedStream();
  MappedStream(const MappedStream&) = delete;
  MappedStream& operator=(const MappedStream&) = delete;

  Result Begin();
  void Deliver(IFrameSink& sink, StreamingThread::Control& control);

 private:
  struct MappedBuffer {
    void* start = nullptr;
    std::size_t length = 0;
  };

  Result MapBuffer(std::uint32_t index);
  // False when the stream has to end (device gone, buffer lost).
  bool DeliverOneFrame(IFrameSink& sink);

  const std::shared_ptr<V4l2Device> device_;
  std::vector<MappedBuffer> buffers_;
  bool requested_ = false;
  bool on_ = false;
  bool haveBase_ = false;
  double baseSeconds_ = 0;
};

MappedStream::~MappedStream() {
  // A camera that has gone answers ENODEV here; its buffers are freed all the same.
  if (on_) {
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    device_->Request(VIDIOC_STREAMOFF, &type);
  }
  if (!requested_) return;
  for (const MappedBuffer& buffer : buffers_) device_->Syscalls().Munmap(buffer.start, buffer.length);
  v4l2_requestbuffers release{};
  release.count = 0;
  release.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  release.memory = V4L2_MEMORY_MMAP;
  device_->Request(VIDIOC_REQBUFS, &release);
}

Result MappedStream::Begin() {
  v4l2_requestbuffers request{};
  request.count = kStreamBufferCount;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  if (const Result r = device_->Request(VIDIOC_REQBUFS, &request); Failed(r)) return r;
  if (request.count == 0) return ResultFromErrno(ENOMEM);
  requested_ = true;
  for (std::uint32_t index = 0; index < request.count; ++index) {
    if (const Result r = MapBuffer(index); Failed(r)) return r;
  }
  int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (const Result r = device_->Request(VIDIOC_STREAMON, &type); Failed(r)) return r;
  on_ = true;
  return kOk;
}

Result MappedStream::MapBuffer(std::uint32_t index) {
  v4l2_buffer buffer{};
  buffer.index = index;
  buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  buffer.memory = V4L2_MEMORY_MMAP;
  if (const Result r = device_->Request(VIDIOC_QUERYBUF, &buffer); Failed(r)) return r;
  void* start = device_->Syscalls().Mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, device_->Fd(),
                                         static_cast<off_t>(buffer.m.offset));
  if (start == MAP_FAILED) return ResultFromIoctlFailure(errno);
  buffers_.push_back({start, buffer.length});
  return device_->Request(VIDIOC_QBUF, &buffer);
}

void MappedStream::Deliver(IFrameSink& sink, StreamingThread::Control& control) {
  while (!control.StopRequested()) {
    pollfd descriptor{};
    descriptor.fd = device_->Fd();
    descriptor.events = POLLIN;
    const int ready = device_->Syscalls().Poll(&descriptor, 1, kStreamPollTimeoutMs);
    if (ready < 0) return;
    if (ready == 0) continue;
    const bool broken = (descriptor.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    if (!DeliverOneFrame(sink) || (broken && (descriptor.revents & POLLIN) == 0)) return;
  }
}

bool MappedStream::DeliverOneFrame(IFrameSink& sink) {
  v4l2_buffer buffer{};
  buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  buffer.memory = V4L2_MEMORY_MMAP;
  int err = 0;
  if (Failed(device_->Request(VIDIOC_DQBUF, &buffer, &err))) return err == EAGAIN;
  if (buffer.index >= buffers_.size()) return false;

  if ((buffer.flags & V4L2_BUF_FLAG_ERROR) == 0 && buffer.bytesused > 0) {
    const double stamp = buffer.timestamp.tv_sec != 0 || buffer.timestamp.tv_usec != 0
                             ? static_cast<double>(buffer.timestamp.tv_sec) + buffer.timestamp.tv_usec / 1e6
                             : SteadySeconds();
    if (!haveBase_) {
      baseSeconds_ = stamp;
      haveBase_ = true;
    }
    // The one copy of the frame: the buffer goes back to the driver right after.
    const auto* start = static_cast<const std::uint8_t*>(buffers_[buffer.index].start);
    const std::size_t length = std::min<std::size_t>(buffer.bytesused, buffers_[buffer.index].length);
    DeliverFrame(sink, std::vector<std::uint8_t>(start, start + length), stamp - baseSeconds_);
  }
  return Succeeded(device_->Request(VIDIOC_QBUF, &buffer));
}

}  // namespace

Result PrepareV4l2Stream(std::shared_ptr<V4l2Device> device, std::shared_ptr<IFrameSink> sink,
                         StreamingThread::Work& work) {
  auto stream = std::make_shared<MappedStream>(std::move(device));
  if (const Result r = stream->Begin(); Failed(r)) return r;
  work = [stream, sink](StreamingThread::Control& control) { stream->Deliver(*sink, control); };
  return kOk;
}

}  // namespace tavelo::platform::v4l2
