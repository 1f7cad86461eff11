#include "settings/SettingsFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString WithSeparator(QString path) {
  if (!path.endsWith(QLatin1Char('/'))) path.append(QLatin1Char('/'));
  return path;
}

}  // namespace

QString SettingsFolder() {
  const QString chosen = qEnvironmentVariable("TAVELO_SETTINGS_DIR");
  if (!chosen.isEmpty()) return WithSeparator(chosen);
  return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Tavelo/");
}

bool CreateSettingsFolder() { return QDir().mkpath(SettingsFolder()); }
