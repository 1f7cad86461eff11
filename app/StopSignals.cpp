#include "app/StopSignals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

TStopSignals::TStopSignals(std::function<void()> onStop) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gPipe) != 0) return;
  FNotifier.emplace(gPipe[0], QSocketNotifier::Read);
  QObject::connect(&*FNotifier, &QSocketNotifier::activated, [onStop = std::move(onStop)] {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(gPipe[0], &byte, 1);
    onStop();
  });
  struct sigaction action = {};
  action.sa_handler = &Stop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

TStopSignals::~TStopSignals() {
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  FNotifier.reset();
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

void TStopSignals::Stop(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
}
