#include "app/WatchCommand.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <exception>
#include <optional>
#include <utility>

#include "app/CommandLine.h"
#include "app/ErrorReport.h"
#include "app/StopSignals.h"
#include "camera/CameraErrors.h"
#include "camera/FCamera.h"
#include "settings/CameraSettingsFile.h"
#include "settings/CameraSettingsTransfer.h"

namespace {

bool Readable(const QString& file) {
  const QFileInfo info(file);
  return info.isFile() && info.isReadable();
}

// The refused settings grouped by the camera's reason, so thirty refusals of a busy camera stay one short line:
// "The camera is in use by another program: Brightness, Contrast".
QString RefusalSummary(const TRefusedSettings& refused) {
  QStringList reasons;
  QList<QStringList> keys;
  for (const TRefusedSetting& refusal : refused) {
    qsizetype at = reasons.indexOf(refusal.Reason);
    if (at < 0) {
      at = reasons.size();
      reasons.append(refusal.Reason);
      keys.append(QStringList());
    }
    keys[at].append(refusal.Key);
  }
  QStringList parts;
  for (qsizetype i = 0; i < reasons.size(); ++i) parts.append(reasons[i] + QStringLiteral(": ") + keys[i].join(", "));
  return parts.join(QStringLiteral("; "));
}

QString Where(const TFVideoCaptureDevice& device) { return QStringLiteral("%1 (%2)").arg(device.Name, device.Path); }

}  // namespace

TSettingsWatch::TSettingsWatch(QString file, std::shared_ptr<tavelo::platform::CapturePlatform> platform,
                               std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug, QTextStream& out,
                               QTextStream& err, TWatchTiming timing, QObject* parent)
    : QObject(parent), FFile(std::move(file)), FPlatform(std::move(platform)), FOut(out), FErr(err), FTiming(timing) {
  if (hotplug) {
    FDeviceWatch = std::make_unique<TDeviceWatch>(std::move(hotplug), [this] { CamerasChanged(); });
  } else {
    FRelist.setInterval(FTiming.RelistIntervalMs);
    connect(&FRelist, &QTimer::timeout, this, [this] { CamerasChanged(); });
  }
}

void TSettingsWatch::Start() {
  if (!FDeviceWatch) {
    Log(FErr, QStringLiteral("No device monitor (udev) here: reading the camera list every %1 s instead")
                  .arg(FTiming.RelistIntervalMs / 1000.0));
    FRelist.start();
  }
  CamerasChanged();
}

void TSettingsWatch::Log(QTextStream& stream, const QString& line) {
  stream << line << '\n';
  stream.flush();  // a journal or a pipe should see each line as it happens
}

std::optional<TFVideoCaptureDevices> TSettingsWatch::ListCameras() {
  try {
    return TFCamera(nullptr, FPlatform).Devices();
  } catch (...) {
    Log(FErr, QStringLiteral("Cannot list the cameras: %1").arg(ErrorMessage(std::current_exception())));
  }
  return std::nullopt;
}

// A camera counts as new when its name and path were not in the last listing: one unplugged and plugged
// back in has left the list in between.
void TSettingsWatch::CamerasChanged() {
  const std::optional<TFVideoCaptureDevices> devices = ListCameras();
  if (!devices) return;  // the next change tries again; nothing is known to be new
  QSet<QString> listed;
  for (const TFVideoCaptureDevice& device : *devices) {
    const QString key = device.Name + QLatin1Char('\n') + device.Path;
    listed.insert(key);
    if (!FListed.contains(key)) Apply(device, 1);
  }
  FListed = std::move(listed);
}

void TSettingsWatch::Apply(const TFVideoCaptureDevice& device, int attempt) {
  if (!Readable(FFile)) {
    Log(FErr, QStringLiteral("Cannot read \"%1\"; %2 keeps its settings").arg(FFile, Where(device)));
    return;
  }
  std::optional<TCameraSettings> settings;
  try {
    const TCameraSettingsFile settingsFile(FFile);
    if (!settingsFile.HoldsCamera(device.Name)) return;  // a camera the file says nothing about
    settings = settingsFile.Read(device.Name);
  } catch (...) {
    Log(FErr, QStringLiteral("Cannot read \"%1\": %2").arg(FFile, ErrorMessage(std::current_exception())));
    return;
  }
  TRefusedSettings refused;
  try {
    TFCamera camera(nullptr, FPlatform);
    camera.SelectDevice(device.Name, device.Path);
    refused = TCameraSettingsTransfer(camera).Apply(*settings);
  } catch (...) {
    if (attempt < FTiming.Attempts) return RetryLater(device, attempt);
    Log(FErr, QStringLiteral("Could not apply %1 to %2: %3")
                  .arg(FFile, Where(device), ErrorMessage(std::current_exception())));
    return;
  }
  if (refused.empty()) {
    Log(FOut, QStringLiteral("Applied %1 to %2").arg(FFile, Where(device)));
    return;
  }
  // A node still busy refuses every setting one by one rather than failing as a whole.
  if (attempt < FTiming.Attempts) return RetryLater(device, attempt);
  Log(FErr, QStringLiteral("Applied %1 to %2 in part: %3").arg(FFile, Where(device), RefusalSummary(refused)));
}

void TSettingsWatch::RetryLater(const TFVideoCaptureDevice& device, int attempt) {
  QTimer::singleShot(FTiming.RetryIntervalMs, this, [this, device, attempt] { Apply(device, attempt + 1); });
}

int RunWatchCommand(const QString& file, std::shared_ptr<tavelo::platform::CapturePlatform> platform,
                    QTextStream& out, QTextStream& err) {
  if (!Readable(file)) {
    err << QStringLiteral("Cannot read \"%1\"").arg(file) << '\n';
    err.flush();
    return ceFileProblem;
  }
  std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug;
#ifdef __linux__
  if (platform->Name() == "v4l2") hotplug = tavelo::platform::v4l2::OpenDeviceHotplug();
#endif
  const TStopSignals stopSignals([] { QCoreApplication::quit(); });
  TSettingsWatch watch(file, std::move(platform), std::move(hotplug), out, err);
  // Started from the loop, so a signal arriving during the first applications is heard at once after.
  QTimer::singleShot(0, &watch, [&watch] { watch.Start(); });
  QCoreApplication::exec();
  return ceOk;
}
