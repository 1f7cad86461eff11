#include "camera/platform/v4l2/V4l2Syscalls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace tavelo::platform::v4l2 {

int RealV4l2Syscalls::Open(const char* path, int flags) {
  int fd;
  do {
    fd = ::open(path, flags);
  } while (fd == -1 && errno == EINTR);
  return fd;
}

// close() is never repeated: Linux releases the descriptor even when it reports EINTR, and a second call
// could close a descriptor another thread has just been given.
int RealV4l2Syscalls::Close(int fd) { return ::close(fd); }

int RealV4l2Syscalls::Ioctl(int fd, unsigned long request, void* argument) {
  int result;
  do {
    result = ::ioctl(fd, request, argument);
  } while (result == -1 && errno == EINTR);
  return result;
}

void* RealV4l2Syscalls::Mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset) {
  return ::mmap(address, length, protection, flags, fd, offset);
}

int RealV4l2Syscalls::Munmap(void* address, std::size_t length) { return ::munmap(address, length); }

// An interrupted poll waits again only for what is left of its timeout, so a stream of signals cannot
// stretch it.
int RealV4l2Syscalls::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int remaining = timeoutMs;
  for (;;) {
    const int result = ::poll(fds, count, remaining);
    if (result != -1 || errno != EINTR) return result;
    if (timeoutMs < 0) continue;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    remaining = left > 0 ? static_cast<int>(left) : 0;
  }
}

std::shared_ptr<V4l2Syscalls> MakeRealV4l2Syscalls() { return std::make_shared<RealV4l2Syscalls>(); }

}  // namespace tavelo::platform::v4l2
