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

// The program on the simulated cameras, with no display to be had. Their state is kept in `stateFolder`;
// by default nowhere, so no run sees what another left (nor the user's own cameras' state).
void StartProgram(QProcess& program, const QStringList& arguments, const QString& stateFolder = "off") {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(display);
  environment.insert("QT_QPA_PLATFORM", "");
  environment.insert("TAVELO_CAPTURE", "simulated");
  environment.remove("TAVELO_SIMULATED");
  environment.insert("TAVELO_SIMULATED_STATE", stateFolder);
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TAVELO_PROGRAM), arguments);
}

ProgramRun RunProgram(const QStringList& arguments, const QString& stateFolder = "off") {
  QProcess program;
  StartProgram(program, arguments, stateFolder);
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

// A simulated camera keeps its values from one run to the next, as a real one keeps them in its driver.
TEST(CommandLineProgramTest, ASimulatedCameraKeepsItsValuesBetweenRuns) {
  QTemporaryDir state;
  const QStringList camera = {"--camera", "Simulated HD Webcam"};
  const ProgramRun set = RunProgram(camera + QStringList{"--set", "brightness=140"}, state.path());
  EXPECT_EQ(set.exit, ceOk) << set.err.toStdString();
  const ProgramRun get = RunProgram(camera + QStringList{"--get", "brightness"}, state.path());
  EXPECT_EQ(get.exit, ceOk) << get.err.toStdString();
  const ProgramRun forgetting = RunProgram(camera + QStringList{"--get", "brightness"});
  EXPECT_EQ(forgetting.exit, ceOk) << forgetting.err.toStdString();
  EXPECT_TRUE(get.out.contains("140")) << get.out.toStdString();
  EXPECT_FALSE(forgetting.out.contains("140")) << forgetting.out.toStdString();
  EXPECT_TRUE(forgetting.out.contains("128")) << forgetting.out.toStdString();
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
