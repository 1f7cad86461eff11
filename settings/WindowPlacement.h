#pragma once

// Where the main window stood and how large it was, kept between runs in "Tavelo.ini" in the settings
// folder, section "Tavelo-Settings". Positions and sizes are the whole window's, frame included, in
// pixels. The file travels like every settings file, so it is written entry by entry through TIniFile.

#include <QList>
#include <QRect>
#include <QString>

#include <utility>

struct TWindowPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 670;
  int Height = 740;

  bool operator==(const TWindowPlacement&) const = default;
  QRect Rect() const { return QRect(Left, Top, Width, Height); }
};

class TWindowPlacementFile {
 public:
  inline static const QString kSection = QStringLiteral("Tavelo-Settings");

  // "Tavelo.ini" in the settings folder, which is created (with its parents) when missing. A folder that
  // can't be created leaves reading with the defaults and makes the first write fail.
  static TWindowPlacementFile InSettingsFolder();
  explicit TWindowPlacementFile(QString fileName) : FFileName(std::move(fileName)) {}

  const QString& FileName() const { return FFileName; }

  // A missing file or entry, or one with no number, takes the entry's default; a negative top or left
  // comes back as 0 (a window may reach beyond the right or bottom edge, never above or left of 0).
  TWindowPlacement Read() const;
  // "Height", "Top", "Left", "width", in this order, each replacing the file atomically; other lines and
  // sections of the file stay. Raises EIniFileError "Unable to write to <file>" when one can't be written.
  void Write(const TWindowPlacement& placement) const;

 private:
  QString FFileName;
};

// The placement as read, unless the window would lie wholly outside every screen (a monitor that is gone):
// then it keeps its size and moves to the primary screen's top left corner. Without any screen it is
// applied as read.
TWindowPlacement PlacedOnScreens(const TWindowPlacement& placement, const QList<QRect>& screens, const QRect& primary);
