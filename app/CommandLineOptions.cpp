#include "app/CommandLineOptions.h"

#include <QFileInfo>
#include <QLatin1StringView>

#include <cmath>

#include "camera/PropertyList.h"

namespace {

using TAction = TCommandLineRequest::TAction;

// Options that take the place of the request's action, and whether a camera must be named for them.
struct TActionOption {
  const char* Option;
  TAction Action;
  bool NeedsCamera;
};
const TActionOption kActionOptions[] = {
    {"--help", TAction::caHelp, false}, {"--list", TAction::caList, false}, {"--get", TAction::caGet, true},
    {"--set", TAction::caSet, true},    {"--save", TAction::caSave, true},  {"--load", TAction::caLoad, true},
    {"--record", TAction::caRecord, true}, {"--watch", TAction::caWatch, false},
    {"--install-autostart", TAction::caInstallAutostart, false}, {"--remove-autostart", TAction::caRemoveAutostart, false},
};

// The actions that take a file name right after their option.
bool TakesFile(TAction action) {
  return action == TAction::caSave || action == TAction::caLoad || action == TAction::caRecord ||
         action == TAction::caWatch || action == TAction::caInstallAutostart;
}

// The words after --list.
struct TListWord {
  const char* Word;
  TCommandLineRequest::TListKind Kind;
};
const TListWord kListWords[] = {
    {"cameras", TCommandLineRequest::TListKind::lkCameras},
    {"audio", TCommandLineRequest::TListKind::lkAudio},
    {"compressors", TCommandLineRequest::TListKind::lkCompressors},
    {"audio-compressors", TCommandLineRequest::TListKind::lkAudioCompressors},
};

// The containers a recording can be written in, by the file's extension.
struct TContainerExtension {
  const char* Suffix;
  TFMediaType Container;
};
const TContainerExtension kContainerExtensions[] = {
    {"avi", TFMediaType::mtAvi},
    {"asf", TFMediaType::mtAsf},
    {"wmv", TFMediaType::mtAsf},
};

// The options that only go with --record, each with the request field its value goes to.
struct TRecordOption {
  const char* Option;
  QString TRecordRequest::*Field;
};
const TRecordOption kRecordOptions[] = {
    {"--compressor", &TRecordRequest::Compressor},
    {"--audio", &TRecordRequest::Audio},
    {"--audio-compressor", &TRecordRequest::AudioCompressor},
};

// The longest recording --seconds takes: a week, far past any disk's room for it.
constexpr double kLongestRecordingSeconds = 7 * 24 * 3600.0;

// The power-line frequency's words, both ways.
struct TFrequencyWord {
  const char* Word;
  TFPowerLineFrequency Frequency;
};
const TFrequencyWord kFrequencyWords[] = {
    {"50", TFPowerLineFrequency::pf50Hz},
    {"60", TFPowerLineFrequency::pf60Hz},
    {"auto", TFPowerLineFrequency::pfAuto},
    {"disabled", TFPowerLineFrequency::pfDisabled},
};

bool IsPowerFrequencyName(const QString& name) {
  return name.compare(QLatin1StringView(kPowerFrequencyOption), Qt::CaseInsensitive) == 0;
}

const TRecordOption* RecordOption(const QString& word) {
  for (const TRecordOption& option : kRecordOptions) {
    if (word == QLatin1StringView(option.Option)) return &option;
  }
  return nullptr;
}

const TActionOption* ActionOption(const QString& word) {
  for (const TActionOption& option : kActionOptions) {
    if (word == QLatin1StringView(option.Option)) return &option;
  }
  return nullptr;
}

// A property name as --get takes it; nothing when the name is unknown.
std::optional<std::optional<TFCameraProperty>> NamedSetting(const QString& name) {
  if (IsPowerFrequencyName(name)) return std::optional<TFCameraProperty>{};
  if (const auto property = PropertyOfKey(name)) return property;
  return std::nullopt;
}

std::variant<TPropertyChange, QString> ParseChange(const QString& word) {
  const qsizetype equals = word.indexOf(QLatin1Char('='));
  if (equals <= 0) return QStringLiteral("--set takes NAME=VALUE, not \"%1\"").arg(word);
  const QString name = word.left(equals).trimmed();
  const QString value = word.mid(equals + 1).trimmed();
  if (IsPowerFrequencyName(name)) {
    for (const TFrequencyWord& choice : kFrequencyWords) {
      if (value.compare(QLatin1StringView(choice.Word), Qt::CaseInsensitive) == 0) {
        return TPropertyChange{std::nullopt, choice.Frequency};
      }
    }
    return QStringLiteral("%1 takes 50, 60, auto or disabled, not \"%2\"").arg(name, value);
  }
  const std::optional<TFCameraProperty> property = PropertyOfKey(name);
  if (!property) return QStringLiteral("Unknown property \"%1\"").arg(name);
  if (value.compare(QLatin1StringView("auto"), Qt::CaseInsensitive) == 0) {
    return TPropertyChange{property, TPropertyChange::TAutomatic{}};
  }
  bool isNumber = false;
  const double number = value.toDouble(&isNumber);
  if (!isNumber || !std::isfinite(number)) {
    return QStringLiteral("%1 takes a number or auto, not \"%2\"").arg(name, value);
  }
  return TPropertyChange{property, TPropertyChange::TValue{number}};
}

}  // namespace

bool IsCommandLine(const QStringList& arguments) {
  return !arguments.isEmpty() && arguments.front().startsWith(QLatin1StringView("--"));
}

QString PowerFrequencyWord(TFPowerLineFrequency frequency) {
  for (const TFrequencyWord& choice : kFrequencyWords) {
    if (choice.Frequency == frequency) return QString::fromLatin1(choice.Word);
  }
  return QStringLiteral("unknown");
}

std::optional<TFCameraProperty> PropertyOfKey(const QString& key) {
  for (const TFCameraProperty property : kPropertyList) {
    if (SettingsValueKey(property).compare(key, Qt::CaseInsensitive) == 0) return property;
  }
  return std::nullopt;
}

std::variant<TCommandLineRequest, QString> ParseCommandLine(const QStringList& arguments) {
  TCommandLineRequest request;
  const TActionOption* action = nullptr;
  bool cameraGiven = false;
  bool secondsGiven = false;
  QString recordOptionGiven;  // the last option that only goes with --record
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& word = arguments[i];
    const auto nextValue = [&]() -> std::optional<QString> {
      if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QLatin1StringView("--"))) return std::nullopt;
      return arguments[++i];
    };
    if (word == QLatin1StringView("--json")) {
      request.Json = true;
    } else if (word == QLatin1StringView("--seconds")) {
      const std::optional<QString> value = nextValue();
      bool isNumber = false;
      const double seconds = value ? value->toDouble(&isNumber) : 0;
      if (!isNumber || !std::isfinite(seconds) || seconds <= 0 || seconds > kLongestRecordingSeconds) {
        return QStringLiteral("--seconds takes a number of seconds greater than 0");
      }
      if (secondsGiven) return QStringLiteral("--seconds is given twice");
      request.Record.Seconds = seconds;
      secondsGiven = true;
    } else if (const TRecordOption* recordOption = RecordOption(word)) {
      const std::optional<QString> value = nextValue();
      if (!value || value->isEmpty()) return QStringLiteral("%1 needs a name (see --help)").arg(word);
      QString& field = request.Record.*(recordOption->Field);
      if (!field.isEmpty()) return QStringLiteral("%1 is given twice").arg(word);
      field = *value;
      recordOptionGiven = word;
    } else if (word == QLatin1StringView("--camera")) {
      const std::optional<QString> camera = nextValue();
      if (!camera || camera->isEmpty()) return QStringLiteral("--camera needs a camera name or device path");
      if (cameraGiven) return QStringLiteral("--camera is given twice");
      request.Camera = *camera;
      cameraGiven = true;
    } else if (const TActionOption* option = ActionOption(word)) {
      if (action) return QStringLiteral("%1 and %2 cannot be used together").arg(QLatin1StringView(action->Option), word);
      action = option;
      request.Action = option->Action;
      if (option->Action == TAction::caGet || option->Action == TAction::caSet) {
        // The names run up to the next option.
        while (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1StringView("--"))) {
          const QString& item = arguments[++i];
          if (option->Action == TAction::caGet) {
            const auto setting = NamedSetting(item);
            if (!setting) return QStringLiteral("Unknown property \"%1\"").arg(item);
            request.Get.push_back(*setting);
          } else {
            auto change = ParseChange(item);
            if (const QString* problem = std::get_if<QString>(&change)) return *problem;
            request.Set.push_back(std::get<TPropertyChange>(change));
          }
        }
        if (option->Action == TAction::caSet && request.Set.empty()) return QStringLiteral("--set needs NAME=VALUE");
      } else if (TakesFile(option->Action)) {
        const std::optional<QString> file = nextValue();
        if (!file || file->isEmpty()) return QStringLiteral("%1 needs a file name").arg(word);
        request.File = *file;
      } else if (option->Action == TAction::caList) {
        if (const std::optional<QString> kind = nextValue()) {
          const TListWord* found = nullptr;
          for (const TListWord& listWord : kListWords) {
            if (*kind == QLatin1StringView(listWord.Word)) found = &listWord;
          }
          if (!found) {
            return QStringLiteral("--list lists cameras, audio, compressors or audio-compressors, not \"%1\"").arg(*kind);
          }
          request.List = found->Kind;
        }
      }
    } else {
      return QStringLiteral("Unknown option \"%1\" (see --help)").arg(word);
    }
  }
  if (!action) {
    return QStringLiteral("Nothing to do: give --list, --get, --set, --save, --load, --record or --watch (see --help)");
  }
  if (action->NeedsCamera && !cameraGiven) return QStringLiteral("%1 needs --camera NAME|PATH").arg(QLatin1StringView(action->Option));
  if (!action->NeedsCamera && cameraGiven) return QStringLiteral("%1 takes no --camera").arg(QLatin1StringView(action->Option));
  if (request.Json && action->Action != TAction::caList && action->Action != TAction::caGet) {
    return QStringLiteral("--json goes with --list or --get");
  }
  if (action->Action != TAction::caRecord) {
    if (secondsGiven) return QStringLiteral("--seconds goes with --record");
    if (!recordOptionGiven.isEmpty()) return QStringLiteral("%1 goes with --record").arg(recordOptionGiven);
    return request;
  }
  if (!secondsGiven) return QStringLiteral("--record needs --seconds N");
  if (!request.Record.AudioCompressor.isEmpty() && request.Record.Audio.isEmpty()) {
    return QStringLiteral("--audio-compressor needs --audio");
  }
  const QString suffix = QFileInfo(request.File).suffix();
  const TContainerExtension* container = nullptr;
  for (const TContainerExtension& extension : kContainerExtensions) {
    if (suffix.compare(QLatin1StringView(extension.Suffix), Qt::CaseInsensitive) == 0) container = &extension;
  }
  if (!container) return QStringLiteral("--record writes .avi, .asf or .wmv files, not \"%1\"").arg(request.File);
  request.Record.Container = container->Container;
  return request;
}

QString CommandLineUsage() {
  return QStringLiteral(
      "Usage: tavelo [trace] [preview]            start the window\n"
      "       tavelo --list [--json]              list the cameras: name, device path, driver\n"
      "       tavelo --list audio|compressors|audio-compressors [--json]\n"
      "       tavelo --camera CAMERA --get [NAME...] [--json]\n"
      "       tavelo --camera CAMERA --set NAME=VALUE|auto ...\n"
      "       tavelo --camera CAMERA --save FILE.vcs\n"
      "       tavelo --camera CAMERA --load FILE.vcs\n"
      "       tavelo --camera CAMERA --record FILE.avi|FILE.asf --seconds N [--compressor NAME]\n"
      "              [--audio NAME [--audio-compressor NAME]]\n"
      "       tavelo --watch FILE.vcs             apply FILE at start and whenever a camera appears\n"
      "       tavelo --install-autostart FILE.vcs run --watch FILE.vcs as a systemd user service\n"
      "       tavelo --remove-autostart           stop and remove that service\n"
      "\n"
      "CAMERA is a name as --list shows it, or a device path. NAME is one of BacklightCompensation,\n"
      "Brightness, ColorEnable, Contrast, Exposure, Focus, Gain, Gamma, Hue, Iris, Pan, Roll, Saturation,\n"
      "Sharpness, Tilt, WhiteBalance, Zoom (in any letter case), or PowerFrequency (50, 60, auto or\n"
      "disabled). A value is held into the camera's range and switches the automatic mode off; \"auto\"\n"
      "switches it on. --save and --load use the camera's section of a camera settings file, as the\n"
      "window's Save and Load do.\n"
      "\n"
      "--record writes N seconds of the camera into an AVI (.avi) or ASF (.asf, .wmv) file, with sound\n"
      "from an audio input when --audio names one, and shows its progress on standard error. The names\n"
      "of compressors and audio inputs are those --list compressors, --list audio-compressors and --list\n"
      "audio show; without --compressor the camera's frames are written as they come. SIGINT or SIGTERM\n"
      "stop the recording early; the file is finished either way.\n"
      "\n"
      "--watch keeps running without a window and logs one line per camera it set up; SIGINT or SIGTERM\n"
      "end it. It hears of cameras through udev, or without udev reads the camera list every 3 seconds.\n"
      "--install-autostart writes ~/.config/systemd/user/tavelo-watch.service for the current user (no\n"
      "root needed) and enables and starts it.\n"
      "\n"
      "Exit status: 0 done, 1 other failure, 2 bad argument, 3 no such camera (or it was unplugged),\n"
      "4 camera busy (in use, not accessible, or it refused a change), 5 file problem (also a recording\n"
      "that cannot be written on, as on a full disk), 6 the autostart unit was written but no systemd\n"
      "user manager could enable it (run the command shown).\n");
}
