// A program that holds a single-instance guard and nothing else, for the tests that start real copies.
// Its first argument is how many milliseconds of start-up work lie between the guard and the event loop,
// as the main window's start-up does. Once the guard has let it run (both looks), it writes "running" on
// standard output and runs until its standard input closes, then exits with 3. A copy the guard ends
// exits with 0 and writes nothing.
#include <QCoreApplication>
#include <QSocketNotifier>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "single_instance/singleinstance.h"

int main(int argc, char** argv) {
  constexpr int kStillRunning = 3;
  QCoreApplication application(argc, argv);
  TSingleInstance guard(&application);
  const int startUpMs = argc > 1 ? std::atoi(argv[1]) : 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(startUpMs));

  // Queued after the guard's second look, so it sees that look's outcome.
  QMetaObject::invokeMethod(
      &application,
      [&guard] {
        if (guard.QuitRequested()) return;
        std::fputs("running\n", stdout);
        std::fflush(stdout);
      },
      Qt::QueuedConnection);

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [] {
    char buffer[64];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) QCoreApplication::exit(kStillRunning);
  });
  return QCoreApplication::exec();
}
