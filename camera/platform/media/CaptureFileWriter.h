#pragma once

// Writes one recording: opens a temporary file beside the target, writes the container's header, takes
// packets from the streaming threads into a bounded queue that its own thread writes out, and on Finish
// writes the index and trailer and renames the finished file onto the target. So an existing file is only
// ever replaced by a finished recording, a crash leaves it as it was, and a slow disk never holds up a
// camera: what does not fit in the queue is dropped and counted.
//
// A full disk or a failed write stops the writing (the error is kept for GetProgress); Finish still
// writes the index into the room reserved for it, so what was recorded stays playable. A recording that
// wrote no packet replaces nothing.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/media/FileOutput.h"
#include "camera/platform/media/StreamCodecs.h"

namespace tavelo::platform::media {

struct WriterLimits {
  std::size_t queuedBytes = 64u << 20;  // a few seconds of raw HD video
  std::size_t queuedPackets = 512;
};

class CaptureFileWriter {
 public:
  // `muxer` is FFmpeg's name of the container ("avi", "asf").
  CaptureFileWriter(std::string target, std::string muxer, FileOutputOpener opener, WriterLimits limits = {});
  ~CaptureFileWriter();  // Finish()
  CaptureFileWriter(const CaptureFileWriter&) = delete;
  CaptureFileWriter& operator=(const CaptureFileWriter&) = delete;

  // Opens the temporary file, writes the header for `tracks` (in stream order) and starts the thread.
  Result Start(const std::vector<StreamDescription>& tracks);
  // Any thread: queues a packet of `track`, time stamps in the track's time base; counted as dropped when
  // the queue is full or the writing has stopped.
  void Push(int track, std::shared_ptr<IMediaSample> sample, std::int64_t pts, std::int64_t duration);
  // Writes what is queued, the index and the trailer, and puts the file in place. Idempotent.
  void Finish();

  CaptureFileProgress Progress() const;
  std::string TemporaryPath() const { return temporary_; }

 private:
  struct Packet {
    int track;
    std::shared_ptr<IMediaSample> sample;
    std::int64_t pts;
    std::int64_t duration;
  };
  struct Container;

  void Run();
  void WritePacket(const Packet& packet);
  void Fail(Result code, const std::string& text);
  void CountDropped();

  const std::string target_;
  const std::string temporary_;
  const std::string muxer_;
  const FileOutputOpener opener_;
  const WriterLimits limits_;

  std::unique_ptr<Container> container_;  // writer thread only, once started
  std::vector<AVRational> trackTimeBases_;
  std::vector<AVMediaType> trackKinds_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Packet> queue_;
  std::size_t queuedBytes_ = 0;
  bool finishing_ = false;
  bool stopped_ = false;  // a failure ended the writing
  CaptureFileProgress progress_;
  std::thread thread_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace tavelo::platform::media
