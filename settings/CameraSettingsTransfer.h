#pragma once

// A camera settings file's section put onto a camera, and a camera read into a section, with no window:
// for the command line and for anything else that holds a camera but no property rows. The rules are
// those of the window's Load and Save, so a file written by one is read the same way by the other:
//
// - Applying touches only the properties the camera has, whatever the section holds; it switches every
//   automatic mode before any value is written, because a mode switch changes which values the camera
//   takes; each value is held into the property's range as a row's slider holds it, reaches the camera
//   truncated toward zero, and is written only when it differs from the camera's own; the frequency
//   index 0 or 1 selects 50 or 60 Hz and any other index writes nothing.
// - Reading gives what freshly read rows show: a property the camera lacks (or will not read) is 0 and
//   manual, and a frequency that is neither 50 nor 60 Hz is the index -1, "nothing selected".
//
// A change the camera refuses is noted and the rest goes on, as the rows do; anything else (the camera
// gone, no permission, a failed check) ends the transfer with the camera error, for the caller to explain.

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "camera/FCamera.h"
#include "settings/CameraSettingsFile.h"

// The power-line frequencies in the order of a section's "PowerFrequency" index.
inline constexpr std::array kPowerFrequencyChoices = {TFPowerLineFrequency::pf50Hz, TFPowerLineFrequency::pf60Hz};

// The settings file's index of a frequency; -1 for one the index cannot hold (disabled, automatic).
std::int32_t PowerFrequencyIndex(TFPowerLineFrequency frequency);

// One setting the camera would not take or give; the transfer went on without it.
struct TRefusedSetting {
  QString Key;     // its settings file key: "Brightness", "CheckBoxExposure", "PowerFrequency"
  QString Reason;  // the camera's message

  friend bool operator==(const TRefusedSetting&, const TRefusedSetting&) = default;
};
using TRefusedSettings = std::vector<TRefusedSetting>;

class TCameraSettingsTransfer {
 public:
  // `camera` has its camera selected already.
  explicit TCameraSettingsTransfer(TFCamera& camera) : FCamera(camera) {}

  TCameraSettings Read(TRefusedSettings* refused = nullptr);
  TRefusedSettings Apply(const TCameraSettings& settings);

  // A value held into the property's range and written (with the automatic mode switched off first, since
  // a camera under automatic control keeps its own value); returns what the camera holds afterwards.
  // Raises every camera error, refusals included.
  std::int32_t SetValue(TFCameraProperty property, double value);

 private:
  TFCamera& FCamera;
};
