#pragma once

// A DeviceHotplug a test drives in place of udev's monitor. Announce stands for one notice about a video
// device node; the window hears it through its socket notifier, as it hears the real monitor, so the
// test lets the event loop run to see the effect:
//
//   auto hotplug = std::make_unique<ScriptedDeviceHotplug>();
//   ScriptedDeviceHotplug& script = *hotplug;
//   window.SetDeviceHotplug(std::move(hotplug));
//   rig.PlugProfile("laptop-camera");
//   script.Announce(ScriptedDeviceHotplug::Notice::Added);
//   ASSERT_TRUE(QTest::qWaitFor([&] { return window.ComboBoxCamera->Count() == 2; }, 1000));
//
// A real camera brings a capture and a metadata node, so announce one notice per node where it matters.

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "camera/platform/v4l2/DeviceHotplug.h"

namespace tavelo::v4l2test {

class ScriptedDeviceHotplug final : public platform::v4l2::DeviceHotplug {
 public:
  enum class Notice { Added, Removed, Changed };

  ScriptedDeviceHotplug() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error("no eventfd");
  }
  ~ScriptedDeviceHotplug() override { ::close(fd_); }
  ScriptedDeviceHotplug(const ScriptedDeviceHotplug&) = delete;
  ScriptedDeviceHotplug& operator=(const ScriptedDeviceHotplug&) = delete;

  void Announce(Notice notice) {
    pending_.push_back(notice);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
  }

  int Descriptor() const override { return fd_; }
  bool TakeChanges() override {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t drained = ::read(fd_, &count, sizeof count);
    const bool changed = std::any_of(pending_.begin(), pending_.end(), [](Notice n) { return n != Notice::Changed; });
    pending_.clear();
    return changed;
  }

 private:
  int fd_;
  std::vector<Notice> pending_;
};

}  // namespace tavelo::v4l2test
