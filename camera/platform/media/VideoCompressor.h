#pragma once

// A video compressor filter: an intermediate of the capture-file route that turns the camera's frames
// (YUY2, NV12, RGB, or motion-JPEG, decoded first) into the encoder's picture format with swscale,
// encodes them and passes the packets on with the coded media type. Every run starts a fresh stream with
// a key frame; encoders are set up without frame reordering, so each packet carries its frame's time.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "camera/platform/media/CompressorFilter.h"
#include "camera/platform/media/FfmpegTypes.h"
#include "camera/platform/media/StreamCodecs.h"

namespace tavelo::platform::media {

class VideoCompressor final : public CompressorFilter {
 public:
  explicit VideoCompressor(EncoderChoice choice);
  ~VideoCompressor() override;

  Result OutputMediaType(const OwnedMediaType& input, OwnedMediaType& output) override;
  void Receive(const std::shared_ptr<IMediaSample>& sample) override;

 protected:
  Result AcceptsInput(const AmMediaType& mediaType) override;

 private:
  bool Open();  // the lock held
  void Close() override;
  const AVFrame* SourcePicture(const IMediaSample& sample, std::vector<std::uint8_t*>& planes,
                               std::vector<int>& strides);
  void Encode(const AVFrame* picture, double sampleTime);

  CodecContextPtr encoder_;
  CodecContextPtr decoder_;  // motion-JPEG input
  FramePtr decoded_;
  FramePtr picture_;
  SwsContext* scaler_ = nullptr;
  std::vector<std::uint8_t> padded_;
  bool stamped_ = false;
  std::int64_t lastPts_ = 0;
};

}  // namespace tavelo::platform::media
