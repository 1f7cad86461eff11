#include "camera/platform/common/Enumerators.h"

namespace tavelo::platform {

Result EnumerateMonikers(std::vector<std::shared_ptr<IMoniker>> monikers, std::shared_ptr<IEnumMoniker>& out) {
  out.reset();
  if (monikers.empty()) return kFalse;
  out = std::make_shared<MonikerEnumerator>(std::move(monikers));
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
