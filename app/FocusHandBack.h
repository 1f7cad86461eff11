#pragma once

// Gives the keyboard focus back to a control once the GUI thread next handles requests handed over from
// other threads, that is after the handler that asked has returned. Each request is carried by a
// short-lived thread that touches no control: it hands the request to the GUI thread, waits until it has
// run, and ends. Ended threads are joined at the next request; the destructor drops requests not yet run
// and waits for their threads, so none outlives the window.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class TFocusHandBack final : public QObject {
 public:
  TFocusHandBack() = default;
  ~TFocusHandBack() override;
  TFocusHandBack(const TFocusHandBack&) = delete;
  TFocusHandBack& operator=(const TFocusHandBack&) = delete;

  // Returns at once. An empty control, or one gone by the time the request runs, is not focused. A thread
  // that can't be started is given up: the focus stays where it is.
  void Request(QPointer<QWidget> control);

  // Threads started and not yet joined, and those of them that have not ended yet.
  int ThreadsKept() const { return static_cast<int>(FCarriers.size()); }
  int ThreadsRunning() const;

 private:
  struct TCarrier {
    std::thread Thread;
    std::shared_ptr<std::atomic<bool>> Ended;
  };
  void JoinEnded();

  std::vector<TCarrier> FCarriers;
  bool FClosing = false;  // GUI thread only
};
