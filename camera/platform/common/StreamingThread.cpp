#include "camera/platform/common/StreamingThread.h"

#include <condition_variable>
#include <mutex>

namespace tavelo::platform {

// Shared by the owner and the thread, so a thread let go from inside still has it.
struct StreamingThread::State final : StreamingThread::Control {
  mutable std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  bool ended = false;
  std::thread::id thread;

  bool StopRequested() const override {
    std::lock_guard lock(mutex);
    return stop;
  }

  bool WaitUntil(std::chrono::steady_clock::time_point deadline) override {
    std::unique_lock lock(mutex);
    return changed.wait_until(lock, deadline, [this] { return stop; });
  }
};

StreamingThread::StreamingThread(Work work) : state_(std::make_shared<State>()) {
  thread_ = std::thread([state = state_, work = std::move(work)]() mutable {
    {
      std::lock_guard lock(state->mutex);
      state->thread = std::this_thread::get_id();
    }
    work(*state);
    work = nullptr;  // what the work holds goes before anyone may take the stream as ended
    std::lock_guard lock(state->mutex);
    state->ended = true;
    state->changed.notify_all();
  });
}

StreamingThread::~StreamingThread() { Stop(); }

void StreamingThread::Stop() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stop = true;
  }
  state_->changed.notify_all();
  if (IsCurrentThread()) {
    if (thread_.joinable()) thread_.detach();
    return;
  }
  if (thread_.joinable()) {
    thread_.join();
    return;
  }
  // Let go from inside earlier: its end is still to be waited for.
  std::unique_lock lock(state_->mutex);
  state_->changed.wait(lock, [this] { return state_->ended; });
}

bool StreamingThread::StopRequested() const { return state_->StopRequested(); }

bool StreamingThread::Running() const {
  std::lock_guard lock(state_->mutex);
  return !state_->ended;
}

bool StreamingThread::IsCurrentThread() const {
  std::lock_guard lock(state_->mutex);
  return state_->thread == std::this_thread::get_id();
}

}  // namespace tavelo::platform
