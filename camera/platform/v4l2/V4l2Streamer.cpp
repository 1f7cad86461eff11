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
  const V4l2CaptureType& capture = device_->Capture();
  if (on_) {
    int type = capture.bufferType;
    device_->Request(VIDIOC_STREAMOFF, &type);
  }
  if (!requested_) return;
  for (const MappedBuffer& buffer : buffers_) device_->Syscalls().Munmap(buffer.start, buffer.length);
  v4l2_requestbuffers release = capture.BufferCountRequest(0);
  device_->Request(VIDIOC_REQBUFS, &release);
}

Result MappedStream::Begin() {
  const V4l2CaptureType& capture = device_->Capture();
  v4l2_requestbuffers request = capture.BufferCountRequest(kStreamBufferCount);
  if (const Result r = device_->Request(VIDIOC_REQBUFS, &request); Failed(r)) return r;
  if (request.count == 0) return ResultFromErrno(ENOMEM);
  requested_ = true;
  for (std::uint32_t index = 0; index < request.count; ++index) {
    if (const Result r = MapBuffer(index); Failed(r)) return r;
  }
  int type = capture.bufferType;
  if (const Result r = device_->Request(VIDIOC_STREAMON, &type); Failed(r)) return r;
  on_ = true;
  return kOk;
}

Result MappedStream::MapBuffer(std::uint32_t index) {
  V4l2BufferRecord buffer(device_->Capture(), index);
  if (const Result r = device_->Request(VIDIOC_QUERYBUF, buffer.Request()); Failed(r)) return r;
  void* start = device_->Syscalls().Mmap(nullptr, buffer.MapLength(), PROT_READ | PROT_WRITE, MAP_SHARED,
                                         device_->Fd(), static_cast<off_t>(buffer.MapOffset()));
  if (start == MAP_FAILED) return ResultFromIoctlFailure(errno);
  buffers_.push_back({start, buffer.MapLength()});
  return device_->Request(VIDIOC_QBUF, buffer.Request());
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
  V4l2BufferRecord record(device_->Capture());
  int err = 0;
  if (Failed(device_->Request(VIDIOC_DQBUF, record.Request(), &err))) return err == EAGAIN;
  const v4l2_buffer& buffer = record.Buffer();
  if (buffer.index >= buffers_.size()) return false;

  const MappedBuffer& mapped = buffers_[buffer.index];
  const std::size_t offset = record.DataOffset();
  if ((buffer.flags & V4L2_BUF_FLAG_ERROR) == 0 && record.DataLength() > 0 && offset < mapped.length) {
    const double stamp = buffer.timestamp.tv_sec != 0 || buffer.timestamp.tv_usec != 0
                             ? static_cast<double>(buffer.timestamp.tv_sec) + buffer.timestamp.tv_usec / 1e6
                             : SteadySeconds();
    if (!haveBase_) {
      baseSeconds_ = stamp;
      haveBase_ = true;
    }
    // The one copy of the frame: the buffer goes back to the driver right after.
    const auto* start = static_cast<const std::uint8_t*>(mapped.start) + offset;
    const std::size_t length = std::min<std::size_t>(record.DataLength(), mapped.length - offset);
    DeliverFrame(sink, std::vector<std::uint8_t>(start, start + length), stamp - baseSeconds_);
  }
  return Succeeded(device_->Request(VIDIOC_QBUF, record.Request()));
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
