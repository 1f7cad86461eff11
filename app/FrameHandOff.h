#pragma once

// Hands "a frame has arrived" from the capture platform's streaming thread to the GUI thread without
// ever waiting for it: deactivating the camera on the GUI thread waits for the frame notification to
// return, so a notification that waited for the GUI thread would deadlock.
//
// Frames that arrive while a hand-off is still queued are folded into it: a busy GUI thread sees the
// newest frame once instead of a growing queue of stale ones.

#include <QObject>

#include <atomic>
#include <functional>

class TFrameHandOff {
 public:
  // `onGuiThread` runs on `receiver`'s thread; a hand-off still queued when `receiver` is destroyed is
  // dropped. The hand-off must outlive the notifications (the camera's deactivation guarantees it).
  TFrameHandOff(QObject* receiver, std::function<void()> onGuiThread);

  // Any thread; returns at once.
  void Notify();

 private:
  QObject* FReceiver;
  std::function<void()> FOnGuiThread;
  std::atomic<bool> FQueued{false};
};
