#include "camera/platform/graph/Enumerators.h"

namespace tavelo::platform {

Result PinEnumerator::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IEnumPins>(this, iid, out);
}

Result PinEnumerator::Next(std::shared_ptr<IPin>& out) {
  out.reset();
  if (gate_) {
    const Result admitted = gate_();
    if (Failed(admitted)) return admitted;
  }
  std::lock_guard lock(mutex_);
  if (next_ >= pins_.size()) return kFalse;
  out = pins_[next_++];
  return kOk;
}

Result MediaTypeEnumerator::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IEnumMediaTypes>(this, iid, out);
}

Result MediaTypeEnumerator::Next(AmMediaType*& out) {
  out = nullptr;
  if (gate_) {
    const Result admitted = gate_();
    if (Failed(admitted)) return admitted;
  }
  std::lock_guard lock(mutex_);
  if (next_ >= types_.size()) return kFalse;
  out = types_[next_].NewTaskMemCopy();
  if (out == nullptr) return kOutOfMemory;
  ++next_;
  return kOk;
}

}  // namespace tavelo::platform
