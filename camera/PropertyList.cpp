#include "camera/PropertyList.h"

QString PropertyName(TFCameraProperty property) {
  const std::string_view name = PropertyInfo(property).Name;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString SettingsValueKey(TFCameraProperty property) { return PropertyName(property); }

QString SettingsAutoModeKey(TFCameraProperty property) { return QStringLiteral("CheckBox") + PropertyName(property); }
