#pragma once

// The main window's design: every control, its place, size, look and design state, built in code the
// way a form file would describe it. Every component carries its design name as objectName. The window
// logic (TFormMain) derives from this class and gives the controls their behaviour.
//
// Regions take their room in this order: the status strip across the bottom, the left column over the
// remaining height, the middle region over the rest. The seventeen property rows are built from the
// caller's table of row designs, one piece of code for every row.

#include <QColor>
#include <QHash>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <vector>

#include "ui/CreatedOnFirstUse.h"
#include "ui/PaintBox.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TButtonImage;
class TGlowEffect;
class TImage;
class TListBox;
class TMonochromeEffect;
class TRectangle;
class TTimer;
class TTrackBar;

// One property row as the design draws it. The row's members are named after `Property`:
// Layout<Property>, Label<Property>, TrackBar<Property>, Label<Property>Value, CheckBox<Property>,
// Layout<Property>Monochrome; the icon and the value box carry the numbered names given here.
struct TPropertyRowDesign {
  QString Property;         // e.g. "Brightness"
  QString LabelText;        // name label text
  QString IconName;         // built-in picture of the property
  QString ImageName;        // the icon control, e.g. "Image7"
  QString ValueBoxName;     // the value box, e.g. "Layout20"
  QString DesignValueText;  // the value label's design text
  int LabelFontSize = 14;
  int TopMargin = 3;
};

struct TPropertyRowControls {
  QWidget* Layout = nullptr;
  TImage* Icon = nullptr;
  QLabel* Label = nullptr;
  TTrackBar* TrackBar = nullptr;
  QWidget* ValueBox = nullptr;
  QLabel* ValueLabel = nullptr;
  QCheckBox* CheckBox = nullptr;
  TMonochromeEffect* Monochrome = nullptr;
};

class TMainFormDesign : public QWidget {
  Q_OBJECT

 public:
  static constexpr QSize kDesignClientSize{1517, 732};
  static constexpr int kRowCount = 17;
  inline static const QString kDesignCaption = QStringLiteral("Velmar Cam Settings Tool V1.1");

  explicit TMainFormDesign(const std::vector<TPropertyRowDesign>& rowsInScreenOrder, QWidget* parent = nullptr);
  ~TMainFormDesign() override;

  // The window's background fill.
  QColor Fill() const;
  void SetFill(const QColor& fill);

  // A picture of the hidden store by its name (Webcam, herz, res_1080 ... res_ega, open, opendown, save,
  // savedown, x, xdown, factory, factorydown); null for an unknown name.
  TImage* Picture(const QString& name) const { return FPictures.value(name); }

  // ---- Status strip ---------------------------------------------------------------------------------
  QWidget* MessagePanel;
  TRectangle* StatusPanelColor;
  QLabel* StatusLabel;
  QLabel* MessageLabel;
  QLabel* SupportLabel;

  // ---- Left column ----------------------------------------------------------------------------------
  QWidget* LayoutListe;
  TImage* Velmarlogo;
  QCheckBox* KeepSynced;
  QWidget* LayoutButtons;
  TButtonImage* ButtonRead;
  TButtonImage* ButtonWrite;
  TButtonImage* ButtonWindows;
  TButtonImage* ButtonDefaultValues;
  QLabel* Label2;    // "Load"
  QLabel* Label1;    // "Save"
  QLabel* Label3;    // "System Dialog"
  QLabel* Defaults;  // "Factory default"
  TListBox* ComboBoxCamera;
  QWidget* LayoutFrequency;
  QLabel* powerfrequencylabel;
  TListBox* ComboBoxFrequency;
  TListBox* ComboBoxFormat;
  QWidget* LayoutButtonTestCam;
  TImage* ButtonTestCam;
  TImage* Image1;
  TImage* CameraOff;
  QLabel* cameratestlabel;
  TGlowEffect* CameraIconGlow;
  TGlowEffect* CameraCouldStartGlow;
  TGlowEffect* CameraIconInnerGlow;
  TGlowEffect* InnerGlowEffect1;

  // ---- Middle region --------------------------------------------------------------------------------
  QWidget* LayoutMid;
  TRectangle* MasterColor;
  QWidget* LayoutMaster;
  TMonochromeEffect* MonochromeEffect;
  QPushButton* BackButton;
  std::vector<TPropertyRowControls> Rows;  // in screen order, as the row designs were given

  // ---- Palette (hidden) -----------------------------------------------------------------------------
  TRectangle* ColorDarkest;
  TRectangle* ColorDark;
  TRectangle* ColorMid;
  TRectangle* ColorBright;

  // ---- Hidden picture store, timers, trace memo -----------------------------------------------------
  QWidget* Hiddenfunctions;
  // Lent to the camera test window while a test runs, and destroyed with it when that window goes first.
  QPointer<TPaintBox> PaintBox;
  TTimer* RefreshTimer;
  TTimer* MessageTimer;
  TTimer* CameraTimer;
  TTimer* CameraGlowTimer;
  TCreatedOnFirstUse<QPlainTextEdit> Memo1;  // built on first use: only trace mode shows it

 private:
  void BuildPictureStore();
  void BuildStatusStrip();
  void BuildLeftColumn();
  void BuildCommandButtons();
  void BuildFrequencyBlock(QWidget* column);
  void BuildCameraTestArea(QWidget* column);
  void BuildMiddleRegion(const std::vector<TPropertyRowDesign>& rows);
  TPropertyRowControls BuildPropertyRow(const TPropertyRowDesign& design);
  void BuildPalette();
  void BuildTimers();
  void BuildMemo();

  QHash<QString, TImage*> FPictures;
};
