#pragma once

// The filter of a sound input, the same in every backend: FilterBase with one output pin of the capture
// category that delivers PCM (PcmFormat.h) through IFrameSource, as a camera's capture pin delivers
// frames, on a StreamingThread of its own.
//
// A backend supplies the device side as a PcmChunkReader, opened for each stream, which hands over
// whatever the device gives (any number of bytes, each chunk stamped with the time of its first sample
// frame). The pin cuts that into samples of whole frames, about 20 ms each, so receivers see one
// regular shape whatever the device's buffering; a sample's time is that of its first frame, in seconds
// since the stream started. The admissions of FilterBase and CapturePin are the backend's to refuse calls
// (a device that has gone away); the pin offers exactly one media type, its device's format.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "camera/platform/common/CapturePin.h"
#include "camera/platform/common/FilterBase.h"
#include "camera/platform/common/PcmFormat.h"

namespace tavelo::platform {

struct PcmChunk {
  std::vector<std::uint8_t> bytes;
  double time = 0;  // seconds since the stream started, of the chunk's first sample frame
};

// One stream of a sound device. Lives on the streaming thread and is destroyed there when the stream
// ends, which releases the device.
class PcmChunkReader {
 public:
  virtual ~PcmChunkReader() = default;
  // Waits for the next chunk; false when the stream is over (a stop request, the device gone or failing).
  // Waits must be cut short by a stop request (control.WaitUntil, or polling StopRequested).
  virtual bool Read(PcmChunk& out, StreamingThread::Control& control) = 0;
};

class AudioCapturePin : public CapturePin {
 public:
  // Frames per delivered sample: 20 ms of the format, at least one.
  static std::uint32_t BlockFrames(const PcmFormat& format);

  const PcmFormat& Format() const { return format_; }

 protected:
  explicit AudioCapturePin(PcmFormat format) : format_(format) {}

  // Claims the device for one stream (kErrorDeviceInUse, kErrorNoDevice, a driver's code otherwise).
  virtual Result OpenReader(std::unique_ptr<PcmChunkReader>& out) = 0;

  Result ListMediaTypes(std::vector<OwnedMediaType>& out) final;
  Result CurrentMediaType(OwnedMediaType& out) final;
  // Only the device's own format can be chosen.
  Result SelectMediaType(const AmMediaType& mediaType) final;
  Result PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) final;

 private:
  const PcmFormat format_;
};

class AudioCaptureFilter : public FilterBase {
 public:
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) final;

 protected:
  AudioCaptureFilter(std::string friendlyName, std::shared_ptr<AudioCapturePin> pin);

  virtual Result AdmitInterface(Iid iid);
  // A stopped filter delivers nothing, whoever started its pin's stream.
  void OnStop() override { pin_->StopStreaming(); }

 private:
  const std::shared_ptr<AudioCapturePin> pin_;
};

// Cuts a stream of chunks into samples of `blockFrames` whole frames. A sample's time follows the chunk
// that holds its first frame: the chunk's time plus the frames before it, so gaps in the device's time
// line show in the samples' times while the frames between them stay evenly spaced.
class PcmBlocker {
 public:
  PcmBlocker(PcmFormat format, std::uint32_t blockFrames);
  void Append(const PcmChunk& chunk);
  // The next whole sample, if enough frames have come.
  bool Take(std::vector<std::uint8_t>& bytes, double& time);

 private:
  struct Anchor {
    std::int64_t offset;  // of the chunk's first byte in pending_; negative once handed out in part
    double time;
  };

  const PcmFormat format_;
  const std::size_t blockBytes_;
  std::vector<std::uint8_t> pending_;
  std::vector<Anchor> anchors_;
};

}  // namespace tavelo::platform
