// Every media-type record the V4L2 backend and the graph objects hand out belongs to whoever receives
// it: the camera component, or the test itself. After each test of this executable, its fixture and
// everything it held gone, the task allocator must have taken back as many blocks as it gave out during
// the test; a record kept or lost anywhere on the way fails the test that lost it.
#include <gtest/gtest.h>

#include "camera/platform/MediaType.h"

namespace tavelo::v4l2test {
namespace {
using platform::CountTaskMem;
using platform::TaskMemCounts;

class TaskMemBalance final : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override { atStart_ = CountTaskMem(); }

  // Listeners hear of a test's end in reverse order, so this failure is reported before the result.
  void OnTestEnd(const ::testing::TestInfo&) override {
    const TaskMemCounts now = CountTaskMem();
    const std::uint64_t handedOut = now.allocations - atStart_.allocations;
    const std::uint64_t freed = now.frees - atStart_.frees;
    if (handedOut != freed) {
      ADD_FAILURE() << "the task allocator handed out " << handedOut << " blocks during the test and took back "
                    << freed;
    }
  }

 private:
  TaskMemCounts atStart_;
};

// Registered before main, once for the whole executable.
[[maybe_unused]] const bool kRegistered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TaskMemBalance);
  return true;
}();

}  // namespace
}  // namespace tavelo::v4l2test
