#pragma once

// A list box with update blocks. A programmatic selection raises Change when the selected index changes,
// except between BeginUpdate and EndUpdate, where nothing is raised (and EndUpdate raises nothing
// either). Clicked is raised for a user's click only; DblClicked for a double click.

#include <QIcon>
#include <QListWidget>
#include <QString>

class TListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TListBox(QWidget* parent = nullptr);

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

 private:
  void OnCurrentRowChanged(int row);

  int FUpdateDepth = 0;
  int FListHeight = 0;
  int FLastIndex = -1;
};
