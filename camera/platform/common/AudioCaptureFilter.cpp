#include "camera/platform/common/AudioCaptureFilter.h"

#include <algorithm>

#include "camera/platform/common/FrameSample.h"

namespace tavelo::platform {

// ---- PcmBlocker ------------------------------------------------------------------------------------

PcmBlocker::PcmBlocker(PcmFormat format, std::uint32_t blockFrames)
    : format_(format), blockBytes_(static_cast<std::size_t>(blockFrames) * format.FrameBytes()) {}

void PcmBlocker::Append(const PcmChunk& chunk) {
  if (chunk.bytes.empty()) return;
  anchors_.push_back({static_cast<std::int64_t>(pending_.size()), chunk.time});
  pending_.insert(pending_.end(), chunk.bytes.begin(), chunk.bytes.end());
}

bool PcmBlocker::Take(std::vector<std::uint8_t>& bytes, double& time) {
  if (blockBytes_ == 0 || pending_.size() < blockBytes_ || anchors_.empty()) return false;
  // The block starts at offset 0; its chunk is the last one that starts there or before.
  const Anchor& anchor = anchors_.front();
  const auto framesBefore = static_cast<double>(-anchor.offset / static_cast<std::int64_t>(format_.FrameBytes()));
  time = anchor.time + framesBefore / format_.sampleRate;
  bytes.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(blockBytes_));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(blockBytes_));
  for (Anchor& a : anchors_) a.offset -= static_cast<std::int64_t>(blockBytes_);
  // Keep only the chunk that now holds the first pending byte and those after it.
  while (anchors_.size() > 1 && anchors_[1].offset <= 0) anchors_.erase(anchors_.begin());
  if (pending_.empty()) anchors_.clear();
  return true;
}

// ---- AudioCapturePin -------------------------------------------------------------------------------

std::uint32_t AudioCapturePin::BlockFrames(const PcmFormat& format) { return std::max(format.sampleRate / 50, 1u); }

Result AudioCapturePin::ListMediaTypes(std::vector<OwnedMediaType>& out) {
  out.clear();
  out.push_back(PcmMediaType(format_));
  return kOk;
}

Result AudioCapturePin::CurrentMediaType(OwnedMediaType& out) {
  out = PcmMediaType(format_);
  return out.Get().pbFormat != nullptr ? kOk : kOutOfMemory;
}

Result AudioCapturePin::SelectMediaType(const AmMediaType& mediaType) {
  return PcmFormatOf(mediaType) == format_ ? kOk : kErrorInvalidMediaType;
}

Result AudioCapturePin::PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) {
  std::unique_ptr<PcmChunkReader> opened;
  if (const Result r = OpenReader(opened); Failed(r)) return r;
  if (opened == nullptr) return kUnexpected;
  // Shared only so the work can be copied into std::function; the stream is its one owner.
  std::shared_ptr<PcmChunkReader> reader = std::move(opened);
  const PcmFormat format = format_;
  work = [reader, sink, format](StreamingThread::Control& control) {
    PcmBlocker blocker(format, BlockFrames(format));
    PcmChunk chunk;
    std::vector<std::uint8_t> block;
    double time = 0;
    while (!control.StopRequested() && reader->Read(chunk, control)) {
      blocker.Append(chunk);
      while (!control.StopRequested() && blocker.Take(block, time)) DeliverFrame(*sink, std::move(block), time);
    }
  };
  return kOk;
}

// ---- AudioCaptureFilter ----------------------------------------------------------------------------

AudioCaptureFilter::AudioCaptureFilter(std::string friendlyName, std::shared_ptr<AudioCapturePin> pin)
    : FilterBase(std::move(friendlyName), {pin}), pin_(std::move(pin)) {}

Result AudioCaptureFilter::AdmitInterface(Iid) { return kOk; }

Result AudioCaptureFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  const Result admitted = AdmitInterface(iid);
  if (Failed(admitted)) return admitted;
  return AnswerInterfaces<IBaseFilter>(this, iid, out);
}

}  // namespace tavelo::platform
