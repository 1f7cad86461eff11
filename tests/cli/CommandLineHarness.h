#pragma once

// Runs the command line in this process on a given backend and keeps what it printed, so a test sees
// the exit status, standard output and the lines of standard error together.

#include <QStringList>
#include <QTextStream>

#include <memory>

#include "app/CommandLine.h"
#include "camera/platform/CapturePlatform.h"

namespace tavelo::clitest {

struct CommandLineRun {
  int exit = -1;
  QString out;
  QString err;

  QStringList ErrLines() const { return err.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
  QStringList OutLines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

inline CommandLineRun RunCli(std::shared_ptr<platform::CapturePlatform> platform, const QStringList& arguments) {
  CommandLineRun run;
  QTextStream out(&run.out);
  QTextStream err(&run.err);
  run.exit = RunCommandLine(arguments, std::move(platform), out, err);
  return run;
}

}  // namespace tavelo::clitest
