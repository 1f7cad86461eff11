// `tavelo --record` as the program itself: stopped by SIGINT as a user's Ctrl+C stops it (the recording
// ends at once, says so, exits 0 and leaves a finished file), and on a file that can no longer grow.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>

#include "app/CommandLine.h"
#include "tests/support/MediaFileProbe.h"

namespace tavelo::clitest {
namespace {

void UseSimulatedCameras(QProcess& program) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("TAVELO_CAPTURE", "simulated");
  environment.remove("TAVELO_SIMULATED");
  program.setProcessEnvironment(environment);
}

TEST(RecordProcessTest, SigintStopsTheRecordingEarlyAndFinishesTheFile) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = folder.filePath("stopped.avi");
  QProcess program;
  UseSimulatedCameras(program);
  program.start(QStringLiteral(TAVELO_PROGRAM),
                {"--camera", "Simulated Laptop Camera", "--record", file, "--seconds", "60", "--audio",
                 "Simulated Microphone"});
  ASSERT_TRUE(program.waitForStarted());

  // Not a terminal: one progress line a second.
  QByteArray err;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!err.contains("Recording 1.") && std::chrono::steady_clock::now() < deadline) {
    program.waitForReadyRead(200);
    err += program.readAllStandardError();
  }
  ASSERT_TRUE(err.contains("Recording 1.")) << err.toStdString();
  ::kill(static_cast<pid_t>(program.processId()), SIGINT);
  ASSERT_TRUE(program.waitForFinished(10000));
  err += program.readAllStandardError();
  const QString out = QString::fromUtf8(program.readAllStandardOutput());

  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), ceOk) << err.toStdString();
  EXPECT_TRUE(out.startsWith("Stopped early after ")) << out.toStdString();

  const platform::testing::ProbedFile probed = platform::testing::ProbeMediaFile(file.toStdString());
  ASSERT_TRUE(probed.opened) << probed.error;
  ASSERT_EQ(probed.streams.size(), 2u);
  const platform::testing::ProbedStream* video = probed.Find("video");
  ASSERT_NE(video, nullptr);
  EXPECT_GT(video->end, 0.5);
  EXPECT_LT(video->end, 10.0);
}

// A file that cannot grow (here a file size limit, with the signal it sends ignored, so writes fail as on a
// full disk) ends the recording at once with status 5 and the writer's reason.
TEST(RecordProcessTest, AFileThatCannotBeWrittenOnEndsTheRecordingWithStatusFive) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = folder.filePath("limited.avi");
  QProcess program;
  UseSimulatedCameras(program);
  program.start(QStringLiteral("/bin/sh"),
                {"-c", "trap '' XFSZ; ulimit -f 2000; exec \"$0\" \"$@\"", QStringLiteral(TAVELO_PROGRAM), "--camera",
                 "Simulated Laptop Camera", "--record", file, "--seconds", "30"});
  ASSERT_TRUE(program.waitForFinished(20000));
  const QString err = QString::fromUtf8(program.readAllStandardError());
  EXPECT_EQ(program.exitCode(), ceFileProblem) << err.toStdString();
  EXPECT_TRUE(err.contains("Recording stopped after")) << err.toStdString();
  EXPECT_TRUE(err.contains("File too large")) << err.toStdString();
}

}  // namespace
}  // namespace tavelo::clitest
