#pragma once

// The stream tab of the property frame: the stream's video formats (pixel format, size, frame rate),
// the current one selected, and "Apply" to set the one chosen.

#include <QWidget>

#include <memory>

#include "ui/PropertyFrameSources.h"

class QLabel;
class QListWidget;
class QPushButton;

class TStreamPage : public QWidget {
  Q_OBJECT

 public:
  explicit TStreamPage(std::shared_ptr<TStreamPageSource> source, QWidget* parent = nullptr);

  void Refresh();
  // Sets the format chosen in the list; a refusal shows under the list.
  void Apply();

  QListWidget* FormatList() const { return FList; }
  QPushButton* ApplyButton() const { return FApply; }
  QLabel* ErrorLabel() const { return FError; }

 signals:
  void Changed();

 private:
  std::shared_ptr<TStreamPageSource> FSource;
  QListWidget* FList = nullptr;
  QPushButton* FApply = nullptr;
  QLabel* FError = nullptr;
};
