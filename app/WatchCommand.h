#pragma once

// `tavelo --watch FILE.vcs`: keeps cameras set up from one settings file without a window. It applies the
// file to every listed camera that has a section in it at start, and again to each camera that joins the
// list later: unplugging and plugging a camera back in is what makes it forget its settings. It learns of
// new cameras from the device watch; where there is none (no udev) it reads the list again every few
// seconds instead. The file is read afresh for each application, so edits to it take effect at the next.

#include <QObject>
#include <QSet>
#include <QString>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <optional>

#include "app/DeviceWatch.h"
#include "camera/CameraTypes.h"
#include "camera/platform/CapturePlatform.h"
#include "camera/platform/v4l2/DeviceHotplug.h"

struct TWatchTiming {
  // A freshly plugged node may answer "busy" or "gone" while udev and the driver finish setting it up.
  int RetryIntervalMs = 300;
  int Attempts = 7;
  // Without a device watch: how often the camera list is read again.
  int RelistIntervalMs = 3000;
};

class TSettingsWatch : public QObject {
  Q_OBJECT

 public:
  // `hotplug` may be null: then the list is re-read every RelistIntervalMs. Lines go to `out` (one per
  // application) and `err` (one per failure); both must outlive the watch.
  TSettingsWatch(QString file, std::shared_ptr<tavelo::platform::CapturePlatform> platform,
                 std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug, QTextStream& out, QTextStream& err,
                 TWatchTiming timing = {}, QObject* parent = nullptr);

  // Applies the file to the cameras listed now and starts watching. Never throws.
  void Start();

 private:
  void CamerasChanged();
  // Attempt `attempt` (from 1) of putting the file's section onto a camera that just appeared.
  void Apply(const TFVideoCaptureDevice& device, int attempt);
  void RetryLater(const TFVideoCaptureDevice& device, int attempt);
  std::optional<TFVideoCaptureDevices> ListCameras();
  void Log(QTextStream& stream, const QString& line);

  QString FFile;
  std::shared_ptr<tavelo::platform::CapturePlatform> FPlatform;
  std::unique_ptr<TDeviceWatch> FDeviceWatch;
  QTimer FRelist;
  QTextStream& FOut;
  QTextStream& FErr;
  TWatchTiming FTiming;
  QSet<QString> FListed;  // the cameras of the last listing, by name and path
};

// The whole command: checks the file (ceFileProblem when it cannot be read), opens the device watch for
// the V4L2 backend, and runs until SIGINT or SIGTERM, which end it with ceOk. Needs a QCoreApplication.
int RunWatchCommand(const QString& file, std::shared_ptr<tavelo::platform::CapturePlatform> platform,
                    QTextStream& out, QTextStream& err);
