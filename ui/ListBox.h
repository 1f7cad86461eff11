#pragma once

// A list box with update blocks. Change is raised whenever the selected index changes, by code or by the
// user, except between BeginUpdate and EndUpdate, where nothing is raised (and EndUpdate raises nothing
// either). Clicked is raised for a user's click only; DblClicked for a double click. The item index is
// the highlighted entry; a user cannot clear it by clicking.

#include <QIcon>
#include <QListWidget>
#include <QString>

class TListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TListBox(QWidget* parent = nullptr);
  ~TListBox() override;

  void BeginUpdate();
  void EndUpdate();
  bool InUpdate() const { return FUpdateDepth > 0; }

  int ItemIndex() const;         // -1 when nothing is selected
  void SetItemIndex(int index);  // -1 clears the selection
  int Count() const { return count(); }
  QString ItemText(int index) const;  // throws std::out_of_range for a bad index
  void Clear();

  // Adds a one-line entry with an icon at the left, in white text of the given size and height.
  void AddEntry(const QString& text, const QIcon& icon, int fontSize, int height);

  // The list's own height, as the window logic sets it (0 and up); applied as a fixed height.
  int ListHeight() const { return FListHeight; }
  void SetListHeight(int height);

 signals:
  void Change(QObject* sender);
  void Clicked(QObject* sender);
  void DblClicked(QObject* sender);

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;

 private:
  void SyncItemIndex();  // raises Change when the index moved since it was last seen

  int FUpdateDepth = 0;
  int FListHeight = 0;
  int FLastIndex = -1;
};
