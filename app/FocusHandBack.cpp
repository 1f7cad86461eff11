#include "app/FocusHandBack.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <system_error>

TFocusHandBack::~TFocusHandBack() {
  FClosing = true;
  // A carrier still waits for its request to run; run it here (it does nothing now) so the carrier ends.
  // One that has not handed its request over yet does so any moment, while this object still exists.
  for (TCarrier& carrier : FCarriers) {
    while (!carrier.Ended->load()) {
      QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
      std::this_thread::yield();
    }
    carrier.Thread.join();
  }
}

void TFocusHandBack::Request(QPointer<QWidget> control) {
  JoinEnded();
  FCarriers.reserve(FCarriers.size() + 1);  // so keeping a started thread cannot fail
  auto ended = std::make_shared<std::atomic<bool>>(false);
  try {
    std::thread carrier([this, control, ended] {
      QMetaObject::invokeMethod(
          this,
          [this, control] {
            if (!FClosing && control) control->setFocus();
          },
          Qt::BlockingQueuedConnection);
      ended->store(true);
    });
    FCarriers.push_back({std::move(carrier), std::move(ended)});
  } catch (const std::system_error&) {
    // No thread: the focus stays where the refresh left it.
  }
}

int TFocusHandBack::ThreadsRunning() const {
  return static_cast<int>(
      std::count_if(FCarriers.begin(), FCarriers.end(), [](const TCarrier& carrier) { return !carrier.Ended->load(); }));
}

void TFocusHandBack::JoinEnded() {
  std::erase_if(FCarriers, [](TCarrier& carrier) {
    if (!carrier.Ended->load()) return false;
    carrier.Thread.join();
    return true;
  });
}
