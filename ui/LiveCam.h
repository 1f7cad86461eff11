#pragma once

// The camera test window. Its Tag is 1 while it is showing and 0 otherwise; the main window's refresh
// leaves a running test alone while it is 1.

#include <QWidget>

class TLivecamForm : public QWidget {
  Q_OBJECT

 public:
  explicit TLivecamForm(QWidget* parent = nullptr);
  int Tag() const { return FTag; }
  void SetTag(int tag) { FTag = tag; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  int FTag = 0;
};
