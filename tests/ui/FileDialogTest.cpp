// The settings commands' file dialog: set up as the command asks on Qt's own dialog, answered the way a
// user answers it (a name typed or picked, then Open/Save), and never asking a question of its own.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

#include "ui/FileDialog.h"

namespace {

// What the dialog showed when it was answered.
struct Seen {
  QString title;
  QString folder;
  QString nameBox;
  QStringList filters;
  QString suffix;
  QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
  QFileDialog::FileMode fileMode = QFileDialog::Directory;
  bool asksAboutOverwriting = true;
  bool native = true;
  bool visible = false;
  QWidget* owner = nullptr;
};

class FileDialogTest : public ::testing::Test {
 protected:
  void TearDown() override { TFileDialog::SetAutoAnswer({}); }

  // Types `name` into the name box and presses Open/Save; with no name, cancels. Any window the dialog
  // opens on its own (a question, a "file not found") is closed and kept, so a test fails instead of
  // waiting for a person.
  void AnswerWith(std::optional<QString> name) {
    TFileDialog::SetAutoAnswer([this, name](QFileDialog& dialog) {
      seen = Seen{dialog.windowTitle(),
                  dialog.directory().absolutePath(),
                  dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                  dialog.nameFilters(),
                  dialog.defaultSuffix(),
                  dialog.acceptMode(),
                  dialog.fileMode(),
                  !dialog.testOption(QFileDialog::DontConfirmOverwrite),
                  !dialog.testOption(QFileDialog::DontUseNativeDialog),
                  dialog.isVisible(),
                  dialog.parentWidget()};
      if (!name) return static_cast<int>(QDialog::Rejected);
      QTimer::singleShot(0, [this] {
        if (QWidget* extra = QApplication::activeModalWidget()) {
          extraWindow = extra->windowTitle();
          extra->close();
        }
      });
      dialog.selectFile(*name);
      static_cast<QDialog&>(dialog).accept();  // the Save/Open button; QFileDialog hides it
      return dialog.result();
    });
  }

  TFileDialog SettingsDialog(TFileDialog::TKind kind) const {
    TFileDialog dialog(kind);
    dialog.Title = QStringLiteral("Pick one");
    dialog.InitialDir = folder.path();
    dialog.FileName = QStringLiteral("*.vcs");
    dialog.DefaultExt = QStringLiteral("vcs");
    dialog.Filter = QStringLiteral("Velmar Camera Settings (*.vcs)");
    return dialog;
  }

  QTemporaryDir folder;
  QWidget owner;
  Seen seen;
  std::optional<QString> extraWindow;
};

TEST_F(FileDialogTest, IsQtsOwnDialogSetUpAsTheCommandAsks) {
  for (const TFileDialog::TKind kind : {TFileDialog::TKind::fkSave, TFileDialog::TKind::fkOpen}) {
    const bool save = kind == TFileDialog::TKind::fkSave;
    SCOPED_TRACE(save ? "save" : "open");
    AnswerWith(std::nullopt);
    TFileDialog dialog = SettingsDialog(kind);
    EXPECT_FALSE(dialog.Execute(&owner));
    EXPECT_EQ(dialog.FileName, QStringLiteral("*.vcs")) << "a cancelled dialog chose nothing";
    EXPECT_EQ(seen.title, QStringLiteral("Pick one"));
    EXPECT_EQ(seen.folder, folder.path());
    EXPECT_EQ(seen.nameBox, QStringLiteral("*.vcs"));
    EXPECT_EQ(seen.filters, QStringList{QStringLiteral("Velmar Camera Settings (*.vcs)")});
    EXPECT_EQ(seen.suffix, QStringLiteral("vcs"));
    EXPECT_EQ(seen.acceptMode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    EXPECT_EQ(seen.fileMode, QFileDialog::AnyFile) << "a name that does not exist is a choice";
    EXPECT_FALSE(seen.asksAboutOverwriting);
    EXPECT_FALSE(seen.native);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.owner, &owner);
  }
}

TEST_F(FileDialogTest, AnswersTheChosenFilesFullPathWithTheDefaultExtension) {
  ASSERT_TRUE(QFile(folder.filePath(QStringLiteral("old.vcs"))).open(QIODevice::WriteOnly));
  const QString elsewhere = QDir::tempPath() + QStringLiteral("/elsewhere.ini");
  struct Case {
    QString typed;
    QString chosen;
  };
  const Case cases[] = {
      {QStringLiteral("cams"), folder.filePath(QStringLiteral("cams.vcs"))},
      {QStringLiteral("cams.vcs"), folder.filePath(QStringLiteral("cams.vcs"))},
      {QStringLiteral("old"), folder.filePath(QStringLiteral("old.vcs"))},  // existing: no question asked
      {elsewhere, elsewhere},
  };
  for (const TFileDialog::TKind kind : {TFileDialog::TKind::fkSave, TFileDialog::TKind::fkOpen}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.typed.toStdString());
      AnswerWith(c.typed);
      TFileDialog dialog = SettingsDialog(kind);
      EXPECT_TRUE(dialog.Execute(&owner));
      EXPECT_EQ(dialog.FileName, c.chosen);
      EXPECT_EQ(extraWindow, std::nullopt);
    }
  }
}

}  // namespace
