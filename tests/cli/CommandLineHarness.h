#pragma once

// Runs the command line in this process on a given backend and keeps what it printed, so a test sees
// the exit status, standard output and the lines of standard error together.

#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <memory>

#include "app/CommandLine.h"
#include "camera/platform/CapturePlatform.h"
#include "camera/platform/simulated/SimulatedPlatform.h"

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

// The simulated HD webcam and laptop camera, and a scratch folder for the files a run writes.
class SimulatedCamerasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    cameras = platform::CreateSimulatedPlatform({"hd-autofocus", "laptop"}, &error);
    ASSERT_NE(cameras, nullptr) << error;
    ASSERT_TRUE(folder.isValid());
  }

  QString File(const QString& name) const { return folder.filePath(name); }

  std::shared_ptr<platform::SimulatedPlatform> cameras;
  QTemporaryDir folder;
};

}  // namespace tavelo::clitest
