#pragma once

// What the property frame's pages show and change, in the frame's own terms. The window layer adapts
// the device behind the pages to these; the frame only draws them.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <vector>

enum class TFrameControlKind { Integer, Boolean, Menu, Button };

struct TFrameMenuItem {
  qint64 Index = 0;
  QString Label;
};

// One control as the device describes it now.
struct TFrameControl {
  quint32 Id = 0;
  TFrameControlKind Kind = TFrameControlKind::Integer;
  QString Name;
  qint64 Minimum = 0;
  qint64 Maximum = 0;
  qint64 Step = 1;
  qint64 Default = 0;
  bool ReadOnly = false;
  bool Inactive = false;  // keeps its value but has no effect now (its automatic companion is on)
  bool Grabbed = false;   // cannot change while the device streams
  std::vector<TFrameMenuItem> Menu;
  std::optional<qint64> Value;  // none for a control that cannot be read (write-only, a button)

  // A person may change it now.
  bool Changeable() const { return !ReadOnly && !Inactive && !Grabbed; }
};

// One page of controls. Read describes them afresh, so states follow every change.
class TControlPageSource {
 public:
  virtual ~TControlPageSource() = default;
  // Empty on success, otherwise why the controls could not be read.
  virtual QString Read(std::vector<TFrameControl>& controls) = 0;
  // Empty on success, otherwise the device's reason for refusing.
  virtual QString Write(quint32 id, qint64 value) = 0;
};

// The video formats of a stream and the one it is set to.
class TStreamPageSource {
 public:
  virtual ~TStreamPageSource() = default;
  // Empty on success; `current` is -1 when the stream's format is none of the listed ones.
  virtual QString Read(QStringList& formats, int& current) = 0;
  virtual QString Select(int index) = 0;
};

// One tab: exactly one of the two sources is set.
struct TPropertyFramePage {
  QString Title;
  std::shared_ptr<TControlPageSource> Controls;
  std::shared_ptr<TStreamPageSource> Stream;
};
