// The real syscalls: failures come back as -1 with the kernel's errno, untouched by the seam.
#include <fcntl.h>
#include <linux/videodev2.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "camera/platform/v4l2/V4l2Syscalls.h"

namespace tavelo::v4l2test {
namespace {
using platform::v4l2::RealV4l2Syscalls;

TEST(RealV4l2SyscallsTest, PassesTheKernelsAnswersThrough) {
  RealV4l2Syscalls syscalls;
  errno = 0;
  EXPECT_EQ(syscalls.Open("/nonexistent/tavelo/video0", O_RDWR), -1);
  EXPECT_EQ(errno, ENOENT);

  const int fd = syscalls.Open("/dev/null", O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  v4l2_capability capability{};
  errno = 0;
  EXPECT_EQ(syscalls.Ioctl(fd, VIDIOC_QUERYCAP, &capability), -1);
  EXPECT_EQ(errno, ENOTTY);
  EXPECT_EQ(syscalls.Close(fd), 0);
  errno = 0;
  EXPECT_EQ(syscalls.Ioctl(fd, VIDIOC_QUERYCAP, &capability), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST(RealV4l2SyscallsTest, PollTimesOutAndReportsReadiness) {
  RealV4l2Syscalls syscalls;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  pollfd descriptor{fds[0], POLLIN, 0};
  EXPECT_EQ(syscalls.Poll(&descriptor, 1, 20), 0);
  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  EXPECT_EQ(syscalls.Poll(&descriptor, 1, 1000), 1);
  EXPECT_NE(descriptor.revents & POLLIN, 0);
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace
}  // namespace tavelo::v4l2test
