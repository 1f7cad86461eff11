#pragma once

// Hands plug and unplug of video devices (DeviceHotplug) to the GUI thread. A camera brings several
// nodes, each with its own notice, so the handler runs once the burst has settled.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

#include "camera/platform/v4l2/DeviceHotplug.h"

class TDeviceWatch : public QObject {
  Q_OBJECT

 public:
  // How long after the last notice `changed` runs; well within the second a user waits for the list.
  static constexpr int kSettleMs = 200;

  // `hotplug` must not be null. `changed` runs on the GUI thread and must not throw.
  TDeviceWatch(std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug, std::function<void()> changed,
               QObject* parent = nullptr);

 private:
  std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> FHotplug;
  std::function<void()> FChanged;
  QSocketNotifier FNotifier;
  QTimer FSettle;
};
