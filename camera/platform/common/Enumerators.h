#pragma once

// The enumerators every backend and the graph objects hand out: pins, monikers and media types over a
// list fixed when the enumerator is made. Each takes an optional gate that is asked before every step,
// so the enumerator of a device that has gone away can fail instead of listing what it no longer has.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/OwnedMediaType.h"

namespace tavelo::platform {

using EnumeratorGate = std::function<Result()>;

// Hands out shared objects (pins, monikers) one at a time, then answers kFalse.
template <class EnumInterface, class Item>
class ListEnumerator final : public EnumInterface {
 public:
  explicit ListEnumerator(std::vector<std::shared_ptr<Item>> items, EnumeratorGate gate = {})
      : items_(std::move(items)), gate_(std::move(gate)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<EnumInterface>(this, iid, out);
  }

  Result Next(std::shared_ptr<Item>& out) override {
    out.reset();
    if (gate_) {
      const Result admitted = gate_();
      if (Failed(admitted)) return admitted;
    }
    std::lock_guard lock(mutex_);
    if (next_ >= items_.size()) return kFalse;
    out = items_[next_++];
    return kOk;
  }

 private:
  const std::vector<std::shared_ptr<Item>> items_;
  const EnumeratorGate gate_;
  std::mutex mutex_;
  std::size_t next_ = 0;
};

using PinEnumerator = ListEnumerator<IEnumPins, IPin>;
using MonikerEnumerator = ListEnumerator<IEnumMoniker, IMoniker>;

// A class enumerator's answer: the monikers of the category, or kFalse and no enumerator when there
// are none.
Result EnumerateMonikers(std::vector<std::shared_ptr<IMoniker>> monikers, std::shared_ptr<IEnumMoniker>& out);

// Hands out a TaskMemAlloc'd copy of each media type, which the receiver frees.
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
