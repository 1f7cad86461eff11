#include "settings/CameraSettingsTransfer.h"

#include <cmath>
#include <exception>

#include "camera/CameraFailure.h"
#include "settings/IniNumbers.h"

namespace {

// What a refused request is remembered by; anything but a refusal is not this transfer's to absorb.
TRefusedSetting Refusal(const QString& key, std::exception_ptr error) {
  if (CameraFailureOf(error) != TFCameraFailure::cfRefused) std::rethrow_exception(error);
  try {
    std::rethrow_exception(error);
  } catch (const ECameraException& e) {
    return {key, e.Message()};
  } catch (...) {
  }
  return {key, QStringLiteral("The camera refused the request")};
}

// The camera receives a row's value truncated toward zero.
std::int32_t CameraValueOf(double value) { return static_cast<std::int32_t>(std::trunc(value)); }

}  // namespace

std::int32_t PowerFrequencyIndex(TFPowerLineFrequency frequency) {
  for (std::size_t i = 0; i < kPowerFrequencyChoices.size(); ++i) {
    if (kPowerFrequencyChoices[i] == frequency) return static_cast<std::int32_t>(i);
  }
  return -1;
}

TCameraSettings TCameraSettingsTransfer::Read(TRefusedSettings* refused) {
  const auto note = [&](const QString& key) {
    const TRefusedSetting refusal = Refusal(key, std::current_exception());
    if (refused) refused->push_back(refusal);
  };
  TCameraSettings settings;
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    const TFCameraProperty property = kPropertyList[i];
    if (!FCamera.PropertySupported(property)) continue;
    try {
      const std::int32_t value = FCamera.PropertyValue(property);
      const bool automatic = FCamera.PropertyAuto(property);
      settings.Values[i] = value;
      settings.AutoModes[i] = automatic;
    } catch (...) {
      note(SettingsValueKey(property));
    }
  }
  settings.PowerFrequency = -1;
  if (FCamera.PowerLineFrequencySupported()) {
    try {
      settings.PowerFrequency = PowerFrequencyIndex(FCamera.PowerLineFrequency());
    } catch (...) {
      note(TCameraSettingsFile::PowerFrequencyKey());
    }
  }
  return settings;
}

TRefusedSettings TCameraSettingsTransfer::Apply(const TCameraSettings& settings) {
  TRefusedSettings refused;
  const auto attempt = [&](const QString& key, auto&& change) {
    try {
      change();
    } catch (...) {
      refused.push_back(Refusal(key, std::current_exception()));
    }
  };

  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    const TFCameraProperty property = kPropertyList[i];
    if (!FCamera.PropertySupported(property)) continue;
    attempt(SettingsAutoModeKey(property), [&] {
      if (FCamera.PropertyAuto(property) != settings.AutoModes[i]) {
        FCamera.SetPropertyAuto(property, settings.AutoModes[i]);
      }
    });
  }
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    const TFCameraProperty property = kPropertyList[i];
    if (!FCamera.PropertySupported(property)) continue;
    attempt(SettingsValueKey(property), [&] {
      const TFRange range = FCamera.PropertyRange(property);
      // NaN, infinities and 1e308 are held here, before anything becomes an integer.
      const double value = HoldReal(settings.Values[i], 0, range.Min, range.Max);
      if (value != FCamera.PropertyValue(property)) FCamera.SetPropertyValue(property, CameraValueOf(value));
    });
  }
  // An index outside the choices writes nothing: the camera keeps its own frequency.
  if (FCamera.PowerLineFrequencySupported() && settings.PowerFrequency >= 0 &&
      settings.PowerFrequency < static_cast<std::int32_t>(kPowerFrequencyChoices.size())) {
    attempt(TCameraSettingsFile::PowerFrequencyKey(), [&] {
      FCamera.SetPowerLineFrequency(kPowerFrequencyChoices[static_cast<std::size_t>(settings.PowerFrequency)]);
    });
  }
  return refused;
}

std::int32_t TCameraSettingsTransfer::SetValue(TFCameraProperty property, double value) {
  const TFRange range = FCamera.PropertyRange(property);
  const double held = HoldReal(value, 0, range.Min, range.Max);
  if (FCamera.PropertyAuto(property)) FCamera.SetPropertyAuto(property, false);
  if (held != FCamera.PropertyValue(property)) FCamera.SetPropertyValue(property, CameraValueOf(held));
  return FCamera.PropertyValue(property);
}
