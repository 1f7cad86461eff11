#pragma once

// The command line's words, read into one request before any camera is touched, so that a mistyped
// option or property changes nothing. The window's start-up words ("trace", "preview") never start with
// dashes; every command line option does, which is how the program tells the two apart.

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

#include "camera/CameraProperties.h"
#include "camera/CameraTypes.h"

// The power-line frequency's name on the command line, next to the seventeen properties' keys.
inline constexpr char kPowerFrequencyOption[] = "PowerFrequency";

// What one "--set NAME=VALUE" asks for.
struct TPropertyChange {
  struct TAutomatic {};
  struct TValue {
    double Value;
  };
  std::optional<TFCameraProperty> Property;  // empty for the power-line frequency
  std::variant<TAutomatic, TValue, TFPowerLineFrequency> Change;
};

// What "--record FILE" asks for besides the camera and the file.
struct TRecordRequest {
  TFMediaType Container = TFMediaType::mtAvi;  // from the file's extension
  double Seconds = 0;
  QString Compressor;       // empty: the camera's stream as it comes
  QString Audio;            // empty: no sound
  QString AudioCompressor;  // empty: PCM
};

struct TCommandLineRequest {
  enum class TAction {
    caHelp, caList, caGet, caSet, caSave, caLoad, caRecord, caWatch, caInstallAutostart, caRemoveAutostart
  };
  // What --list lists.
  enum class TListKind { lkCameras, lkAudio, lkCompressors, lkAudioCompressors };
  TAction Action = TAction::caHelp;
  TListKind List = TListKind::lkCameras;
  bool Json = false;
  QString Camera;                                     // a listed name or a device path
  std::vector<std::optional<TFCameraProperty>> Get;  // empty for all; an empty entry is the frequency
  std::vector<TPropertyChange> Set;
  QString File;
  TRecordRequest Record;
};

// True when the words are for the command line rather than the window.
bool IsCommandLine(const QStringList& arguments);  // without the program's own name

// The request, or one line saying what is wrong with the words.
std::variant<TCommandLineRequest, QString> ParseCommandLine(const QStringList& arguments);

// The power-line frequency as --set takes it and --get shows it: "50", "60", "auto", "disabled"; "unknown"
// for a driver value outside those.
QString PowerFrequencyWord(TFPowerLineFrequency frequency);

// A property by its settings file key, in any letter case ("brightness", "WhiteBalance").
std::optional<TFCameraProperty> PropertyOfKey(const QString& key);

QString CommandLineUsage();
