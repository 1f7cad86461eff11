#include "app/ControlEventWatch.h"

#include <poll.h>

using tavelo::platform::ChangedProperty;
using tavelo::platform::IControlEvents;

TControlEventWatch::TControlEventWatch(TChangedHandler changed, QObject* parent)
    : QObject(parent), FChanged(std::move(changed)) {}

void TControlEventWatch::Follow(std::shared_ptr<IControlEvents> events) {
  if (events == FEvents) return;  // FEvents is set only while it is watched
  FNotifier.reset();
  FEvents.reset();
  if (!events) return;
  int fd = -1;
  short pollEvents = 0;
  if (tavelo::platform::Failed(events->GetEventWait(fd, pollEvents)) || fd < 0) return;
  // The kernel signals a video node's events as urgent data (POLLPRI); a descriptor of its own is
  // readable instead.
  const QSocketNotifier::Type type = (pollEvents & POLLPRI) != 0 ? QSocketNotifier::Exception : QSocketNotifier::Read;
  FEvents = std::move(events);
  FNotifier = std::make_unique<QSocketNotifier>(fd, type);
  connect(FNotifier.get(), &QSocketNotifier::activated, this, [this] { TakeChanges(); });
}

void TControlEventWatch::TakeChanges() {
  std::vector<ChangedProperty> changed;
  if (tavelo::platform::Failed(FEvents->TakeChangedProperties(changed))) {
    // The camera has gone (its node now signals for ever): the watch ends here, and the camera list
    // catches up through its own paths.
    FNotifier.reset();
    FEvents.reset();
    return;
  }
  if (!changed.empty()) FChanged(changed);
}
