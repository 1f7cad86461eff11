#include "ui/Timer.h"

#include <algorithm>

TTimer::TTimer(QObject* parent, int interval, bool enabled)
    : QObject(parent), FInterval(std::max(0, interval)), FEnabled(enabled) {
  FTimer.setTimerType(Qt::PreciseTimer);
  connect(&FTimer, &QTimer::timeout, this, [this] { emit Timer(this); });
  Restart();
}

void TTimer::SetInterval(int milliseconds) {
  milliseconds = std::max(0, milliseconds);
  if (milliseconds == FInterval) return;  // a running countdown keeps its original deadline
  FInterval = milliseconds;
  Restart();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  Restart();
}

void TTimer::Restart() {
  if (FEnabled && FInterval > 0)
    FTimer.start(FInterval);
  else
    FTimer.stop();
}
