#include "camera/platform/media/CaptureFileWriter.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "camera/platform/common/MediaErrorText.h"

namespace tavelo::platform::media {
namespace {

constexpr int kIoBufferSize = 64 * 1024;
// Room kept free for the index: what the containers write per packet at most, plus their headers.
constexpr std::int64_t kIndexBytesPerPacket = 32;
constexpr std::int64_t kIndexBase = 256 * 1024;

int WriteCallback(void* opaque, std::uint8_t* data, int size) {
  return static_cast<FileOutput*>(opaque)->Write(data, size);
}

std::int64_t SeekCallback(void* opaque, std::int64_t offset, int whence) {
  return static_cast<FileOutput*>(opaque)->Seek(offset, whence);
}

std::string TemporaryPathFor(const std::string& target) { return target + ".partial"; }

}  // namespace

// The FFmpeg side of one file: the output, its I/O context and the muxer's context.
struct CaptureFileWriter::Container {
  std::unique_ptr<FileOutput> output;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  std::uint64_t packets = 0;

  ~Container() {
    if (format != nullptr) avformat_free_context(format);
    if (io != nullptr) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

CaptureFileWriter::CaptureFileWriter(std::string target, std::string muxer, FileOutputOpener opener,
                                     WriterLimits limits)
    : target_(std::move(target)),
      temporary_(TemporaryPathFor(target_)),
      muxer_(std::move(muxer)),
      opener_(std::move(opener)),
      limits_(limits) {}

CaptureFileWriter::~CaptureFileWriter() { Finish(); }

Result CaptureFileWriter::Start(const std::vector<StreamDescription>& tracks) {
  auto container = std::make_unique<Container>();
  int error = 0;
  container->output = opener_(temporary_, error);
  if (container->output == nullptr) {
    Fail(kErrorFileWrite, "Cannot create " + temporary_ + ": " + AvErrorText(error));
    return kErrorFileWrite;
  }
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
  container->io = buffer == nullptr ? nullptr
                                    : avio_alloc_context(buffer, kIoBufferSize, 1, container->output.get(), nullptr,
                                                         WriteCallback, SeekCallback);
  if (container->io == nullptr) av_free(buffer);
  if (container->io == nullptr ||
      avformat_alloc_output_context2(&container->format, nullptr, muxer_.c_str(), nullptr) < 0) {
    container->output->Close();
    ::unlink(temporary_.c_str());
    Fail(kOutOfMemory, "Out of memory");
    return kOutOfMemory;
  }
  container->format->pb = container->io;
  container->format->flags |= AVFMT_FLAG_CUSTOM_IO;
  // Both streams arrive as they happen, so a second is plenty to interleave them; a sound source that
  // stops must not make the muxer hold the pictures back (raw HD video fills memory fast).
  container->format->max_interleave_delta = AV_TIME_BASE;
  for (const StreamDescription& track : tracks) {
    AVStream* stream = avformat_new_stream(container->format, nullptr);
    if (stream == nullptr) {
      container->output->Close();
      ::unlink(temporary_.c_str());
      return kOutOfMemory;
    }
    FillCodecParameters(track, *stream->codecpar);
    stream->time_base = track.timeBase;
    if (track.kind == AVMEDIA_TYPE_VIDEO) stream->avg_frame_rate = av_inv_q(track.timeBase);
    trackTimeBases_.push_back(track.timeBase);
    trackKinds_.push_back(track.kind);
  }
  const int reserved = container->output->Reserve(kIndexBase);
  const int written = reserved < 0 ? reserved : avformat_write_header(container->format, nullptr);
  if (written < 0) {
    container->output->Close();
    ::unlink(temporary_.c_str());
    const Result code = written == AVERROR(ENOSPC) ? kErrorDiskFull : kErrorFileWrite;
    Fail(code, "Cannot start " + target_ + ": " + AvErrorText(written));
    return code;
  }
  container_ = std::move(container);
  {
    std::lock_guard lock(mutex_);
    progress_ = CaptureFileProgress{};
    progress_.recording = true;
    stopped_ = false;
    started_ = true;
  }
  thread_ = std::thread([this] { Run(); });
  return kOk;
}

void CaptureFileWriter::Push(int track, std::shared_ptr<IMediaSample> sample, std::int64_t pts,
                             std::int64_t duration) {
  const auto bytes = static_cast<std::size_t>(std::max(sample->ActualDataLength(), 0));
  {
    std::lock_guard lock(mutex_);
    const bool full = queue_.size() >= limits_.queuedPackets ||
                      (!queue_.empty() && queuedBytes_ + bytes > limits_.queuedBytes);
    if (!started_ || finishing_ || stopped_ || full) {
      ++progress_.dropped;
      return;
    }
    queuedBytes_ += bytes;
    queue_.push_back({track, std::move(sample), pts, duration});
  }
  wake_.notify_one();
}

void CaptureFileWriter::Run() {
  for (;;) {
    Packet packet;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty() || finishing_; });
      if (queue_.empty()) return;
      packet = std::move(queue_.front());
      queue_.pop_front();
      queuedBytes_ -= static_cast<std::size_t>(std::max(packet.sample->ActualDataLength(), 0));
      if (stopped_) {
        ++progress_.dropped;
        continue;
      }
    }
    WritePacket(packet);
  }
}

void CaptureFileWriter::WritePacket(const Packet& packet) {
  Container& container = *container_;
  const int size = std::max(packet.sample->ActualDataLength(), 0);
  const std::int64_t needed = avio_tell(container.io) + size + kIndexBase +
                              kIndexBytesPerPacket * static_cast<std::int64_t>(container.packets + 1);
  if (container.output->Reserve(needed) < 0) {
    CountDropped();
    Fail(kErrorDiskFull, "The disk is full: " + target_ + " was stopped after " +
                             std::to_string(container.packets) + " packets and is kept playable");
    return;
  }
  AVPacket* avPacket = av_packet_alloc();
  if (avPacket == nullptr) return;
  const PacketPtr owner(avPacket);
  // Not reference counted: the muxer copies what it keeps, and the sample outlives the call.
  avPacket->data = const_cast<std::uint8_t*>(packet.sample->Data());
  avPacket->size = size;
  avPacket->stream_index = packet.track;
  avPacket->pts = packet.pts;
  avPacket->dts = packet.pts;
  avPacket->duration = packet.duration;
  if (packet.sample->IsSyncPoint()) avPacket->flags |= AV_PKT_FLAG_KEY;
  av_packet_rescale_ts(avPacket, trackTimeBases_[packet.track], container.format->streams[packet.track]->time_base);
  const int written = av_interleaved_write_frame(container.format, avPacket);
  if (written < 0) {
    CountDropped();
    Fail(written == AVERROR(ENOSPC) ? kErrorDiskFull : kErrorFileWrite,
         "Writing " + target_ + " failed: " + AvErrorText(written));
    return;
  }
  ++container.packets;
  std::lock_guard lock(mutex_);
  if (trackKinds_[packet.track] == AVMEDIA_TYPE_VIDEO) {
    ++progress_.videoFramesWritten;
  } else {
    ++progress_.audioBlocksWritten;
  }
  progress_.bytesWritten = static_cast<std::uint64_t>(std::max<std::int64_t>(avio_tell(container.io), 0));
  const double seconds = static_cast<double>(packet.pts) * av_q2d(trackTimeBases_[packet.track]);
  progress_.secondsWritten = std::max(progress_.secondsWritten, seconds);
}

void CaptureFileWriter::CountDropped() {
  std::lock_guard lock(mutex_);
  ++progress_.dropped;
}

void CaptureFileWriter::Fail(Result code, const std::string& text) {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  if (Succeeded(progress_.lastError)) {
    progress_.lastError = code;
    progress_.lastErrorText = text.empty() ? MediaErrorText(code) : text;
  }
}

void CaptureFileWriter::Finish() {
  {
    std::lock_guard lock(mutex_);
    if (!started_ || finished_) return;
    finished_ = true;
    finishing_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();

  Container& container = *container_;
  // The index goes into the room reserved for it, even after the disk filled up.
  int result = av_write_trailer(container.format);
  if (result >= 0) {
    avio_flush(container.io);
    result = container.io->error;
  }
  const std::int64_t bytes = container.output->Seek(0, AVSEEK_SIZE);
  const int closed = container.output->Close();
  if (result >= 0) result = closed;
  const std::uint64_t packets = container.packets;
  container_.reset();

  if (packets == 0) {
    ::unlink(temporary_.c_str());
  } else if (result < 0) {
    Fail(result == AVERROR(ENOSPC) ? kErrorDiskFull : kErrorFileWrite,
         "Finishing " + target_ + " failed (" + AvErrorText(result) + ")");
    // Whatever ended the writing, the user must learn where the recording is.
    std::lock_guard lock(mutex_);
    progress_.lastErrorText += "; what was recorded is in " + temporary_;
  } else if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    Fail(kErrorFileWrite, "Cannot move the recording to " + target_ + ": " + AvErrorText(AVERROR(errno)) +
                              "; it is in " + temporary_);
  }
  std::lock_guard lock(mutex_);
  progress_.recording = false;
  if (bytes > 0) progress_.bytesWritten = static_cast<std::uint64_t>(bytes);
}

CaptureFileProgress CaptureFileWriter::Progress() const {
  std::lock_guard lock(mutex_);
  return progress_;
}

}  // namespace tavelo::platform::media
