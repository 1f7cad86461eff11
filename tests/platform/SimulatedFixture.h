#pragma once

// Helpers for the simulated backend's tests: create a platform from profile names, find and bind its
// devices through the platform's own enumeration, and query interfaces without ceremony.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "camera/platform/CapturePlatform.h"
#include "camera/platform/simulated/SimulatedPlatform.h"

namespace tavelo::platform::testing {

inline std::shared_ptr<SimulatedPlatform> MakePlatform(const std::vector<std::string>& profiles) {
  std::string error;
  auto platform = CreateSimulatedPlatform(profiles, &error);
  EXPECT_NE(platform, nullptr) << error;
  return platform;
}

template <class I, class From>
std::shared_ptr<I> Query(const std::shared_ptr<From>& object) {
  std::shared_ptr<I> out;
  QueryInterfaceAs(object, out);
  return out;
}

inline std::vector<std::shared_ptr<IMoniker>> Monikers(CapturePlatform& platform, const Guid& category) {
  std::vector<std::shared_ptr<IMoniker>> monikers;
  std::shared_ptr<ICreateDevEnum> devices;
  if (Failed(CreateInstanceAs(platform, guids::SystemDeviceEnum, devices))) return monikers;
  std::shared_ptr<IEnumMoniker> enumerator;
  if (devices->CreateClassEnumerator(category, enumerator, 0) != kOk || !enumerator) return monikers;
  std::shared_ptr<IMoniker> moniker;
  while (enumerator->Next(moniker) == kOk) monikers.push_back(moniker);
  return monikers;
}

// The bag values of every device of a category, in enumeration order (missing values left out).
inline std::vector<std::map<std::string, std::string>> BagValues(CapturePlatform& platform, const Guid& category) {
  std::vector<std::map<std::string, std::string>> devices;
  for (const auto& moniker : Monikers(platform, category)) {
    std::shared_ptr<IPropertyBag> bag;
    if (Failed(moniker->BindToStorage(bag))) continue;
    auto& values = devices.emplace_back();
    for (const char* name : {"FriendlyName", "DevicePath", "Description", "WaveInID"}) {
      std::string value;
      if (Succeeded(bag->Read(name, value))) values[name] = value;
    }
  }
  return devices;
}

// The filter of the device whose DevicePath (or, failing that, FriendlyName) is `key`.
inline std::shared_ptr<IBaseFilter> BindDevice(CapturePlatform& platform, const std::string& key,
                                               const Guid& category = guids::VideoInputDeviceCategory) {
  for (const auto& moniker : Monikers(platform, category)) {
    std::shared_ptr<IPropertyBag> bag;
    if (Failed(moniker->BindToStorage(bag))) continue;
    std::string path;
    std::string name;
    bag->Read("DevicePath", path);
    bag->Read("FriendlyName", name);
    if (path != key && name != key) continue;
    std::shared_ptr<IBaseFilter> filter;
    if (Succeeded(moniker->BindToObject(filter))) return filter;
  }
  return nullptr;
}

inline std::shared_ptr<IPin> FirstPin(const std::shared_ptr<IBaseFilter>& filter) {
  std::shared_ptr<IEnumPins> pins;
  if (!filter || Failed(filter->EnumPins(pins)) || !pins) return nullptr;
  std::shared_ptr<IPin> pin;
  return pins->Next(pin) == kOk ? pin : nullptr;
}

// Polls `condition` until it holds or `timeout` passes; answers whether it held.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A frame sink that counts what it receives and keeps the last sample.
class CountingSink final : public IFrameSink {
 public:
  void Receive(const std::shared_ptr<IMediaSample>& sample) override {
    std::lock_guard lock(mutex_);
    last_ = sample;
    ++frames_;
  }
  int Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  std::shared_ptr<IMediaSample> Last() const {
    std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  mutable std::mutex mutex_;
  int frames_ = 0;
  std::shared_ptr<IMediaSample> last_;
};

}  // namespace tavelo::platform::testing
