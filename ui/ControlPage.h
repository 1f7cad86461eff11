#pragma once

// One tab of the property frame: every control of a page as a row (name, the control, its value, and the
// device's reason when it refused a change), written live and re-read after each change, so a control
// an automatic switch frees or locks is enabled or greyed at once.

#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ui/PropertyFrameSources.h"

class QGridLayout;
class QLabel;
class QPushButton;

class TControlPage : public QWidget {
  Q_OBJECT

 public:
  explicit TControlPage(std::shared_ptr<TControlPageSource> source, QWidget* parent = nullptr);

  // Reads the controls again and shows their values and states. Other pages change what this one shows
  // (one device behind them all), so the frame calls it on every page after a change.
  void Refresh();
  // Writes each changeable control's default, in the page's order, reading the states again after each
  // write: switching an automatic mode on by its default locks its companion, which is then left alone.
  void LoadDefaults();

  // The editor of a control (slider, check box, list or push button), its value text and its error text;
  // null for an id the page does not show.
  QWidget* Editor(quint32 id) const;
  QLabel* ValueLabel(quint32 id) const;
  QLabel* ErrorLabel(quint32 id) const;
  QPushButton* DefaultsButton() const { return FDefaultsButton; }
  // The id of the control the device names `name`; nothing when the page has none.
  std::optional<quint32> ControlNamed(const QString& name) const;
  // Why the page could not be read; empty when it could.
  QString ReadError() const;

 signals:
  // A write reached the device (or was refused by it): every page should read again.
  void Changed();

 private:
  struct Row {
    TFrameControl Control;
    QLabel* Name = nullptr;
    QWidget* Editor = nullptr;
    QLabel* Value = nullptr;
    QLabel* Error = nullptr;
  };

  void Build(const std::vector<TFrameControl>& controls);
  QWidget* MakeEditor(const TFrameControl& control);
  void Show(Row& row, const TFrameControl& control);
  void Write(quint32 id, qint64 value);
  // Writes without announcing the change; false when the page has no such control.
  bool WriteQuietly(quint32 id, qint64 value);

  std::shared_ptr<TControlPageSource> FSource;
  QGridLayout* FGrid = nullptr;
  QLabel* FReadError = nullptr;
  QPushButton* FDefaultsButton = nullptr;
  std::map<quint32, Row> FRows;
  std::vector<quint32> FOrder;  // the page's order
  bool FShowing = false;  // editors are being set from the device: their signals are no user's change
};
