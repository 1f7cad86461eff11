#pragma once

// The thread a capture pin delivers its frames on, the same for every backend: the backend's work runs
// there until it is asked to stop or returns by itself (the device went away), and its waits between
// frames are cut short by a stop request.
//
// Stop waits for the thread, so once it returns no frame is being delivered. A sink may stop the stream
// that feeds it from inside a delivery, on the streaming thread itself; the thread cannot wait for
// itself, so that Stop returns at once and the thread ends as soon as the work returns. The thread may
// then outlive its owner, which is why the work owns everything it uses: it is destroyed, with all it
// holds, on the streaming thread before the thread counts as ended.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace tavelo::platform {

class StreamingThread {
 public:
  // What the work sees of its thread.
  class Control {
   public:
    virtual ~Control() = default;
    virtual bool StopRequested() const = 0;
    // Sleeps until `deadline` unless a stop request comes first; true when one came (before or during).
    virtual bool WaitUntil(std::chrono::steady_clock::time_point deadline) = 0;
  };
  using Work = std::function<void(Control& control)>;

  // Starts `work` on a new thread.
  explicit StreamingThread(Work work);
  ~StreamingThread();  // Stop()
  StreamingThread(const StreamingThread&) = delete;
  StreamingThread& operator=(const StreamingThread&) = delete;

  // Asks the work to end and wakes it; waits for the thread unless called on it.
  void Stop();
  bool StopRequested() const;
  // Until the work has returned and been destroyed.
  bool Running() const;
  bool IsCurrentThread() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace tavelo::platform
