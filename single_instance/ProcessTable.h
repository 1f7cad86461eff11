#pragma once

// The seam between the single-instance guard and the system's process list. The guard decides from what
// a ProcessTable answers; the real one reads /proc, tests script their own.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavelo::single_instance {

// One running process as the guard sees it.
struct ProcessEntry {
  std::int64_t pid = 0;
  std::uint64_t startTime = 0;  // when the process was created, in clock ticks since boot
  std::string imagePath;        // the executable as the system names it; empty when it can't be read
};

class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  // This process.
  virtual ProcessEntry Self() const = 0;
  // Every running process, this one included. A process that ends while the list is read is left out;
  // one whose executable can't be read (another user's, a kernel thread, a zombie) is listed with an empty
  // image path. A list that can't be read at all is empty.
  virtual std::vector<ProcessEntry> Processes() const = 0;
};

// The system's processes, read from /proc. Where there is no /proc the list is empty.
std::shared_ptr<const ProcessTable> MakeProcProcessTable();

}  // namespace tavelo::single_instance
