#include "app/FrameHandOff.h"

#include <utility>

TFrameHandOff::TFrameHandOff(QObject* receiver, std::function<void()> onGuiThread)
    : FReceiver(receiver), FOnGuiThread(std::move(onGuiThread)) {}

void TFrameHandOff::Notify() {
  if (FQueued.exchange(true)) return;  // the queued call will show this frame too
  QMetaObject::invokeMethod(
      FReceiver,
      [this] {
        // Cleared before the call: a frame arriving while it runs queues the next one.
        FQueued.store(false);
        FOnGuiThread();
      },
      Qt::QueuedConnection);
}
