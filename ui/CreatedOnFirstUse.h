#pragma once

// A designed control that is built the first time code uses it, for controls most runs never show (the
// trace memo). Until then it costs nothing. Changes the window makes before that are kept with Apply
// and made when it is built, so it comes into being in the state it would have had all along. The
// control itself belongs to the widget the factory gives it to, like every other designed control.

#include <functional>
#include <utility>
#include <vector>

template <class T>
class TCreatedOnFirstUse {
 public:
  TCreatedOnFirstUse() = default;
  explicit TCreatedOnFirstUse(std::function<T*()> create) : FCreate(std::move(create)) {}

  T* get() {
    if (!FControl) Build();
    return FControl;
  }
  T* operator->() { return get(); }
  operator T*() { return get(); }  // where a plain pointer to the control is expected
  bool IsCreated() const { return FControl != nullptr; }

  // Makes `change` now when the control exists, otherwise right after it is built.
  void Apply(std::function<void(T*)> change) {
    if (FControl) {
      change(FControl);
    } else {
      FPending.push_back(std::move(change));
    }
  }

 private:
  void Build() {
    FControl = FCreate();
    for (const std::function<void(T*)>& change : std::exchange(FPending, {})) change(FControl);
  }

  std::function<T*()> FCreate;
  T* FControl = nullptr;
  std::vector<std::function<void(T*)>> FPending;
};
