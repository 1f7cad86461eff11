#pragma once

// A packet a compressor passes on: its bytes, the time of its first picture or sound sample, and whether
// it can be decoded on its own.

#include <cstdint>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform::media {

class CodedSample final : public IMediaSample {
 public:
  CodedSample(const std::uint8_t* data, int size, double sampleTime, bool syncPoint)
      : bytes_(data, data + size), sampleTime_(sampleTime), syncPoint_(syncPoint) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IMediaSample>(this, iid, out);
  }
  const std::uint8_t* Data() const override { return bytes_.data(); }
  std::int32_t ActualDataLength() const override { return static_cast<std::int32_t>(bytes_.size()); }
  double SampleTime() const override { return sampleTime_; }
  bool IsSyncPoint() const override { return syncPoint_; }

 private:
  const std::vector<std::uint8_t> bytes_;
  const double sampleTime_;
  const bool syncPoint_;
};

}  // namespace tavelo::platform::media
