#include "camera/platform/v4l2/V4l2Streamer.h"

#include <sys/mman.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::platform::v4l2 {
namespace {

class FrameSample final : public IMediaSample {
 public:
  FrameSample(const void* data, std::size_t length, double time)
      : data_(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + length), time_(time) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IMediaSample>(this, iid, out);
  }
  const std::uint8_t* Data() const override { return data_.data(); }
  std::int32_t ActualDataLength() const override { return static_cast<std::int32_t>(data_.size()); }
  double SampleTime() const override { return time_; }

 private:
  std::vector<std::uint8_t> data_;
  double time_;
};

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

V4l2Streamer::V4l2Streamer(std::shared_ptr<V4l2Device> device) : device_(std::move(device)) {}

V4l2Streamer::~V4l2Streamer() { Stop(); }

bool V4l2Streamer::IsStreaming() const {
  std::lock_guard lock(mutex_);
  return streaming_;
}

Result V4l2Streamer::Start(std::shared_ptr<IFrameSink> sink) {
  if (!sink) return kNullPointer;
  std::lock_guard lock(mutex_);
  if (streaming_ && threadRunning_) return kErrorWrongState;
  StopLocked();  // a stream that ended by itself (the camera went) still holds its buffers

  v4l2_requestbuffers request{};
  request.count = kBufferCount;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  if (const Result r = device_->Request(VIDIOC_REQBUFS, &request); Failed(r)) return r;
  if (request.count == 0) return ResultFromErrno(ENOMEM);

  for (std::uint32_t index = 0; index < request.count; ++index) {
    v4l2_buffer buffer{};
    buffer.index = index;
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    Result r = device_->Request(VIDIOC_QUERYBUF, &buffer);
    if (Succeeded(r)) {
      void* start = device_->Syscalls().Mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, device_->Fd(),
                                             static_cast<off_t>(buffer.m.offset));
      if (start == MAP_FAILED) r = ResultFromIoctlFailure(errno);
      else buffers_.push_back({start, buffer.length});
    }
    if (Succeeded(r)) r = device_->Request(VIDIOC_QBUF, &buffer);
    if (Failed(r)) {
      ReleaseBuffers();
      return r;
    }
  }

  int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (const Result r = device_->Request(VIDIOC_STREAMON, &type); Failed(r)) {
    ReleaseBuffers();
    return r;
  }
  streaming_ = true;
  stopRequested_ = false;
  threadRunning_ = true;
  thread_ = std::thread(&V4l2Streamer::Run, this, std::move(sink));
  return kOk;
}

Result V4l2Streamer::Stop() {
  std::lock_guard lock(mutex_);
  if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) return kErrorWrongState;
  StopLocked();
  return kOk;
}

void V4l2Streamer::StopLocked() {
  if (!streaming_) return;
  stopRequested_ = true;
  if (thread_.joinable()) thread_.join();

  // A camera that has gone answers ENODEV here; its buffers are freed all the same.
  int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  device_->Request(VIDIOC_STREAMOFF, &type);
  ReleaseBuffers();
  streaming_ = false;
}

void V4l2Streamer::ReleaseBuffers() {
  for (const MappedBuffer& buffer : buffers_) device_->Syscalls().Munmap(buffer.start, buffer.length);
  buffers_.clear();
  v4l2_requestbuffers release{};
  release.count = 0;
  release.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  release.memory = V4L2_MEMORY_MMAP;
  device_->Request(VIDIOC_REQBUFS, &release);
}

void V4l2Streamer::Run(std::shared_ptr<IFrameSink> sink) {
  bool haveBase = false;
  double baseSeconds = 0;
  while (!stopRequested_) {
    pollfd descriptor{};
    descriptor.fd = device_->Fd();
    descriptor.events = POLLIN;
    const int ready = device_->Syscalls().Poll(&descriptor, 1, kPollTimeoutMs);
    if (ready < 0) break;
    if (ready == 0) continue;
    const bool broken = (descriptor.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    if (!DeliverOneFrame(*sink, haveBase, baseSeconds) || (broken && (descriptor.revents & POLLIN) == 0)) break;
  }
  threadRunning_ = false;
}

bool V4l2Streamer::DeliverOneFrame(IFrameSink& sink, bool& haveBase, double& baseSeconds) {
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
    if (!haveBase) {
      baseSeconds = stamp;
      haveBase = true;
    }
    const std::size_t length = std::min<std::size_t>(buffer.bytesused, buffers_[buffer.index].length);
    auto sample = std::make_shared<FrameSample>(buffers_[buffer.index].start, length, stamp - baseSeconds);
    try {
      sink.Receive(sample);
    } catch (...) {
      // A sink's failure must not end the program from this thread; the frame is dropped.
    }
  }
  return Succeeded(device_->Request(VIDIOC_QBUF, &buffer));
}

}  // namespace tavelo::platform::v4l2
