#pragma once

// What the video and audio compressor filters share: the encoder they were listed with, the input
// stream they were connected to, and a fresh encoder for every run (each recording starts its own
// clock, and a video stream its own key frame). Everything under the mutex; Close() drops the coding
// state and is called with the lock held.

#include <mutex>
#include <optional>
#include <string>

#include "camera/platform/graph/GraphFilter.h"
#include "camera/platform/media/FfmpegTypes.h"
#include "camera/platform/media/StreamCodecs.h"

namespace tavelo::platform::media {

struct EncoderChoice {
  std::string friendlyName;
  const AVCodec* encoder = nullptr;
  std::string options;  // "key=value:key=value" for the encoder's private options
  int quality = 0;      // fixed quantiser; 0: the encoder's default rate control
};

class CompressorFilter : public GraphFilter {
 public:
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

 protected:
  explicit CompressorFilter(EncoderChoice choice);

  void OnConnectionChanged(const std::optional<OwnedMediaType>& mediaType) final;
  Result OnStateChange(FilterState state) final;
  // Drops the encoder and everything made for it; the lock is held. Derived destructors call it too.
  virtual void Close() = 0;

  const EncoderChoice choice_;
  std::mutex mutex_;
  StreamDescription input_;
  bool failed_ = false;  // the encoder refused once: the rest of the run is dropped
};

}  // namespace tavelo::platform::media
