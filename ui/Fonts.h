#pragma once

// Calibri is the window's font; where it is absent, Carlito (metric-compatible) takes its place.

#include <QString>

void InstallFontSubstitutions();
inline const QString kWindowFontFamily = QStringLiteral("Calibri");
