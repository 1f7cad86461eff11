#pragma once

// A captured frame as a media sample, made once by the backend (the one copy out of its capture buffer,
// or the picture it rendered) and never changed afterwards: everyone it is delivered to may keep it
// instead of copying its bytes. The sample grabber and the renderer keep the newest one this way.

#include <cstdint>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class FrameSample final : public IMediaSample {
 public:
  FrameSample(std::vector<std::uint8_t> bytes, double sampleTime) : bytes_(std::move(bytes)), sampleTime_(sampleTime) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IMediaSample>(this, iid, out);
  }
  const std::uint8_t* Data() const override { return bytes_.data(); }
  std::int32_t ActualDataLength() const override { return static_cast<std::int32_t>(bytes_.size()); }
  double SampleTime() const override { return sampleTime_; }

 private:
  const std::vector<std::uint8_t> bytes_;
  const double sampleTime_;
};

// Hands a new sample of `bytes` to `sink`. A sink that throws loses that frame only: nothing may escape
// into the streaming thread.
void DeliverFrame(IFrameSink& sink, std::vector<std::uint8_t> bytes, double sampleTime);

}  // namespace tavelo::platform
