#pragma once

// The property frame: a modal window, captioned as asked, with one tab per page (TControlPage for a
// device's controls, TStreamPage for a stream's formats). It has no owner window, so the main window's
// timers go on while it shows.
//
// Tests (and any unattended run) drive it through SetTestHook: the frame is set up and shown as usual,
// the hook is called with it instead of waiting for a person, and the frame closes when the hook returns.

#include <QDialog>

#include <functional>
#include <vector>

#include "ui/PropertyFrameSources.h"

class QTabWidget;
class TControlPage;
class TStreamPage;

class TPropertyFrame : public QDialog {
  Q_OBJECT

 public:
  TPropertyFrame(const QString& caption, std::vector<TPropertyFramePage> pages, QWidget* parent = nullptr);

  // Shows modally and returns when the frame is closed.
  void ShowModal();

  using TestHook = std::function<void(TPropertyFrame& frame)>;
  // An empty hook restores normal modal use.
  static void SetTestHook(TestHook hook);
  static bool HasTestHook();

  QTabWidget* Tabs() const { return FTabs; }
  // The page of a tab; null when the tab is the other kind.
  TControlPage* ControlPage(int tab) const;
  TStreamPage* StreamPage(int tab) const;
  // The control page showing `id`, for tests that know a control but not its tab.
  TControlPage* PageOfControl(quint32 id) const;

 private:
  // Every page reads the device again: a change on one page may free or lock controls on another.
  void RefreshAll();

  QTabWidget* FTabs = nullptr;
};
