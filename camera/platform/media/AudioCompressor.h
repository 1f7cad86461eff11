#pragma once

// An audio compressor filter: takes 16-bit PCM, converts it with swresample to what the encoder takes,
// gathers whole encoder frames (MP3 and AAC code fixed numbers of samples) and passes the packets on.
// A packet's time is its first sample's, counted from the first block's sample time, so the sound keeps
// its place against the picture whatever the block sizes.

#include <cstdint>
#include <mutex>

#include "camera/platform/media/CompressorFilter.h"
#include "camera/platform/media/FfmpegTypes.h"
#include "camera/platform/media/StreamCodecs.h"

struct AVAudioFifo;

namespace tavelo::platform::media {

class AudioCompressor final : public CompressorFilter {
 public:
  explicit AudioCompressor(EncoderChoice choice);
  ~AudioCompressor() override;

  Result OutputMediaType(const OwnedMediaType& input, OwnedMediaType& output) override;
  void Receive(const std::shared_ptr<IMediaSample>& sample) override;
  // The samples short of a whole frame, and what the encoder still holds, go out as the last packets.
  void EndOfStream() override;

 protected:
  Result AcceptsInput(const AmMediaType& mediaType) override;

 private:
  CodecContextPtr OpenEncoder(const StreamDescription& input) const;
  bool Open();  // the lock held
  void Close() override;
  void EncodeWholeFrames();
  // Sends `frame` (null: drain) and passes every packet the encoder gives back downstream.
  void EncodeAndPassOn(const AVFrame* frame);

  CodecContextPtr encoder_;
  ResamplePtr resampler_;
  AVAudioFifo* fifo_ = nullptr;
  FramePtr frame_;
  bool anchored_ = false;
  double anchor_ = 0;
  std::int64_t samplesCoded_ = 0;
};

}  // namespace tavelo::platform::media
