#pragma once

// The built-in pictures (SVG in icons.qrc): logo, webcam, power frequency, resolution icons, command
// button pictures with their pressed variants, one per property, camera and camera-off.
//
// Each SVG file is parsed once per run and kept; a picture is rendered once per size and screen pixel
// ratio and then taken from Qt's pixmap cache. Everything here runs on the GUI thread.

#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// Resource path of an icon, e.g. ":/icons/res_720.svg".
QString IconPath(const QString& name);
// The picture's own size, as its SVG file gives it; empty for an unknown name.
QSize TaveloIconSize(const QString& name);
// The largest size of the picture's own proportions that fits `box` (`box` itself for an unknown name).
QSize FittedIconSize(const QString& name, const QSize& box);
// Rendered at exactly `size` logical pixels (crisp at the device pixel ratio of the screen), the
// picture kept in proportion and centred.
QPixmap TaveloPixmap(const QString& name, const QSize& size);
// Every icon name of the set.
QStringList TaveloIconNames();
