#pragma once

// A modal dialog that asks for a file to open or save, set up the way a form sets up its dialog
// components: a title, an initial folder and file name, a default extension and one filter, set before
// each Execute.
//
// It is always Qt's own dialog, never the desktop's: desktop dialogs (portals in particular) may ignore
// the default extension, ask about overwriting on their own or refuse a name that does not exist, and
// the commands using this one rely on all three; Qt's also looks and behaves the same on every desktop.
//
// Tests (and any unattended run) answer it through SetAutoAnswer, as the message window is answered: the
// dialog is set up and shown as usual, then handed to the answer instead of waiting for a person.

#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

class TFileDialog {
 public:
  enum class TKind { fkOpen, fkSave };

  explicit TFileDialog(TKind kind) : FKind(kind) {}

  TKind Kind() const { return FKind; }

  QString Title;
  QString InitialDir;
  // Before Execute, what the name box shows (a pattern such as "*.vcs" is allowed); after an Execute that
  // answered true, the chosen file's full path.
  QString FileName;
  QString DefaultExt;  // without the dot: a name chosen without an extension gets it
  QString Filter;      // one Qt name filter, "Description (*.ext)"

  // Shows the dialog modally over `owner`. A save dialog does not ask about overwriting (its caller does);
  // an open dialog accepts a name that does not exist. True when a file was chosen.
  bool Execute(QWidget* owner);

  // Answers every Execute with the handler's result (QDialog::Accepted with a file selected through
  // QFileDialog::selectFile, as a user would type or pick it, or QDialog::Rejected), called once the
  // dialog is set up and visible. An empty handler restores normal modal use.
  using AutoAnswer = std::function<int(QFileDialog& dialog)>;
  static void SetAutoAnswer(AutoAnswer answer);
  static bool HasAutoAnswer();

 private:
  TKind FKind;
};
