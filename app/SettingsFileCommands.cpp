// The Save and Load commands: the rows as they stand into the selected camera's section of a camera
// settings file, and a section back into the rows, whose change handlers take it to the camera.

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>

#include "app/Unit1.h"
#include "camera/CameraFailure.h"
#include "settings/CameraSettingsFile.h"
#include "settings/IniNumbers.h"
#include "settings/SettingsFolder.h"
#include "ui/FileDialog.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"

namespace {

// Set up anew for every command: no folder or name is remembered from the last one.
TFileDialog SettingsFileDialog(TFileDialog::TKind kind, const QString& title) {
  TFileDialog dialog(kind);
  dialog.Title = title;
  dialog.InitialDir = SettingsFolder();
  dialog.FileName = QStringLiteral("*.vcs");
  dialog.DefaultExt = QStringLiteral("vcs");
  dialog.Filter = QStringLiteral("Velmar Camera Settings (*.vcs)");
  return dialog;
}

QString FileNameOnly(const QString& path) { return QFileInfo(path).fileName(); }

// Loading what a file does not hold would switch every automatic mode off and every slider to 0: a
// mistyped name must not wipe a camera's settings.
QString NoSettingsNotice(const QString& cameraName, const QString& path) {
  return QStringLiteral("No settings for ") + cameraName + QStringLiteral(" in \"") + FileNameOnly(path) +
         QStringLiteral("\". Nothing changed.");
}

}  // namespace

void TFormMain::ButtonWriteClick(QObject*) {
  CreateSettingsFolder();
  TFileDialog dialog = SettingsFileDialog(TFileDialog::TKind::fkSave, QStringLiteral("Save camera settings"));
  if (!dialog.Execute(this)) {
    ShowStatusMessage(QStringLiteral("Nothing saved"));
    return;
  }
  const QString path = dialog.FileName;
  // Yes does not empty the file: only this camera's entries are rewritten, other sections stay.
  if (QFileInfo::exists(path) &&
      !MessageDlgSimple(QStringLiteral("Overwrite file \"") + FileNameOnly(path) + QLatin1Char('"'))) {
    ShowStatusMessage(QStringLiteral("Nothing saved"));
    return;
  }

  // Every row is saved, live or not: an unsupported row gives what its blank slider and box hold.
  TCameraSettings settings;
  for (const TPropertyRow& row : FRows) {
    const int index = PropertyListIndex(row.Entry->Property);
    settings.Values[index] = row.Controls.TrackBar->Value();
    settings.AutoModes[index] = row.Controls.CheckBox->isChecked();
  }
  settings.PowerFrequency = ComboBoxFrequency->ItemIndex();
  // A failed entry raises "Unable to write to <path>" for the error report; the file keeps what was
  // written before it, each entry having replaced the file whole.
  TCameraSettingsFile(path).Write(SelectedCameraName(), settings);

  ShowStatusMessage(QStringLiteral("Settings saved"));
  StatusLabel->setText(QString());
  SetCaptionToApplicationTitle();
}

void TFormMain::ButtonReadClick(QObject* Sender) {
  // The rows show the camera as it is now before anything is compared with them, even when the user
  // then cancels. A camera that cannot be read is explained as a selection is, and nothing is loaded.
  try {
    ComboBoxCameraChange(Sender);
  } catch (...) {
    CameraFailed(std::current_exception(), TCameraRequest::crSelect);
    return;
  }
  CreateSettingsFolder();
  TFileDialog dialog = SettingsFileDialog(TFileDialog::TKind::fkOpen, QStringLiteral("Load camera settings"));
  if (!dialog.Execute(this)) return;

  const QString camera = SelectedCameraName();
  const TCameraSettingsFile file(dialog.FileName);
  if (!file.HoldsCamera(camera)) {
    ShowMessageSimple(NoSettingsNotice(camera, dialog.FileName));
    return;
  }
  const TCameraSettings settings = file.Read(camera);

  // Each change is made on its own, so a camera that goes away stops the load at once instead of
  // having the rest written into a rebuilt list. A refused change is answered by the row's handler and
  // the load goes on. Only properties the camera has are touched, whatever the file holds.
  // Automatic modes first: switching one re-reads every row, and a value must land after its mode.
  for (const TPropertyRow& row : FRows) {
    if (!FCamera->PropertySupported(row.Entry->Property)) continue;
    const bool automatic = settings.AutoModes[PropertyListIndex(row.Entry->Property)];
    RaiseChanges([&] { row.Controls.CheckBox->setChecked(automatic); });
  }
  for (const TPropertyRow& row : FRows) {
    if (!FCamera->PropertySupported(row.Entry->Property)) continue;
    TTrackBar* slider = row.Controls.TrackBar;
    // Held into the row's range here, so that NaN, infinities and 1e308 never reach an integer.
    const double value =
        HoldReal(settings.Values[PropertyListIndex(row.Entry->Property)], 0, slider->Min(), slider->Max());
    RaiseChanges([&] { slider->SetValue(value); });
  }
  // A refused frequency is ignored (the list keeps the loaded choice); a camera that has gone is not.
  const std::exception_ptr frequencyFailure = SwallowCameraError(QStringLiteral("Loading PowerFrequency"), [&] {
    if (!FCamera->PowerLineFrequencySupported()) return;
    // An index the list does not have (-1 included) clears the selection, and the click then writes
    // nothing: the list shows the camera's own frequency again.
    ComboBoxFrequency->SetItemIndex(settings.PowerFrequency);
    ComboBoxFrequencyClick(ComboBoxFrequency);
  });
  if (CameraFailureOf(frequencyFailure) == TFCameraFailure::cfDisconnected) std::rethrow_exception(frequencyFailure);

  StatusLabel->setText(QString());
  SetCaptionToApplicationTitle();
}
