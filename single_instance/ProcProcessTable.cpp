#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>

#include "single_instance/ProcStat.h"
#include "single_instance/ProcessTable.h"

namespace tavelo::single_instance {
namespace {

std::optional<std::uint64_t> ReadStartTime(const std::string& processDir) {
  std::ifstream stat(processDir + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  return StartTimeFromStat(line);
}

// The target of the exe link, or empty when it can't be read. The buffer grows until the target fits,
// since readlink cuts a long one short without saying so.
std::string ReadImagePath(const std::string& processDir) {
  const std::string link = processDir + "/exe";
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    if (target.size() >= 65536) return {};
    target.resize(target.size() * 2);
  }
}

std::optional<ProcessEntry> ReadProcess(std::int64_t pid) {
  const std::string dir = "/proc/" + std::to_string(pid);
  const std::optional<std::uint64_t> startTime = ReadStartTime(dir);
  if (!startTime) return std::nullopt;  // gone, or no /proc
  return ProcessEntry{pid, *startTime, ReadImagePath(dir)};
}

std::optional<std::int64_t> PidOfName(const char* name) {
  std::int64_t pid = 0;
  for (const char* c = name; *c; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
    pid = pid * 10 + (*c - '0');
    if (pid > 0x7FFFFFFF) return std::nullopt;
  }
  if (pid == 0) return std::nullopt;
  return pid;
}

class ProcProcessTable final : public ProcessTable {
 public:
  ProcessEntry Self() const override {
    const std::int64_t pid = ::getpid();
    return ReadProcess(pid).value_or(ProcessEntry{pid, 0, {}});
  }

  std::vector<ProcessEntry> Processes() const override {
    std::vector<ProcessEntry> processes;
    DIR* proc = ::opendir("/proc");
    if (!proc) return processes;
    while (const dirent* entry = ::readdir(proc)) {
      const std::optional<std::int64_t> pid = PidOfName(entry->d_name);
      if (!pid) continue;
      if (std::optional<ProcessEntry> process = ReadProcess(*pid)) processes.push_back(std::move(*process));
    }
    ::closedir(proc);
    return processes;
  }
};

}  // namespace

std::shared_ptr<const ProcessTable> MakeProcProcessTable() { return std::make_shared<ProcProcessTable>(); }

}  // namespace tavelo::single_instance
