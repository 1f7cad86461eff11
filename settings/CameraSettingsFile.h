#pragma once

// A camera settings file (".vcs"): one section per camera, named by the text the camera is listed under,
// holding what the seventeen property rows and the power-line frequency choice showed when it was saved.
// Plain file logic with no widgets, so the main window and a command line read and write the same files.
//
// A section holds 35 entries in a fixed order that files already written depend on: the seventeen slider
// positions under the properties' names, then the seventeen "Auto" boxes under "CheckBox" and the name,
// then "PowerFrequency", the index of the frequency list's selection.

#include <QString>

#include <array>
#include <cstdint>

#include "camera/PropertyList.h"
#include "settings/IniFile.h"

// One camera's section, in property-list order.
struct TCameraSettings {
  // Slider positions. What a file holds may lie outside any range, or be infinite when it held a number
  // too large for a double; whoever applies a value holds it into its row's range first.
  std::array<double, kPropertyCount> Values{};
  std::array<bool, kPropertyCount> AutoModes{};
  // The frequency list's index: 0 for 50 Hz, 1 for 60 Hz, -1 for no selection; a file may hold any other.
  std::int32_t PowerFrequency = 0;

  friend bool operator==(const TCameraSettings&, const TCameraSettings&) = default;
};

class TCameraSettingsFile {
 public:
  // Reads the file once; a missing or unreadable one holds no camera.
  explicit TCameraSettingsFile(const QString& fileName);

  const QString& FileName() const { return FFile.FileName(); }

  // Whether the file has a section for this camera, even an empty one. Names that no section line can
  // hold (a ']' or a line break in them) are looked up as they are written (TIniDocument::SectionName).
  bool HoldsCamera(const QString& cameraName) const;

  // The camera's section; each entry that is missing or not a number of its kind takes its default:
  // value 0, automatic mode off, frequency index 0.
  TCameraSettings Read(const QString& cameraName) const;

  // Writes all 35 entries in their order, each replacing the file atomically, into the camera's section
  // (added at the end of the file when missing); every other section and line stays. Raises EIniFileError
  // "Unable to write to <path>" at the first entry that cannot be written; the entries before it stay.
  void Write(const QString& cameraName, const TCameraSettings& settings);

  static QString PowerFrequencyKey() { return QStringLiteral("PowerFrequency"); }

 private:
  TIniFile FFile;
};
