#pragma once

// Hands the selected camera's outside changes (IControlEvents: another program, or the camera itself
// under automatic control) to the GUI thread as they happen: a socket notifier on the descriptor the
// camera names, so no thread waits for them.

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <vector>

#include "camera/platform/Interfaces.h"

class TControlEventWatch : public QObject {
  Q_OBJECT

 public:
  using TChangedHandler = std::function<void(const std::vector<tavelo::platform::ChangedProperty>&)>;

  // `changed` runs on the GUI thread with the properties that changed; it must not throw.
  explicit TControlEventWatch(TChangedHandler changed, QObject* parent = nullptr);

  // Watches `events` from now on; null, or a camera that cannot report changes, ends the watch. The
  // object already watched keeps its watch (and its pending changes).
  void Follow(std::shared_ptr<tavelo::platform::IControlEvents> events);
  bool Watching() const { return FNotifier != nullptr; }

 private:
  void TakeChanges();

  TChangedHandler FChanged;
  std::shared_ptr<tavelo::platform::IControlEvents> FEvents;
  std::unique_ptr<QSocketNotifier> FNotifier;
};
