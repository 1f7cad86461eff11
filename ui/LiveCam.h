#pragma once

// The camera test window: created once, reused for every test. The main window lends it its paint
// surface, which is placed in CameraPanel and draws the camera's picture at 1:1.
//
// Tag is 1 exactly while the window is showing and 0 otherwise, whoever shows or hides it: the main
// window's refresh leaves a running test alone while it is 1, and the test ends on the next frame tick
// once the window is hidden.

#include <QWidget>

class QPushButton;
class TImage;

class TLivecamForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kModalResultClose = 8;
  static constexpr QSize kDesignClientSize{897, 550};

  explicit TLivecamForm(QWidget* parent = nullptr);

  int Tag() const { return FTag; }
  void SetTag(int tag) { FTag = tag; }
  int ModalResult() const { return FModalResult; }

  // Centres the window's outer frame on the screen it is on (the primary one before it was shown).
  void CentreOnScreen();

  void FormShow(QObject* Sender = nullptr);
  void FormClose(QObject* Sender = nullptr);
  void ButtonCloseClick(QObject* Sender = nullptr);

  QWidget* CameraPanel;  // fills the client area
  QPushButton* ButtonClose;
  // The design's "close" and "closedown" pictures (their object names); unused. A member named close
  // would hide QWidget::close.
  TImage* ClosePicture;
  TImage* CloseDownPicture;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int FTag = 0;
  int FModalResult = 0;
};
