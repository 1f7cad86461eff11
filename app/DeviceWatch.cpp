#include "app/DeviceWatch.h"

TDeviceWatch::TDeviceWatch(std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug,
                           std::function<void()> changed, QObject* parent)
    : QObject(parent),
      FHotplug(std::move(hotplug)),
      FChanged(std::move(changed)),
      FNotifier(FHotplug->Descriptor(), QSocketNotifier::Read) {
  FSettle.setSingleShot(true);
  FSettle.setInterval(kSettleMs);
  connect(&FSettle, &QTimer::timeout, this, [this] { FChanged(); });
  connect(&FNotifier, &QSocketNotifier::activated, this, [this] {
    if (FHotplug->TakeChanges()) FSettle.start();
  });
}
