#pragma once

// Window tests of the Save and Load commands: a settings folder of the test's own (TAVELO_SETTINGS_DIR),
// the commands' file dialogs answered as a user answers them (a name typed, then Save/Open, or Cancel),
// and what each dialog showed.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "app/Unit1.h"
#include "ui/ButtonImage.h"
#include "ui/FileDialog.h"

class SettingsFileSession {
 public:
  SettingsFileSession() {
    if (qEnvironmentVariableIsSet(kVariable)) saved_ = qgetenv(kVariable);
    qputenv(kVariable, Folder().toUtf8());
    TFileDialog::SetAutoAnswer([this](QFileDialog& dialog) {
      titles << dialog.windowTitle();
      folders << dialog.directory().absolutePath();
      nameBoxes << dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
      filters << dialog.nameFilters().join(QLatin1Char('|'));
      if (!typed) return static_cast<int>(QDialog::Rejected);
      dialog.selectFile(*typed);
      static_cast<QDialog&>(dialog).accept();  // the Save/Open button; QFileDialog hides it
      return dialog.result();
    });
  }
  ~SettingsFileSession() {
    TFileDialog::SetAutoAnswer({});
    if (saved_) qputenv(kVariable, *saved_);
    else qunsetenv(kVariable);
  }
  SettingsFileSession(const SettingsFileSession&) = delete;
  SettingsFileSession& operator=(const SettingsFileSession&) = delete;

  // The settings folder, below the temporary one so that the commands must create it.
  QString Folder() const { return root_.filePath(QStringLiteral("settings")); }
  QString PathOf(const QString& fileName) const { return Folder() + QLatin1Char('/') + fileName; }

  QByteArray Bytes(const QString& fileName) const {
    QFile file(PathOf(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  void WriteFile(const QString& fileName, const QByteArray& bytes) const {
    QDir().mkpath(Folder());
    QFile file(PathOf(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
      ADD_FAILURE() << "cannot write " << PathOf(fileName).toStdString();
  }

  // Clicks the command's button, typing `name` into the dialog it opens; no name cancels the dialog.
  void Save(TFormMain& window, std::optional<QString> name) { Click(window.ButtonWrite, std::move(name)); }
  void Load(TFormMain& window, std::optional<QString> name) { Click(window.ButtonRead, std::move(name)); }

  QStringList titles, folders, nameBoxes, filters;  // one entry per dialog shown

 private:
  static constexpr const char* kVariable = "TAVELO_SETTINGS_DIR";

  void Click(QWidget* button, std::optional<QString> name) {
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString() << " is disabled";
    typed = std::move(name);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
  }

  QTemporaryDir root_;
  std::optional<QByteArray> saved_;
  std::optional<QString> typed;
};
