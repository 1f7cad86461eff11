#pragma once

// SIGINT and SIGTERM turned into a call on the event loop: the handler may only write to a descriptor; a
// socket notifier hears it and runs the action there, so a long-running command ends with its objects
// destroyed in order instead of being killed halfway. One instance at a time; the default handling comes
// back when it is destroyed.

#include <QSocketNotifier>

#include <functional>
#include <optional>

class TStopSignals {
 public:
  explicit TStopSignals(std::function<void()> onStop);
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

 private:
  static void Stop(int);
  static inline int gPipe[2] = {-1, -1};
  std::optional<QSocketNotifier> FNotifier;
};
