// The process table read from the real /proc: this program and a child it forks, as the guard sees them.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "single_instance/ProcessTable.h"
#include "single_instance/RunningInstance.h"

namespace tavelo::single_instance {
namespace {

std::optional<ProcessEntry> Find(const std::vector<ProcessEntry>& processes, std::int64_t pid) {
  const auto found = std::find_if(processes.begin(), processes.end(),
                                  [pid](const ProcessEntry& p) { return p.pid == pid; });
  if (found == processes.end()) return std::nullopt;
  return *found;
}

// A child that is a second copy of this program until its pipe closes.
class ForkedCopy {
 public:
  ForkedCopy() {
    if (::pipe(pipe_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(pipe_[1]);
      char byte;
      while (::read(pipe_[0], &byte, 1) < 0 && errno == EINTR) {
      }
      ::_exit(0);
    }
    ::close(pipe_[0]);
  }
  ~ForkedCopy() { End(); }
  pid_t Pid() const { return pid_; }
  void End() {
    if (pid_ <= 0) return;
    ::close(pipe_[1]);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  int pipe_[2] = {-1, -1};
  pid_t pid_ = -1;
};

TEST(ProcProcessTableTest, ListsThisProgramAndAForkedCopyUntilItEnds) {
  const std::shared_ptr<const ProcessTable> table = MakeProcProcessTable();
  const ProcessEntry self = table->Self();
  EXPECT_EQ(self.pid, ::getpid());
  EXPECT_EQ(BareImageName(self.imagePath), "single_instance_tests");
  EXPECT_GT(self.startTime, 0u);

  ForkedCopy copy;
  ASSERT_GT(copy.Pid(), 0);
  const std::vector<ProcessEntry> processes = table->Processes();
  const std::optional<ProcessEntry> listedSelf = Find(processes, self.pid);
  ASSERT_TRUE(listedSelf);
  EXPECT_EQ(listedSelf->startTime, self.startTime);
  EXPECT_EQ(listedSelf->imagePath, self.imagePath);

  const std::optional<ProcessEntry> child = Find(processes, copy.Pid());
  ASSERT_TRUE(child) << "the forked copy is listed";
  EXPECT_EQ(child->imagePath, self.imagePath) << "a fork runs our executable";
  EXPECT_GE(child->startTime, self.startTime);
  EXPECT_TRUE(EarlierCopyRuns(*child, processes)) << "the child sees us as the earlier copy";

  copy.End();
  const std::vector<ProcessEntry> after = table->Processes();
  EXPECT_TRUE(std::none_of(after.begin(), after.end(), [&](const ProcessEntry& p) { return p.pid == child->pid; }))
      << "an ended process is not listed";
}

}  // namespace
}  // namespace tavelo::single_instance
