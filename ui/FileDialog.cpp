#include "ui/FileDialog.h"

#include <QFileDialog>

namespace {

TFileDialog::AutoAnswer& AutoAnswerSlot() {
  static TFileDialog::AutoAnswer answer;
  return answer;
}

int ShowModal(QFileDialog& dialog) {
  // A copy: the handler may install the next answer while it runs.
  const TFileDialog::AutoAnswer answer = AutoAnswerSlot();
  if (!answer) return dialog.exec();
  dialog.show();
  const int result = answer(dialog);
  dialog.hide();
  return result;
}

}  // namespace

bool TFileDialog::Execute(QWidget* owner) {
  QFileDialog dialog(owner, Title, InitialDir, Filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The caller asks about overwriting, and an open dialog takes a name that does not exist.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(FKind == TKind::fkSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setDefaultSuffix(DefaultExt);
  dialog.selectFile(FileName);
  if (ShowModal(dialog) != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
  FileName = chosen.first();
  return true;
}

void TFileDialog::SetAutoAnswer(AutoAnswer answer) { AutoAnswerSlot() = std::move(answer); }

bool TFileDialog::HasAutoAnswer() { return static_cast<bool>(AutoAnswerSlot()); }
