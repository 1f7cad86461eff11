// Real copies on the real /proc: two copies of a small program holding the guard are let go at the same
// instant, twenty times, and exactly one must stay each time, the one created first. Each test runs its
// own renamed copy of the program, so tests running side by side don't count each other's copies.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "single_instance/ProcStat.h"

namespace {

constexpr const char* kStartUpMs = "50";  // stands in for the main window's start-up
constexpr int kExitStillRunning = 3;

// The probe program copied under a name of our own.
class ProbeCopies {
 public:
  ProbeCopies() : dir_(QCoreApplication::applicationDirPath() + "/probe-XXXXXX") {}

  std::string Copy(const std::string& name) {
    const QString path = dir_.filePath(QString::fromStdString(name));
    if (!QFile::copy(QStringLiteral(TAVELO_INSTANCE_PROBE), path)) return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path.toStdString();
  }

 private:
  QTemporaryDir dir_;
};

struct Copy {
  pid_t pid = -1;
  int input = -1;   // our end of its standard input
  int output = -1;  // our end of its standard output
  std::string said;
  bool decided = false;  // said "running" or ended
  int exitCode = -1;
};

std::optional<std::pair<std::uint64_t, pid_t>> CreationOrder(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  const std::optional<std::uint64_t> startTime = tavelo::single_instance::StartTimeFromStat(line);
  if (!startTime) return std::nullopt;
  return std::make_pair(*startTime, pid);
}

// Forks one child per program; all of them wait at a barrier and start their program together once it
// opens. Answers the copies when every one has said it runs or has ended.
std::vector<Copy> StartTogether(const std::vector<std::string>& programs) {
  int barrier[2];
  if (::pipe2(barrier, O_CLOEXEC) != 0) return {};
  std::vector<Copy> copies(programs.size());
  for (std::size_t i = 0; i < programs.size(); ++i) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return {};
    const char* argv[] = {programs[i].c_str(), kStartUpMs, nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Only async-signal-safe calls until the program starts.
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::close(barrier[1]);
      char byte;
      while (::read(barrier[0], &byte, 1) < 0 && errno == EINTR) {
      }
      ::execv(argv[0], const_cast<char* const*>(argv));
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    copies[i].pid = pid;
    copies[i].input = in[1];
    copies[i].output = out[0];
  }
  ::close(barrier[0]);
  ::close(barrier[1]);  // go

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    std::vector<pollfd> waiting;
    std::vector<Copy*> waitingCopies;
    for (Copy& copy : copies) {
      if (copy.decided) continue;
      waiting.push_back({copy.output, POLLIN, 0});
      waitingCopies.push_back(&copy);
    }
    if (waiting.empty()) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                            std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    if (::poll(waiting.data(), waiting.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      if (waiting[i].revents == 0) continue;
      Copy& copy = *waitingCopies[i];
      char buffer[64];
      const ssize_t n = ::read(copy.output, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) copy.said.append(buffer, static_cast<std::size_t>(n));
      if (n <= 0 || copy.said.find('\n') != std::string::npos) copy.decided = true;
    }
  }
  return copies;
}

// Closes the copies' input so those still running end, and collects their exit codes.
void EndAll(std::vector<Copy>& copies) {
  for (Copy& copy : copies) {
    if (!copy.decided) ::kill(copy.pid, SIGKILL);  // hung: don't leave it behind
    ::close(copy.input);
  }
  for (Copy& copy : copies) {
    int status = 0;
    while (::waitpid(copy.pid, &status, 0) < 0 && errno == EINTR) {
    }
    copy.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::close(copy.output);
  }
}

TEST(TwoCopiesTest, StartedTogetherExactlyTheFirstCreatedStays) {
  ProbeCopies probes;
  const std::string program = probes.Copy("tavelo_probe_" + std::to_string(::getpid()));
  ASSERT_FALSE(program.empty());
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<Copy> copies = StartTogether({program, program});
    ASSERT_EQ(copies.size(), 2u);
    std::optional<std::pair<std::uint64_t, pid_t>> order[2] = {CreationOrder(copies[0].pid),
                                                               CreationOrder(copies[1].pid)};
    EndAll(copies);
    ASSERT_TRUE(order[0] && order[1]);

    int staying = 0;
    for (const Copy& copy : copies) {
      const bool stayed = copy.exitCode == kExitStillRunning;
      EXPECT_TRUE(stayed || copy.exitCode == 0) << "exit code " << copy.exitCode;
      EXPECT_EQ(copy.said == "running\n", stayed) << "said: " << copy.said;
      staying += stayed;
    }
    EXPECT_EQ(staying, 1);
    const std::size_t first = *order[0] < *order[1] ? 0 : 1;
    EXPECT_EQ(copies[first].exitCode, kExitStillRunning) << "the copy created first stays";
  }
}

TEST(TwoCopiesTest, CopyUnderAnotherFileNameRunsAlongside) {
  ProbeCopies probes;
  const std::string name = "tavelo_probe_" + std::to_string(::getpid());
  const std::string program = probes.Copy(name);
  const std::string renamed = probes.Copy(name + "_renamed");
  ASSERT_FALSE(program.empty());
  ASSERT_FALSE(renamed.empty());
  std::vector<Copy> copies = StartTogether({program, renamed});
  ASSERT_EQ(copies.size(), 2u);
  EndAll(copies);
  for (const Copy& copy : copies) EXPECT_EQ(copy.exitCode, kExitStillRunning);
}

}  // namespace
