#pragma once

// The seam between the V4L2 backend and the kernel: the six system calls the backend makes on a video
// node, and where an event loop waits for the node's events. Everything above it is testable against a
// fake driver; RealV4l2Syscalls is the only code in the tree that calls ::ioctl.
//
// Every call behaves like the system call it stands for: it answers -1 (MAP_FAILED for Mmap) and leaves
// the reason in errno.

#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>

namespace tavelo::platform::v4l2 {

class V4l2Syscalls {
 public:
  virtual ~V4l2Syscalls() = default;
  virtual int Open(const char* path, int flags) = 0;
  virtual int Close(int fd) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual void* Mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset) = 0;
  virtual int Munmap(void* address, std::size_t length) = 0;
  virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;

  // Where code outside the backend (an event loop) waits for the node's subscribed events, and the poll()
  // event that says one is pending. The kernel signals them on the node itself with POLLPRI; a fake
  // driver, whose nodes are no descriptors, answers one of its own.
  struct EventWait {
    int fd;
    short events;
  };
  virtual EventWait EventSource(int fd) { return {fd, POLLPRI}; }
};

// The kernel. A call interrupted by a signal (EINTR) is made again; any other failure is handed back.
class RealV4l2Syscalls final : public V4l2Syscalls {
 public:
  int Open(const char* path, int flags) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  void* Mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset) override;
  int Munmap(void* address, std::size_t length) override;
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;
};

std::shared_ptr<V4l2Syscalls> MakeRealV4l2Syscalls();

}  // namespace tavelo::platform::v4l2
