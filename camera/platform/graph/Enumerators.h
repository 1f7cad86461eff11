#pragma once

// Enumerators over fixed lists, as filters and pins hand them out. Each takes an optional gate that is
// asked before every step, so a backend can make the enumerator of a vanished device fail.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/graph/OwnedMediaType.h"

namespace tavelo::platform {

using EnumeratorGate = std::function<Result()>;

class PinEnumerator final : public IEnumPins {
 public:
  explicit PinEnumerator(std::vector<std::shared_ptr<IPin>> pins, EnumeratorGate gate = {})
      : pins_(std::move(pins)), gate_(std::move(gate)) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  Result Next(std::shared_ptr<IPin>& out) override;

 private:
  const std::vector<std::shared_ptr<IPin>> pins_;
  const EnumeratorGate gate_;
  std::mutex mutex_;
  std::size_t next_ = 0;
};

// Hands out a TaskMemAlloc'd copy of each media type.
class MediaTypeEnumerator final : public IEnumMediaTypes {
 public:
  explicit MediaTypeEnumerator(std::vector<OwnedMediaType> types, EnumeratorGate gate = {})
      : types_(std::move(types)), gate_(std::move(gate)) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  Result Next(AmMediaType*& out) override;

 private:
  const std::vector<OwnedMediaType> types_;
  const EnumeratorGate gate_;
  std::mutex mutex_;
  std::size_t next_ = 0;
};

}  // namespace tavelo::platform
