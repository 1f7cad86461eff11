#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <exception>
#include <utility>

#include "app/Autostart.h"
#include "app/CommandLineOptions.h"
#include "app/ErrorReport.h"
#include "app/RecordCommand.h"
#include "app/WatchCommand.h"
#include "camera/CameraFailure.h"
#include "camera/FCamera.h"
#include "camera/PropertyList.h"
#include "camera/platform/PlatformChoice.h"
#include "settings/CameraSettingsFile.h"
#include "settings/CameraSettingsTransfer.h"
#include "settings/IniFile.h"

namespace {

using TAction = TCommandLineRequest::TAction;
using TListKind = TCommandLineRequest::TListKind;

// A failure the command line explains itself, with the status it ends with.
struct ECommandLineError {
  TCommandLineExit Exit;
  QString Message;
};

QString SettingName(const std::optional<TFCameraProperty>& property) {
  return property ? SettingsValueKey(*property) : QString::fromLatin1(kPowerFrequencyOption);
}

// A path names one camera; a name the first camera listed under it, as the window's list selects it.
// Names are matched exactly first, so that two cameras differing only in letter case stay apart.
const TFVideoCaptureDevice* FindCamera(const TFVideoCaptureDevices& devices, const QString& wanted) {
  for (const auto matches : {+[](const TFVideoCaptureDevice& d, const QString& w) { return d.Path == w; },
                             +[](const TFVideoCaptureDevice& d, const QString& w) { return d.Name == w; },
                             +[](const TFVideoCaptureDevice& d, const QString& w) {
                               return d.Name.compare(w, Qt::CaseInsensitive) == 0;
                             }}) {
    for (const TFVideoCaptureDevice& device : devices) {
      if (matches(device, wanted)) return &device;
    }
  }
  return nullptr;
}

// A camera error as the command line reports it: its status from what the failure means for the camera.
ECommandLineError CameraError(std::exception_ptr error, const QString& context) {
  QString message = ErrorMessage(error);
  if (!context.isEmpty()) message = context + QStringLiteral(": ") + message;
  switch (CameraFailureOf(error)) {
    case TFCameraFailure::cfDisconnected: return {ceNoSuchCamera, message};
    case TFCameraFailure::cfNoPermission:
    case TFCameraFailure::cfRefused: return {ceCameraBusy, message};
    default: return {ceFailure, message};
  }
}

class TCommandLineRun {
 public:
  TCommandLineRun(std::shared_ptr<tavelo::platform::CapturePlatform> platform, QTextStream& out, QTextStream& err)
      : FCamera(nullptr, std::move(platform)), FOut(out), FErr(err) {}

  int Run(const TCommandLineRequest& request) {
    switch (request.Action) {
      case TAction::caHelp: break;  // answered without a camera
      case TAction::caList: List(request.List, request.Json); return ceOk;
      case TAction::caGet: Select(request.Camera); Get(request.Get, request.Json); return ceOk;
      case TAction::caSet: Select(request.Camera); return Set(request.Set);
      case TAction::caSave: Select(request.Camera); Save(request.File); return ceOk;
      case TAction::caLoad: Select(request.Camera); return Load(request.File);
      case TAction::caRecord:
        Select(request.Camera);
        return RunRecordCommand(FCamera, FDevice, request.File, request.Record, FOut, FErr);
      case TAction::caWatch:
      case TAction::caInstallAutostart:
      case TAction::caRemoveAutostart:
        // They need an event loop or the service manager, which only CommandLineMain sets up.
        throw ECommandLineError{ceFailure, QStringLiteral("This option runs only from the program itself")};
    }
    return ceFailure;
  }

 private:
  void List(TListKind kind, bool json) {
    switch (kind) {
      case TListKind::lkCameras: return ListCameras(json);
      case TListKind::lkAudio: return ListAudioInputs(json);
      case TListKind::lkCompressors: return ListNames(FCamera.Compressors(), json);
      case TListKind::lkAudioCompressors: return ListNames(FCamera.AudioCompressors(), json);
    }
  }

  void ListCameras(bool json) {
    const TFVideoCaptureDevices devices = FCamera.Devices();
    if (json) {
      QJsonArray cameras;
      for (const TFVideoCaptureDevice& device : devices) {
        cameras.append(QJsonObject{{QStringLiteral("name"), device.Name},
                                   {QStringLiteral("path"), device.Path},
                                   {QStringLiteral("driver"), device.Description}});
      }
      FOut << QJsonDocument(cameras).toJson(QJsonDocument::Indented);
      return;
    }
    for (const TFVideoCaptureDevice& device : devices) {
      FOut << device.Name << '\t' << device.Path << '\t' << device.Description << '\n';
    }
  }

  void ListAudioInputs(bool json) {
    const TFAudioCaptureDevices devices = FCamera.AudioCaptureDevices();
    if (json) {
      QJsonArray inputs;
      for (const TFAudioCaptureDevice& device : devices) {
        inputs.append(QJsonObject{{QStringLiteral("name"), device.Name},
                                  {QStringLiteral("description"), device.Description},
                                  {QStringLiteral("waveInId"), device.WaveInID}});
      }
      FOut << QJsonDocument(inputs).toJson(QJsonDocument::Indented);
      return;
    }
    for (const TFAudioCaptureDevice& device : devices) FOut << device.Name << '\t' << device.Description << '\n';
  }

  void ListNames(const std::vector<QString>& names, bool json) {
    if (json) {
      QJsonArray array;
      for (const QString& name : names) array.append(QJsonObject{{QStringLiteral("name"), name}});
      FOut << QJsonDocument(array).toJson(QJsonDocument::Indented);
      return;
    }
    for (const QString& name : names) FOut << name << '\n';
  }

  void Select(const QString& wanted) {
    const TFVideoCaptureDevices devices = FCamera.Devices();
    const TFVideoCaptureDevice* device = FindCamera(devices, wanted);
    if (!device) throw ECommandLineError{ceNoSuchCamera, QStringLiteral("No camera \"%1\" (see --list)").arg(wanted)};
    FDevice = *device;
    FCameraName = device->Name;
    FCamera.SelectDevice(device->Name, device->Path);
  }

  bool Supported(const std::optional<TFCameraProperty>& property) {
    return property ? FCamera.PropertySupported(*property) : FCamera.PowerLineFrequencySupported();
  }

  void RequireSupported(const std::optional<TFCameraProperty>& property) {
    if (!Supported(property)) {
      throw ECommandLineError{ceBadArgument,
                              QStringLiteral("%1 does not have %2").arg(FCameraName, SettingName(property))};
    }
  }

  void Get(std::vector<std::optional<TFCameraProperty>> settings, bool json) {
    if (settings.empty()) {
      for (const TFCameraProperty property : kPropertyList) {
        if (FCamera.PropertySupported(property)) settings.emplace_back(property);
      }
      if (FCamera.PowerLineFrequencySupported()) settings.emplace_back();
    }
    for (const std::optional<TFCameraProperty>& setting : settings) RequireSupported(setting);
    QJsonObject answer;
    for (const std::optional<TFCameraProperty>& setting : settings) {
      const QString name = SettingName(setting);
      if (!setting) {
        const QString frequency = PowerFrequencyWord(FCamera.PowerLineFrequency());
        if (json) answer.insert(name, frequency);
        else FOut << name << '=' << frequency << '\n';
        continue;
      }
      const std::int32_t value = FCamera.PropertyValue(*setting);
      const bool automatic = FCamera.PropertyAuto(*setting);
      if (json) {
        const TFRange range = FCamera.PropertyRange(*setting);
        answer.insert(name, QJsonObject{{QStringLiteral("value"), value},
                                        {QStringLiteral("auto"), automatic},
                                        {QStringLiteral("min"), range.Min},
                                        {QStringLiteral("max"), range.Max},
                                        {QStringLiteral("step"), range.Delta},
                                        {QStringLiteral("default"), range.Default}});
      } else {
        FOut << name << '=' << value << (automatic ? " auto" : "") << '\n';
      }
    }
    if (json) FOut << QJsonDocument(answer).toJson(QJsonDocument::Indented);
  }

  // Every change is tried; the first failure that is not a refusal ends the run, a refusal is reported
  // and the rest goes on, as the window's rows carry on after one.
  int Set(const std::vector<TPropertyChange>& changes) {
    for (const TPropertyChange& change : changes) RequireSupported(change.Property);
    int exit = ceOk;
    TCameraSettingsTransfer transfer(FCamera);
    for (const TPropertyChange& change : changes) {
      try {
        if (const auto* frequency = std::get_if<TFPowerLineFrequency>(&change.Change)) {
          FCamera.SetPowerLineFrequency(*frequency);
        } else if (const auto* value = std::get_if<TPropertyChange::TValue>(&change.Change)) {
          transfer.SetValue(*change.Property, value->Value);
        } else {
          FCamera.SetPropertyAuto(*change.Property, true);
        }
      } catch (...) {
        const ECommandLineError error = CameraError(std::current_exception(), SettingName(change.Property));
        if (CameraFailureOf(std::current_exception()) != TFCameraFailure::cfRefused) throw error;
        FErr << error.Message << '\n';
        exit = error.Exit;
      }
    }
    return exit;
  }

  void Save(const QString& file) {
    TRefusedSettings refused;
    const TCameraSettings settings = TCameraSettingsTransfer(FCamera).Read(&refused);
    for (const TRefusedSetting& refusal : refused) {
      FErr << refusal.Key << ": " << refusal.Reason << " (saved as 0)\n";
    }
    try {
      TCameraSettingsFile(file).Write(FCameraName, settings);
    } catch (const EIniFileError& e) {
      throw ECommandLineError{ceFileProblem, e.Message()};
    }
  }

  int Load(const QString& file) {
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable()) {
      throw ECommandLineError{ceFileProblem, QStringLiteral("Cannot read \"%1\"").arg(file)};
    }
    const TCameraSettingsFile settingsFile(file);
    // Loading what the file does not hold would switch every automatic mode off and every value to 0.
    if (!settingsFile.HoldsCamera(FCameraName)) {
      throw ECommandLineError{ceFileProblem, QStringLiteral("No settings for %1 in \"%2\". Nothing changed.")
                                                 .arg(FCameraName, info.fileName())};
    }
    const TRefusedSettings refused = TCameraSettingsTransfer(FCamera).Apply(settingsFile.Read(FCameraName));
    for (const TRefusedSetting& refusal : refused) FErr << refusal.Key << ": " << refusal.Reason << '\n';
    return refused.empty() ? ceOk : ceCameraBusy;
  }

  TFCamera FCamera;
  QTextStream& FOut;
  QTextStream& FErr;
  TFVideoCaptureDevice FDevice;
  QString FCameraName;
};

}  // namespace

int RunCommandLine(const QStringList& arguments, std::shared_ptr<tavelo::platform::CapturePlatform> platform,
                   QTextStream& out, QTextStream& err) {
  const auto parsed = ParseCommandLine(arguments);
  if (const QString* problem = std::get_if<QString>(&parsed)) {
    err << *problem << '\n';
    err.flush();
    return ceBadArgument;
  }
  const TCommandLineRequest& request = std::get<TCommandLineRequest>(parsed);
  if (request.Action == TAction::caHelp) {
    out << CommandLineUsage();
    out.flush();
    return ceOk;
  }
  int exit = ceFailure;
  try {
    TCommandLineRun run(std::move(platform), out, err);
    exit = run.Run(request);
  } catch (const ECommandLineError& error) {
    err << error.Message << '\n';
    exit = error.Exit;
  } catch (...) {
    const ECommandLineError error = CameraError(std::current_exception(), QString());
    err << error.Message << '\n';
    exit = error.Exit;
  }
  out.flush();
  err.flush();
  return exit;
}

int CommandLineMain(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList arguments = application.arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();  // the program itself

  // Words that cannot be carried out, and --help, need no camera backend.
  const auto parsed = ParseCommandLine(arguments);
  const auto* request = std::get_if<TCommandLineRequest>(&parsed);
  if (!request || request->Action == TAction::caHelp) return RunCommandLine(arguments, nullptr, out, err);
  if (request->Action == TAction::caInstallAutostart) {
    return InstallAutostart(request->File, QCoreApplication::applicationFilePath(), UserUnitFolder(),
                            *ProcessSystemctl(), out, err);
  }
  if (request->Action == TAction::caRemoveAutostart) {
    return RemoveAutostart(UserUnitFolder(), *ProcessSystemctl(), out, err);
  }

  const tavelo::platform::CapturePlatformChoice choice = tavelo::platform::ChooseCapturePlatformFromEnvironment();
  if (!choice.platform) {
    err << QString::fromStdString(choice.error) << '\n';
    return ceFailure;
  }
  // Scripts read standard error for failures: only a backend chosen by falling back is worth a line there.
  if (!choice.notice.empty() && qEnvironmentVariableIsEmpty("TAVELO_CAPTURE")) {
    err << QString::fromStdString(choice.notice) << '\n';
    err.flush();
  }
  if (request->Action == TAction::caWatch) return RunWatchCommand(request->File, choice.platform, out, err);
  return RunCommandLine(arguments, choice.platform, out, err);
}
