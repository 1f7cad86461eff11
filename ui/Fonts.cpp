#include "ui/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace {
const QString kMetricCompatibleFamily = QStringLiteral("Carlito");

bool HasFamily(const QString& family) {
  const QStringList families = QFontDatabase::families();
  return std::any_of(families.begin(), families.end(),
                     [&](const QString& known) { return known.compare(family, Qt::CaseInsensitive) == 0; });
}
}  // namespace

void InstallFontSubstitutions() {
  if (HasFamily(kWindowFontFamily)) return;
  // Same metrics, so the fixed sizes of the window's labels fit just as they were designed.
  QFont::insertSubstitution(kWindowFontFamily, kMetricCompatibleFamily);  // adds it once only
}
