#pragma once

// The tool's own message window for yes/no questions and notices, centred over the main window.
//
// Tests (and any unattended run) answer it through SetAutoAnswer: the window is then set up and shown as
// usual, the answer is given instead of waiting for a person, and the window hides again.

#include <QDialog>
#include <QPointer>

#include <functional>

class QLabel;
class QPushButton;
class QFrame;

class TMessageForm : public QDialog {
  Q_OBJECT

 public:
  explicit TMessageForm(QWidget* parent = nullptr);

  QLabel* Label1;
  QPushButton* Button1;  // modal result 1 (ok / yes)
  QPushButton* Button2;  // modal result 2 (cancel / no); the default button
  QFrame* Rectangle1;
  QFrame* Rectangle2;

  // Answers every modal show with the handler's modal result (1 = Button1, 2 = Button2, 0 = closed),
  // called once the window is fully set up and visible. An empty handler restores normal modal use.
  using AutoAnswer = std::function<int(TMessageForm& form)>;
  static void SetAutoAnswer(AutoAnswer answer);
  static bool HasAutoAnswer();

  // Shows modally; answers the modal result.
  int ShowModal();

  // Centres this window over `over` (outer frames; halves in floating point, truncated toward zero).
  void CentreOver(const QWidget* over);

 public slots:
  void Button1Click() {}
  void Button2Click() {}
};

// Outer-frame centring, exposed for tests: trunc(ownerLeft + (ownerWidth - width) / 2).
int CentredCoordinate(int ownerStart, int ownerExtent, int extent);

// A yes/no question: true exactly when "Yes" was pressed.
bool MessageDlgSimple(TMessageForm* form, const QWidget* mainWindow, const QString& message);
// A notice with a single "Ok": true when closed with "Ok".
bool ShowMessageSimple(TMessageForm* form, const QWidget* mainWindow, const QString& message);
