#include "app/RecordCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <unistd.h>

#include <chrono>
#include <optional>
#include <vector>

#include "app/CommandLine.h"
#include "app/StopSignals.h"
#include "camera/FCamera.h"

namespace {

using tavelo::platform::CaptureFileProgress;
using tavelo::platform::Failed;
using tavelo::platform::ICaptureFileStatus;
using tavelo::platform::Succeeded;

enum class TRecordingEnd { reDone, reStopped, reUnplugged, reWriteFailed };

// How often the recording is looked at, and how often the camera list is read to notice an unplugged
// camera (the graph does not report it).
constexpr int kTickMs = 100;
constexpr int kPresenceCheckMs = 1000;

// A name as the camera component lists it: exactly, else in any letter case.
std::optional<QString> ListedName(const std::vector<QString>& listed, const QString& wanted) {
  for (const QString& name : listed) {
    if (name == wanted) return name;
  }
  for (const QString& name : listed) {
    if (name.compare(wanted, Qt::CaseInsensitive) == 0) return name;
  }
  return std::nullopt;
}

std::vector<QString> AudioInputNames(TFCamera& camera) {
  std::vector<QString> names;
  for (const TFAudioCaptureDevice& device : camera.AudioCaptureDevices()) names.push_back(device.Name);
  return names;
}

// Why a file cannot be recorded into, before anything is started; empty when it can.
QString FileProblem(const QString& file) {
  const QFileInfo info(file);
  if (info.isDir()) return QStringLiteral("\"%1\" is a folder").arg(file);
  const QFileInfo folder(info.absolutePath());
  if (!folder.isDir()) return QStringLiteral("The folder of \"%1\" does not exist").arg(file);
  if (!folder.isWritable()) return QStringLiteral("Cannot write in the folder of \"%1\"").arg(file);
  return {};
}

std::shared_ptr<ICaptureFileStatus> FileStatusOf(TFCamera& camera) {
  const auto graph = camera.GraphBuilder();
  std::vector<std::shared_ptr<tavelo::platform::IBaseFilter>> filters;
  if (!graph || Failed(graph->EnumFilters(filters))) return nullptr;
  for (const auto& filter : filters) {
    std::shared_ptr<ICaptureFileStatus> status;
    if (Succeeded(QueryInterfaceAs(filter, status))) return status;
  }
  return nullptr;
}

QString Megabytes(std::uint64_t bytes) { return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1) + " MB"; }

QString ProgressText(double elapsed, double total, const CaptureFileProgress& progress) {
  QString text = QStringLiteral("Recording %1/%2 s, %3 frames, %4")
                     .arg(QString::number(elapsed, 'f', 1), QString::number(total, 'g', 10))
                     .arg(progress.videoFramesWritten)
                     .arg(Megabytes(progress.bytesWritten));
  if (progress.dropped > 0) text += QStringLiteral(", %1 dropped").arg(progress.dropped);
  return text;
}

// The size is the finished file's, index and all.
QString Summary(const CaptureFileProgress& progress, const QString& file) {
  QString text = QStringLiteral("%1 frames").arg(progress.videoFramesWritten);
  if (progress.audioBlocksWritten > 0) text += QStringLiteral(", %1 blocks of sound").arg(progress.audioBlocksWritten);
  text += QStringLiteral(", %1").arg(Megabytes(static_cast<std::uint64_t>(QFileInfo(file).size())));
  if (progress.dropped > 0) text += QStringLiteral(", %1 dropped as the disk fell behind").arg(progress.dropped);
  return text;
}

// The standard error of the program on a terminal: the progress line is rewritten there.
bool IsTerminal(QTextStream& stream) {
  const auto* file = qobject_cast<QFile*>(stream.device());
  return file != nullptr && file->handle() >= 0 && ::isatty(file->handle()) == 1;
}

// The camera made inactive however the command ends, so the file is finished and the device let go.
class TActiveCamera {
 public:
  explicit TActiveCamera(TFCamera& camera) : FCamera(camera) { FCamera.SetActive(true); }
  ~TActiveCamera() {
    try {
      FCamera.SetActive(false);
    } catch (...) {
      // Tearing down a graph whose camera has gone may be refused; the graph is dropped all the same.
    }
  }
  TActiveCamera(const TActiveCamera&) = delete;
  TActiveCamera& operator=(const TActiveCamera&) = delete;

 private:
  TFCamera& FCamera;
};

// A running recording: its progress line, and what ends it.
class TRecordingWatch {
 public:
  // Made before the camera starts, so SIGINT and SIGTERM are heard from then on: a signal while the
  // graph is built ends the recording as soon as it runs, with the file finished.
  TRecordingWatch(TFCamera& camera, const TFVideoCaptureDevice& device, double seconds, QTextStream& err)
      : FCamera(camera), FDevice(device), FSeconds(seconds), FErr(err), FInPlace(IsTerminal(err)),
        FStopSignals([this] { FStopRequested = true; FLoop.quit(); }) {}

  // Watches the running recording until it is due to end or something ends it.
  TRecordingEnd Run(std::shared_ptr<ICaptureFileStatus> status) {
    FStatus = std::move(status);
    QTimer tick;
    tick.setInterval(kTickMs);
    QObject::connect(&tick, &QTimer::timeout, [this] { Tick(); });
    FStart = Clock::now();
    tick.start();
    // Signals that came while the graph was built are delivered first.
    QCoreApplication::processEvents();
    Tick();
    while (!FEnd) {
      FLoop.exec();
      Tick();  // a stop signal quits the loop; the tick turns it into the ending
    }
    if (FInPlace && FShownInPlace) FErr << '\n';
    FErr.flush();
    return *FEnd;
  }

  double Elapsed() const { return std::chrono::duration<double>(FStopped - FStart).count(); }

 private:
  using Clock = std::chrono::steady_clock;

  void Finish(TRecordingEnd end) {
    if (FEnd) return;
    FEnd = end;
    FStopped = Clock::now();
    FLoop.quit();
  }

  void Tick() {
    if (FEnd) return;
    if (FStopRequested) return Finish(TRecordingEnd::reStopped);
    const double elapsed = std::chrono::duration<double>(Clock::now() - FStart).count();
    if (FStatus) FStatus->GetProgress(FProgress);
    if (Failed(FProgress.lastError)) return Finish(TRecordingEnd::reWriteFailed);
    if (elapsed * 1000 >= FNextPresenceCheckMs) {
      FNextPresenceCheckMs += kPresenceCheckMs;
      if (!CameraListed()) return Finish(TRecordingEnd::reUnplugged);
    }
    if (elapsed >= FSeconds) return Finish(TRecordingEnd::reDone);
    ShowProgress(elapsed);
  }

  bool CameraListed() {
    try {
      for (const TFVideoCaptureDevice& listed : FCamera.Devices()) {
        if (listed.Path == FDevice.Path && listed.Name == FDevice.Name) return true;
      }
    } catch (...) {
      // A list that cannot be read says nothing about this camera; the next look decides.
      return true;
    }
    return false;
  }

  void ShowProgress(double elapsed) {
    const QString line = ProgressText(elapsed, FSeconds, FProgress);
    if (FInPlace) {
      // Spaces cover the end of a longer line shown before.
      FErr << '\r' << line.leftJustified(FShownWidth);
      FShownWidth = std::max<qsizetype>(FShownWidth, line.size());
      FShownInPlace = true;
      FErr.flush();
      return;
    }
    const int second = static_cast<int>(elapsed);
    if (second < FNextLineSecond) return;
    FNextLineSecond = second + 1;
    FErr << line << '\n';
    FErr.flush();
  }

  TFCamera& FCamera;
  const TFVideoCaptureDevice FDevice;
  std::shared_ptr<ICaptureFileStatus> FStatus;
  const double FSeconds;
  QTextStream& FErr;
  const bool FInPlace;
  QEventLoop FLoop;
  bool FStopRequested = false;
  const TStopSignals FStopSignals;
  Clock::time_point FStart;
  Clock::time_point FStopped;
  std::optional<TRecordingEnd> FEnd;
  CaptureFileProgress FProgress;
  double FNextPresenceCheckMs = 0;
  int FNextLineSecond = 1;  // the first line after a second, not the empty one at the start
  qsizetype FShownWidth = 0;
  bool FShownInPlace = false;
};

}  // namespace

int RunRecordCommand(TFCamera& camera, const TFVideoCaptureDevice& device, const QString& file,
                     const TRecordRequest& request, QTextStream& out, QTextStream& err) {
  // Every name is checked before the camera starts, so a typo records nothing.
  struct TNamedChoice {
    const QString& Wanted;
    std::vector<QString> (*Listed)(TFCamera&);
    const char* What;
    const char* ListWord;
  };
  const TNamedChoice choices[] = {
      {request.Compressor, [](TFCamera& c) { return c.Compressors(); }, "compressor", "compressors"},
      {request.Audio, &AudioInputNames, "audio input", "audio"},
      {request.AudioCompressor, [](TFCamera& c) { return c.AudioCompressors(); }, "audio compressor",
       "audio-compressors"},
  };
  QString chosen[std::size(choices)];
  for (std::size_t i = 0; i < std::size(choices); ++i) {
    if (choices[i].Wanted.isEmpty()) continue;
    const std::optional<QString> name = ListedName(choices[i].Listed(camera), choices[i].Wanted);
    if (!name) {
      err << QStringLiteral("No %1 \"%2\" (see --list %3)\n")
                 .arg(QLatin1StringView(choices[i].What), choices[i].Wanted, QLatin1StringView(choices[i].ListWord));
      err.flush();
      return ceBadArgument;
    }
    chosen[i] = *name;
  }
  if (const QString problem = FileProblem(file); !problem.isEmpty()) {
    err << problem << '\n';
    err.flush();
    return ceFileProblem;
  }

  camera.SetCaptureType(TFCaptureType::ctGrabber);
  camera.SetOutputFileType(request.Container);
  camera.SetOutputFileName(QFileInfo(file).absoluteFilePath());
  camera.SetCompressorName(chosen[0]);
  camera.SetAudioDeviceName(chosen[1]);
  camera.SetAudioCompressorName(chosen[2]);

  std::shared_ptr<ICaptureFileStatus> status;
  TRecordingEnd end = TRecordingEnd::reDone;
  double elapsed = 0;
  {
    TRecordingWatch watch(camera, device, request.Seconds, err);
    const TActiveCamera active(camera);
    camera.Run();
    status = FileStatusOf(camera);
    end = watch.Run(status);
    elapsed = watch.Elapsed();
    try {
      camera.Stop();
    } catch (...) {
      // A camera that has gone cannot be stopped; making it inactive below still finishes the file.
      if (end != TRecordingEnd::reUnplugged) throw;
    }
  }
  // The multiplexer keeps its figures once the file is finished.
  CaptureFileProgress progress;
  if (status) status->GetProgress(progress);
  const QString seconds = QString::number(elapsed, 'f', 1);
  if (end != TRecordingEnd::reWriteFailed && Failed(progress.lastError)) end = TRecordingEnd::reWriteFailed;
  if (!QFileInfo::exists(file)) {
    // The writer's own text says where anything recorded was left.
    if (Failed(progress.lastError)) {
      err << QStringLiteral("Recording stopped after %1 s: %2\n")
                 .arg(seconds, QString::fromStdString(progress.lastErrorText));
    } else {
      err << QStringLiteral("Nothing was written to \"%1\"\n").arg(file);
    }
    err.flush();
    return end == TRecordingEnd::reUnplugged ? ceNoSuchCamera : ceFileProblem;
  }
  switch (end) {
    case TRecordingEnd::reDone:
      out << QStringLiteral("Recorded %1 s into \"%2\": %3\n").arg(seconds, file, Summary(progress, file));
      out.flush();
      return ceOk;
    case TRecordingEnd::reStopped:
      out << QStringLiteral("Stopped early after %1 s; \"%2\" is complete: %3\n").arg(seconds, file, Summary(progress, file));
      out.flush();
      return ceOk;
    case TRecordingEnd::reUnplugged:
      err << QStringLiteral("The camera was unplugged after %1 s; \"%2\" holds what was recorded: %3\n")
                 .arg(seconds, file, Summary(progress, file));
      err.flush();
      return ceNoSuchCamera;
    case TRecordingEnd::reWriteFailed:
      err << QStringLiteral("Recording stopped after %1 s: %2; \"%3\" holds what was written: %4\n")
                 .arg(seconds, QString::fromStdString(progress.lastErrorText), file, Summary(progress, file));
      err.flush();
      return ceFileProblem;
  }
  return ceFailure;
}
