// Starts one program on the X display in $DISPLAY and reports, on one line of standard output:
//   mapped_ms  from just before the process is started until its first top-level window is mapped
//   drawn_ms   ... until that window shows painted pixels (a sampled row differs from the empty screen)
//   cpu_ms     the CPU time the program had used by then (all threads; steadier on a busy machine)
//   peak_kb    the process's peak resident memory (VmHWM) when it has settled
//   settled_kb its resident memory (VmRSS) a settle time after the window was drawn
// then ends the program. It watches from outside the program, so any build of any program can be
// measured the same way, with nothing compiled into it.
//
// Usage: startup_probe [--settle-ms N] [--timeout-ms N] -- program [arguments...]
// The display must have no window manager and nothing else mapping windows while it runs.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int settleMs = 1000;
  int timeoutMs = 20000;
  std::vector<char*> command;  // null-terminated for execvp
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (i + 1 >= argc) return std::nullopt;
    if (std::strcmp(argv[i], "--settle-ms") == 0) {
      options.settleMs = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--timeout-ms") == 0) {
      options.timeoutMs = std::atoi(argv[++i]);
    } else {
      return std::nullopt;
    }
  }
  if (i + 1 >= argc) return std::nullopt;
  for (++i; i < argc; ++i) options.command.push_back(argv[i]);
  options.command.push_back(nullptr);
  return options;
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One row of pixels of a drawable, as the server holds them.
std::vector<unsigned long> ReadRow(Display* display, Drawable drawable, int x, int y, int width) {
  std::vector<unsigned long> pixels;
  XImage* image = XGetImage(display, drawable, x, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(static_cast<size_t>(width));
  for (int i = 0; i < width; ++i) pixels.push_back(XGetPixel(image, i, 0));
  XDestroyImage(image);
  return pixels;
}

// A status line of /proc/<pid>/status in kilobytes, or -1.
long StatusKilobytes(pid_t pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
  }
  return -1;
}

// CPU time the process has used so far, all its threads together, in milliseconds (-1 when unknown).
// Unlike the wall-clock times it hardly depends on what else the machine is doing.
double CpuMilliseconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* directory = opendir(tasks.c_str());
  if (!directory) return -1;
  double nanoseconds = 0;
  while (const dirent* entry = readdir(directory)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
    double onCpu = 0;
    if (schedstat >> onCpu) nanoseconds += onCpu;
  }
  closedir(directory);
  return nanoseconds / 1e6;
}

// Waits for the first top-level window to be mapped; the window, or None when the time ran out or the
// program ended first.
Window AwaitMappedWindow(Display* display, pid_t child, Clock::time_point deadline) {
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect) return event.xmap.window;
    }
    if (waitpid(child, nullptr, WNOHANG) == child) return None;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return None;
    poll(&connection, 1, static_cast<int>(std::min<long long>(left, 50)));
  }
}

// Painted means most of a row through the window's middle no longer shows what the screen showed before
// the program started: a window without a background keeps showing what was below it until the program
// draws. `before` is the whole screen, read before the program was started.
bool AwaitDrawn(Display* display, Window root, Window window, XImage* before, Clock::time_point deadline) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  const int left = std::max(0, attributes.x);
  const int right = std::min(before->width, attributes.x + attributes.width);
  const int y = std::clamp(attributes.y + attributes.height / 2, 0, before->height - 1);
  if (right <= left) return false;
  std::vector<unsigned long> empty;
  for (int x = left; x < right; ++x) empty.push_back(XGetPixel(before, x, y));
  while (Clock::now() < deadline) {
    const std::vector<unsigned long> shown = ReadRow(display, root, left, y, right - left);
    if (shown.size() == empty.size()) {
      size_t changed = 0;
      for (size_t i = 0; i < shown.size(); ++i) changed += shown[i] != empty[i];
      if (changed * 2 > shown.size()) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fprintf(stderr, "usage: %s [--settle-ms N] [--timeout-ms N] -- program [arguments...]\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "startup_probe: cannot open the display (is DISPLAY set?)\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XWindowAttributes screen;
  XGetWindowAttributes(display, root, &screen);
  XImage* before = XGetImage(display, root, 0, 0, static_cast<unsigned>(screen.width),
                             static_cast<unsigned>(screen.height), AllPlanes, ZPixmap);
  if (!before) {
    std::fprintf(stderr, "startup_probe: cannot read the screen\n");
    return 2;
  }
  XSync(display, False);

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("startup_probe: fork");
    return 2;
  }
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
    }
    execvp(options->command[0], options->command.data());
    _exit(127);
  }

  const Clock::time_point deadline = start + std::chrono::milliseconds(options->timeoutMs);
  const Window window = AwaitMappedWindow(display, child, deadline);
  const double mappedMs = MillisecondsSince(start);
  int status = 0;
  if (window == None) {
    std::fprintf(stderr, "startup_probe: %s mapped no window\n", options->command[0]);
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return 1;
  }
  const bool drawn = AwaitDrawn(display, root, window, before, deadline);
  const double drawnMs = MillisecondsSince(start);
  const double cpuMs = CpuMilliseconds(child);

  std::this_thread::sleep_for(std::chrono::milliseconds(options->settleMs));
  const long peakKb = StatusKilobytes(child, "VmHWM");
  const long settledKb = StatusKilobytes(child, "VmRSS");
  kill(child, SIGTERM);
  waitpid(child, &status, 0);
  XDestroyImage(before);
  XCloseDisplay(display);

  if (!drawn) {
    std::fprintf(stderr, "startup_probe: %s never drew its window\n", options->command[0]);
    return 1;
  }
  std::printf("mapped_ms=%.2f drawn_ms=%.2f cpu_ms=%.2f peak_kb=%ld settled_kb=%ld\n", mappedMs, drawnMs, cpuMs, peakKb,
              settledKb);
  return 0;
}
