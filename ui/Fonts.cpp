#include "ui/Fonts.h"

#include <QFont>

namespace {
const QString kMetricCompatibleFamily = QStringLiteral("Carlito");
}  // namespace

void InstallFontSubstitutions() {
  // Same metrics, so the fixed sizes of the window's labels fit just as they were designed. A substitute
  // is only consulted when the family itself is missing, so there is no need to look for Calibri first
  // (listing the installed families costs a scan of every font on the system).
  QFont::insertSubstitution(kWindowFontFamily, kMetricCompatibleFamily);  // adds it once only
}
