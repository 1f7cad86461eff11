#pragma once

// A media sample that owns its bytes. Samples are immutable once delivered, so a receiver may keep a
// reference (the renderer keeps the latest one) while the source goes on with new samples.

#include <cstdint>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class MemorySample final : public IMediaSample {
 public:
  MemorySample(std::vector<std::uint8_t> bytes, double sampleTime)
      : bytes_(std::move(bytes)), sampleTime_(sampleTime) {}

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

}  // namespace tavelo::platform
