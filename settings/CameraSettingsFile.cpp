#include "settings/CameraSettingsFile.h"

namespace {

constexpr double kDefaultValue = 0;
constexpr bool kDefaultAutoMode = false;
constexpr std::int32_t kDefaultPowerFrequency = 0;

}  // namespace

TCameraSettingsFile::TCameraSettingsFile(const QString& fileName) : FFile(fileName) {}

bool TCameraSettingsFile::HoldsCamera(const QString& cameraName) const { return FFile.SectionExists(cameraName); }

TCameraSettings TCameraSettingsFile::Read(const QString& cameraName) const {
  TCameraSettings settings;
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    const TFCameraProperty property = kPropertyList[i];
    settings.Values[i] = FFile.ReadReal(cameraName, SettingsValueKey(property)).value_or(kDefaultValue);
    settings.AutoModes[i] = FFile.ReadBool(cameraName, SettingsAutoModeKey(property), kDefaultAutoMode);
  }
  settings.PowerFrequency = FFile.ReadInteger(cameraName, PowerFrequencyKey(), kDefaultPowerFrequency);
  return settings;
}

void TCameraSettingsFile::Write(const QString& cameraName, const TCameraSettings& settings) {
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    FFile.WriteReal(cameraName, SettingsValueKey(kPropertyList[i]), settings.Values[i]);
  }
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    FFile.WriteBool(cameraName, SettingsAutoModeKey(kPropertyList[i]), settings.AutoModes[i]);
  }
  FFile.WriteInteger(cameraName, PowerFrequencyKey(), settings.PowerFrequency);
}
