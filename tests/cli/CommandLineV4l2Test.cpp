// The command line on the fake V4L2 kernel: the control writes it makes, and how the kernel's failures
// (busy, no permission, unplugged) become exit statuses.
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/cli/CommandLineHarness.h"
#include "tests/v4l2/V4l2TestRig.h"

namespace tavelo::clitest {
namespace {

using v4l2test::FakeCamera;
using v4l2test::V4l2TestRig;
using Strings = std::vector<std::string>;

const QString kHd = QStringLiteral("Simulated HD Webcam");

Strings ControlWrites(const Strings& log) {
  Strings writes;
  std::copy_if(log.begin(), log.end(), std::back_inserter(writes),
               [](const std::string& line) { return line.rfind("S_CTRL", 0) == 0; });
  return writes;
}

class CommandLineV4l2Test : public ::testing::Test {
 protected:
  CommandLineRun OnHd(QStringList arguments) {
    return RunCli(rig.PlatformPointer(), QStringList{"--camera", kHd} + arguments);
  }
  Strings Writes() { return ControlWrites(rig.Kernel().LogText()); }

  V4l2TestRig rig;
  FakeCamera& hd = rig.PlugProfile("hd-autofocus");
  QTemporaryDir folder;
};

TEST_F(CommandLineV4l2Test, ListShowsTheDeviceAndItsDriver) {
  rig.PlugProfile("laptop-camera");
  const CommandLineRun run = RunCli(rig.PlatformPointer(), {"--list"});
  ASSERT_EQ(run.exit, ceOk) << run.err.toStdString();
  const auto devices = rig.ListDevices();
  ASSERT_EQ(run.OutLines().size(), static_cast<qsizetype>(devices.size()));
  for (std::size_t i = 0; i < devices.size(); ++i) {
    const QStringList fields = run.OutLines()[static_cast<qsizetype>(i)].split('\t');
    EXPECT_EQ(fields, (QStringList{QString::fromStdString(devices[i].friendlyName),
                                   QString::fromStdString(devices[i].devicePath),
                                   QString::fromStdString(devices[i].description)}));
  }
  EXPECT_TRUE(run.OutLines()[0].contains("uvcvideo")) << run.out.toStdString();
}

TEST_F(CommandLineV4l2Test, SetWritesTheHeldValueAndFreesItFromAutomaticControl) {
  rig.Kernel().ClearLog();
  ASSERT_EQ(OnHd({"--set", "Brightness=300", "exposure=400", "powerfrequency=50"}).exit, ceOk);
  // Switching to manual keeps the time the camera had chosen; the asked-for time comes after it.
  EXPECT_EQ(Writes(), (Strings{"S_CTRL brightness=255", "S_CTRL exposure_auto=1", "S_CTRL exposure_absolute=250",
                               "S_CTRL exposure_absolute=400", "S_CTRL power_line_frequency=1"}));
}

// The same file gives the same writes as the window's Load: automatic companions first, then values in
// row order, a value equal to the camera's own not written, the frequency last.
TEST_F(CommandLineV4l2Test, LoadMakesTheWindowsControlWrites) {
  const QString file = folder.filePath("webcam.vcs");
  ASSERT_EQ(OnHd({"--set", "brightness=140", "exposure=500"}).exit, ceOk);
  ASSERT_EQ(OnHd({"--save", file}).exit, ceOk);
  ASSERT_EQ(OnHd({"--set", "brightness=90", "exposure=auto"}).exit, ceOk);
  hd.SetValue(V4L2_CID_EXPOSURE_ABSOLUTE, 300);  // the camera picks its own time under automatic control
  rig.Kernel().ClearLog();

  const CommandLineRun load = OnHd({"--load", file});
  EXPECT_EQ(load.exit, ceOk) << load.err.toStdString();
  EXPECT_EQ(Writes(), (Strings{"S_CTRL exposure_auto=1", "S_CTRL exposure_absolute=300", "S_CTRL brightness=140",
                               "S_CTRL exposure_absolute=500", "S_CTRL power_line_frequency=2"}));
  EXPECT_EQ(hd.Value(V4L2_CID_BRIGHTNESS), 140);
  EXPECT_EQ(hd.Value(V4L2_CID_EXPOSURE_ABSOLUTE), 500);
}

TEST_F(CommandLineV4l2Test, LoadWithoutTheCamerasSectionWritesNothing) {
  const QString file = folder.filePath("other.vcs");
  rig.PlugProfile("laptop-camera");
  ASSERT_EQ(RunCli(rig.PlatformPointer(), {"--camera", "Simulated Laptop Camera", "--save", file}).exit, ceOk);
  rig.Kernel().ClearLog();
  const CommandLineRun load = OnHd({"--load", file});
  EXPECT_EQ(load.exit, ceFileProblem);
  EXPECT_EQ(load.ErrLines(), QStringList{"No settings for Simulated HD Webcam in \"other.vcs\". Nothing changed."});
  EXPECT_TRUE(Writes().empty());
}

// What the kernel answers decides the status; each failure is one line on standard error.
TEST_F(CommandLineV4l2Test, KernelFailuresBecomeExitStatuses) {
  const struct {
    const char* what;
    void (*fault)(V4l2TestRig&, FakeCamera&);
    QStringList arguments;
    int exit;
    const char* complaint;
  } cases[] = {
      {"a control write answers EBUSY",
       [](V4l2TestRig&, FakeCamera& camera) { camera.FailNext(VIDIOC_S_CTRL, EBUSY, 1, V4L2_CID_BRIGHTNESS); },
       {"--set", "brightness=10"}, ceCameraBusy, "Brightness: The camera is in use by another program"},
      {"unplugged before the write",
       [](V4l2TestRig&, FakeCamera& camera) { camera.VanishAtRequest(VIDIOC_S_CTRL); },
       {"--set", "brightness=10"}, ceNoSuchCamera, "Brightness: "},
      {"unplugged while reading",
       [](V4l2TestRig&, FakeCamera& camera) { camera.VanishAtRequest(VIDIOC_G_CTRL); },
       {"--get"}, ceNoSuchCamera, ""},
      {"unplugged before the run", [](V4l2TestRig&, FakeCamera& camera) { camera.Unplug(); }, {"--get"},
       ceNoSuchCamera, "No camera \"Simulated HD Webcam\""},
      {"the user may not open it",
       [](V4l2TestRig& rig, FakeCamera& camera) {
         camera.DenyOpen(EACCES);
         // Listed from sysfs, as a camera that cannot be opened is.
         const std::filesystem::path entry = std::filesystem::path(rig.SysfsDirectory()) / "video0";
         std::filesystem::create_directories(entry);
         std::ofstream(entry / "name") << "Simulated HD Webcam\n";
         std::ofstream(entry / "index") << "0\n";
       },
       {"--get", "brightness"}, ceCameraBusy, "Permission to open the camera was denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    V4l2TestRig local;
    FakeCamera& camera = local.PlugProfile("hd-autofocus");
    c.fault(local, camera);
    const CommandLineRun run = RunCli(local.PlatformPointer(), QStringList{"--camera", kHd} + c.arguments);
    EXPECT_EQ(run.exit, c.exit) << run.err.toStdString();
    ASSERT_EQ(run.ErrLines().size(), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1StringView(c.complaint))) << run.err.toStdString();
  }
}

}  // namespace
}  // namespace tavelo::clitest
