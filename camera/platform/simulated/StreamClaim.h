#pragma once

// A simulated device's stream, held for as long as a stream's work lives. Its address is the owner
// token, new for every stream, so an ending stream never releases the claim of the one after it.

#include <memory>

#include "camera/platform/simulated/SimulatedDevice.h"

namespace tavelo::platform::simulated {

class StreamClaim {
 public:
  explicit StreamClaim(std::shared_ptr<SimulatedDevice> device) : device_(std::move(device)) {}
  ~StreamClaim() { device_->ReleaseStream(this); }
  StreamClaim(const StreamClaim&) = delete;
  StreamClaim& operator=(const StreamClaim&) = delete;
  Result Claim() { return device_->ClaimStream(this); }

 private:
  const std::shared_ptr<SimulatedDevice> device_;
};

}  // namespace tavelo::platform::simulated
