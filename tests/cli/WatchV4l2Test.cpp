// `tavelo --watch` on the fake V4L2 kernel: the file's section reaches the cameras listed at start and each
// camera plugged in later, once, and a camera that is busy when it appears is tried again.
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/WatchCommand.h"
#include "tests/cli/CommandLineHarness.h"
#include "tests/v4l2/ScriptedDeviceHotplug.h"
#include "tests/v4l2/V4l2TestRig.h"

namespace tavelo::clitest {
namespace {

using v4l2test::FakeCamera;
using v4l2test::ScriptedDeviceHotplug;
using v4l2test::V4l2TestRig;
using Notice = ScriptedDeviceHotplug::Notice;

const QString kHd = QStringLiteral("Simulated HD Webcam");
const QString kLaptop = QStringLiteral("Simulated Laptop Camera");
constexpr TWatchTiming kQuick{/*RetryIntervalMs=*/100, /*Attempts=*/6, /*RelistIntervalMs=*/100};

// The line for a camera as it is listed now (by its udev link where it has one).
QString AppliedLine(V4l2TestRig& rig, const QString& file, const QString& camera) {
  QString path;
  for (const auto& device : rig.ListDevices()) {
    if (QString::fromStdString(device.friendlyName) == camera) path = QString::fromStdString(device.devicePath);
  }
  return QStringLiteral("Applied %1 to %2 (%3)").arg(file, camera, path);
}

// Lists a camera that cannot be opened, as sysfs shows it to the backend.
void ListFromSysfs(V4l2TestRig& rig, const FakeCamera& camera, const char* name) {
  const auto entry = std::filesystem::path(rig.SysfsDirectory()) / std::filesystem::path(camera.Node()).filename();
  std::filesystem::create_directories(entry);
  std::ofstream(entry / "name") << name << '\n';
  std::ofstream(entry / "index") << "0\n";
}

class WatchV4l2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    // The file holds the HD camera's section only: brightness 140 under manual exposure of 500.
    FakeCamera& hd = rig.PlugProfile("hd-autofocus");
    const QStringList onHd{"--camera", kHd};
    ASSERT_EQ(RunCli(rig.PlatformPointer(), onHd + QStringList{"--set", "brightness=140", "exposure=500"}).exit, ceOk);
    ASSERT_EQ(RunCli(rig.PlatformPointer(), onHd + QStringList{"--save", file}).exit, ceOk);
    hd.Unplug();
  }

  // A watch whose device notices the test announces; `script` is null for a watch without udev.
  TSettingsWatch& Watch(bool withHotplug = true) {
    std::unique_ptr<platform::v4l2::DeviceHotplug> hotplug;
    if (withHotplug) {
      auto scripted = std::make_unique<ScriptedDeviceHotplug>();
      script = scripted.get();
      hotplug = std::move(scripted);
    }
    watch = std::make_unique<TSettingsWatch>(file, rig.PlatformPointer(), std::move(hotplug), out, err, kQuick);
    watch->Start();
    return *watch;
  }
  QStringList OutLines() const { return log.split('\n', Qt::SkipEmptyParts); }
  std::string Log() const { return log.toStdString(); }
  QStringList ErrLines() const { return errors.split('\n', Qt::SkipEmptyParts); }

  V4l2TestRig rig;
  QTemporaryDir folder;
  const QString file = folder.filePath("webcam.vcs");
  QString log, errors;
  QTextStream out{&log}, err{&errors};
  ScriptedDeviceHotplug* script = nullptr;
  std::unique_ptr<TSettingsWatch> watch;
};

TEST_F(WatchV4l2Test, AtStartOnlyCamerasWithASectionAreSetUp) {
  FakeCamera& laptop = rig.PlugProfile("laptop-camera");
  FakeCamera& hd = rig.PlugProfile("hd-autofocus");
  const std::int32_t laptopBrightness = laptop.Value(V4L2_CID_BRIGHTNESS);
  ASSERT_NE(hd.Value(V4L2_CID_BRIGHTNESS), 140);

  Watch();
  EXPECT_EQ(Log(), (AppliedLine(rig, file, kHd) + '\n').toStdString());
  EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
  EXPECT_EQ(hd.Value(V4L2_CID_BRIGHTNESS), 140);
  EXPECT_EQ(hd.Value(V4L2_CID_EXPOSURE_ABSOLUTE), 500);
  EXPECT_EQ(laptop.Value(V4L2_CID_BRIGHTNESS), laptopBrightness);
}

// Through udev's notices or, without udev, by reading the list again: a camera that appears is set up
// once, and cameras already set up are left alone when another notice comes.
TEST_F(WatchV4l2Test, APluggedInCameraIsSetUpOnce) {
  for (const bool withHotplug : {true, false}) {
    SCOPED_TRACE(withHotplug ? "device watch" : "re-reading the list");
    log.clear();
    errors.clear();
    FakeCamera& laptop = rig.PlugProfile("laptop-camera");
    Watch(withHotplug);
    EXPECT_TRUE(log.isEmpty()) << log.toStdString();
    EXPECT_EQ(ErrLines().size(), withHotplug ? 0 : 1) << errors.toStdString();  // the one line saying there is no udev

    FakeCamera& hd = rig.PlugProfile("hd-autofocus");
    if (script) script->Announce(Notice::Added);
    ASSERT_TRUE(QTest::qWaitFor([&] { return OutLines().size() == 1; }, 2000)) << Log() << errors.toStdString();
    EXPECT_EQ(Log(), (AppliedLine(rig, file, kHd) + '\n').toStdString());
    EXPECT_EQ(hd.Value(V4L2_CID_BRIGHTNESS), 140);

    // The user changes the camera afterwards; notices about other nodes must not undo that.
    hd.SetValue(V4L2_CID_BRIGHTNESS, 90);
    if (script) script->Announce(Notice::Added);
    QTest::qWait(TDeviceWatch::kSettleMs + 3 * kQuick.RelistIntervalMs);
    EXPECT_EQ(OutLines().size(), 1) << log.toStdString();
    EXPECT_EQ(hd.Value(V4L2_CID_BRIGHTNESS), 90);

    // Unplugged and plugged back in: the camera has forgotten, so it is set up again.
    hd.Unplug();
    if (script) script->Announce(Notice::Removed);
    QTest::qWait(TDeviceWatch::kSettleMs + 3 * kQuick.RelistIntervalMs);
    FakeCamera& again = rig.PlugProfile("hd-autofocus");
    if (script) script->Announce(Notice::Added);
    ASSERT_TRUE(QTest::qWaitFor([&] { return OutLines().size() == 2; }, 2000)) << Log() << errors.toStdString();
    EXPECT_EQ(OutLines().back().toStdString(), AppliedLine(rig, file, kHd).toStdString());
    EXPECT_EQ(again.Value(V4L2_CID_BRIGHTNESS), 140);

    watch.reset();
    script = nullptr;
    again.Unplug();
    laptop.Unplug();
  }
}

// A freshly plugged node can be busy for a moment: the watch tries again and gives up with one line.
TEST_F(WatchV4l2Test, ABusyCameraIsTriedAgainThenReported) {
  const struct {
    const char* what;
    int busyForMs;  // from the notice; -1: for good
    bool applied;
  } cases[] = {
      // The first two attempts, after the notices have settled, find it busy.
      {"busy for a moment", TDeviceWatch::kSettleMs + kQuick.RetryIntervalMs * 3 / 2, true},
      {"busy for good", -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    log.clear();
    errors.clear();
    Watch();
    FakeCamera& hd = rig.PlugProfile("hd-autofocus");
    hd.DenyOpen(EBUSY);
    ListFromSysfs(rig, hd, "Simulated HD Webcam");
    if (c.busyForMs >= 0) QTimer::singleShot(c.busyForMs, [&hd] { hd.DenyOpen(0); });
    script->Announce(Notice::Added);

    if (c.applied) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return OutLines().size() == 1; }, 2000)) << Log() << errors.toStdString();
      EXPECT_TRUE(log.startsWith(QStringLiteral("Applied %1 to %2 (").arg(file, kHd))) << Log();
      EXPECT_EQ(hd.Value(V4L2_CID_BRIGHTNESS), 140);
      EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
    } else {
      ASSERT_TRUE(QTest::qWaitFor([&] { return ErrLines().size() == 1; }, 3000)) << Log() << errors.toStdString();
      EXPECT_TRUE(ErrLines()[0].contains(kHd)) << errors.toStdString();
      EXPECT_TRUE(ErrLines()[0].contains("in use by another program")) << errors.toStdString();
      QTest::qWait(kQuick.RetryIntervalMs * (kQuick.Attempts + 1));
      EXPECT_EQ(ErrLines().size(), 1) << errors.toStdString();
      EXPECT_TRUE(log.isEmpty()) << Log();
    }
    watch.reset();
    std::filesystem::remove_all(std::filesystem::path(rig.SysfsDirectory()) /
                                std::filesystem::path(hd.Node()).filename());
    hd.Unplug();
  }
}

}  // namespace
}  // namespace tavelo::clitest
