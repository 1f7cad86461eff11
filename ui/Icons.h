#pragma once

// The built-in pictures (SVG in icons.qrc): logo, webcam, power frequency, resolution icons, command
// button pictures with their pressed variants, one per property, camera and camera-off.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

// Resource path of an icon, e.g. ":/icons/res_720.svg".
QString IconPath(const QString& name);
QIcon TaveloIcon(const QString& name);
// Rendered at exactly `size` logical pixels (crisp at the device pixel ratio of the screen).
QPixmap TaveloPixmap(const QString& name, const QSize& size);
// Every icon name of the set.
QStringList TaveloIconNames();
