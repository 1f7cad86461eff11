#include "settings/WindowPlacement.h"

#include <algorithm>

#include "settings/IniFile.h"
#include "settings/SettingsFolder.h"

namespace {

// The key names as the file has always spelled them; "width" is lower-case.
const QString kHeight = QStringLiteral("Height");
const QString kTop = QStringLiteral("Top");
const QString kLeft = QStringLiteral("Left");
const QString kWidth = QStringLiteral("width");

}  // namespace

TWindowPlacementFile TWindowPlacementFile::InSettingsFolder() {
  CreateSettingsFolder();
  return TWindowPlacementFile(SettingsFolder() + QStringLiteral("Tavelo.ini"));
}

TWindowPlacement TWindowPlacementFile::Read() const {
  const TIniFile file(FFileName);
  const TWindowPlacement defaults;
  TWindowPlacement placement;
  placement.Top = std::max(0, file.ReadInteger(kSection, kTop, defaults.Top));
  placement.Left = std::max(0, file.ReadInteger(kSection, kLeft, defaults.Left));
  placement.Width = file.ReadInteger(kSection, kWidth, defaults.Width);
  placement.Height = file.ReadInteger(kSection, kHeight, defaults.Height);
  return placement;
}

void TWindowPlacementFile::Write(const TWindowPlacement& placement) const {
  TIniFile file(FFileName);
  file.WriteInteger(kSection, kHeight, placement.Height);
  file.WriteInteger(kSection, kTop, placement.Top);
  file.WriteInteger(kSection, kLeft, placement.Left);
  file.WriteInteger(kSection, kWidth, placement.Width);
}

TWindowPlacement PlacedOnScreens(const TWindowPlacement& placement, const QList<QRect>& screens, const QRect& primary) {
  if (screens.isEmpty() || !primary.isValid()) return placement;
  // A window narrower than a pixel still stands somewhere: test at least its corner.
  const QRect window(placement.Left, placement.Top, std::max(1, placement.Width), std::max(1, placement.Height));
  for (const QRect& screen : screens) {
    if (screen.intersects(window)) return placement;
  }
  TWindowPlacement moved = placement;
  moved.Left = primary.left();
  moved.Top = primary.top();
  return moved;
}
