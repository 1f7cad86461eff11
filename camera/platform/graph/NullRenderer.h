#pragma once

// The null renderer: ends a stream and drops every frame.

#include <atomic>

#include "camera/platform/graph/GraphFilter.h"

namespace tavelo::platform {

class NullRenderer final : public GraphFilter {
 public:
  NullRenderer() : GraphFilter("Null Renderer", false) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IBaseFilter>(this, iid, out);
  }
  void Receive(const std::shared_ptr<IMediaSample>&) override { framesDropped_.fetch_add(1); }
  std::uint64_t FramesDropped() const { return framesDropped_.load(); }

 protected:
  Result AcceptsInput(const AmMediaType&) override { return kOk; }

 private:
  std::atomic<std::uint64_t> framesDropped_{0};
};

}  // namespace tavelo::platform
