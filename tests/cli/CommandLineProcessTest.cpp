// The installed program itself, started without any display: the command line must never need one.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>

#include "app/CommandLine.h"
#include "settings/CameraSettingsFile.h"

namespace {

struct ProgramRun {
  int exit = -1;
  QString out;
  QString err;
};

// The program on the simulated cameras, with no display to be had.
void StartProgram(QProcess& program, const QStringList& arguments) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(display);
  environment.insert("QT_QPA_PLATFORM", "");
  environment.insert("TAVELO_CAPTURE", "simulated");
  environment.remove("TAVELO_SIMULATED");
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TAVELO_PROGRAM), arguments);
}

ProgramRun RunProgram(const QStringList& arguments) {
  QProcess program;
  StartProgram(program, arguments);
  ProgramRun run;
  if (!program.waitForFinished(30000)) {
    program.kill();
    program.waitForFinished();
    return run;
  }
  run.exit = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
  run.out = QString::fromUtf8(program.readAllStandardOutput());
  run.err = QString::fromUtf8(program.readAllStandardError());
  return run;
}

TEST(CommandLineProgramTest, RunsWithoutADisplay) {
  const ProgramRun list = RunProgram({"--list"});
  EXPECT_EQ(list.exit, ceOk) << list.err.toStdString();
  EXPECT_TRUE(list.out.contains("Simulated HD Webcam\tsim://hd-webcam")) << list.out.toStdString();

  QTemporaryDir folder;
  const QString file = folder.filePath("saved.vcs");
  const ProgramRun save = RunProgram({"--camera", "Simulated HD Webcam", "--save", file});
  EXPECT_EQ(save.exit, ceOk) << save.err.toStdString();
  EXPECT_TRUE(TCameraSettingsFile(file).HoldsCamera("Simulated HD Webcam"));

  const ProgramRun wrong = RunProgram({"--brightness"});
  EXPECT_EQ(wrong.exit, ceBadArgument);
  EXPECT_EQ(wrong.err, "Unknown option \"--brightness\" (see --help)\n");
}

// --watch runs until it is told to stop, as a service manager tells it, and then ends cleanly.
TEST(CommandLineProgramTest, WatchAppliesAtStartAndEndsCleanlyOnASignal) {
  QTemporaryDir folder;
  const QString file = folder.filePath("saved.vcs");
  ASSERT_EQ(RunProgram({"--camera", "Simulated HD Webcam", "--save", file}).exit, ceOk);

  for (const int stop : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(stop);
    QProcess watch;
    StartProgram(watch, {"--watch", file});
    ASSERT_TRUE(watch.waitForStarted());
    QString out;
    while (!out.contains('\n') && watch.waitForReadyRead(10000)) out += QString::fromUtf8(watch.readAllStandardOutput());
    EXPECT_EQ(out, QStringLiteral("Applied %1 to Simulated HD Webcam (sim://hd-webcam)\n").arg(file));
    ::kill(static_cast<pid_t>(watch.processId()), stop);
    ASSERT_TRUE(watch.waitForFinished(10000));
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), ceOk) << watch.readAllStandardError().toStdString();
  }

  const ProgramRun missing = RunProgram({"--watch", folder.filePath("missing.vcs")});
  EXPECT_EQ(missing.exit, ceFileProblem);
  EXPECT_EQ(missing.err, QStringLiteral("Cannot read \"%1\"\n").arg(folder.filePath("missing.vcs")));
}

}  // namespace
