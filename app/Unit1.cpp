#include "app/Unit1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <cstdio>
#include <utility>

#include "settings/WindowPlacement.h"
#include "ui/ButtonImage.h"
#include "ui/ControlStyle.h"
#include "ui/Effects.h"
#include "app/ErrorReport.h"
#include "app/StartArguments.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"
#include "ui/MessageUnit.h"
#include "ui/Rectangle.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"

TFormMain::TFormMain(std::shared_ptr<tavelo::platform::CapturePlatform> platform, QStringList arguments,
                     QWidget* parent)
    : TMainFormDesign(PropertyRowDesignsInScreenOrder(), parent),
      FCamera(new TFCamera(this, std::move(platform))),
      FArguments(std::move(arguments)) {
  // The design's one preview value: borders in transparent black rather than the component's opaque default.
  FCamera->SetBorderColor(0x00000000u);
  BindRows();
  ConnectHandlers();
  SingleInstance1 = new TSingleInstance(this);
  SingleInstance1->setObjectName(QStringLiteral("SingleInstance1"));
  // A failure during start-up that is not the camera's (FormCreate explains those itself) ends the
  // sequence at that step; the window still opens.
  try {
    FormCreate();
  } catch (...) {
    ReportError(std::current_exception());
  }
}

TFormMain::~TFormMain() {
  // The controls die after this class's members: no handler may run on a half-destroyed window.
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
  delete FCamera;  // tears down any capture graph while the preview surface still exists
  FCamera = nullptr;
}

void TFormMain::SetMessageForm(TMessageForm* form) {
  FMessageForm = form;
  SetErrorReportWindows(form, this);
}

void TFormMain::SetLivecamForm(TLivecamForm* form) { FLivecamForm = form; }

void TFormMain::FormCreate() {
  // Made when the memo is built: outside trace mode that is never, which spares building it.
  Memo1.Apply([](QPlainTextEdit* memo) {
    memo->clear();
    memo->hide();
  });
  const TStartArguments startArguments = TStartArguments::Parse(FArguments);
  TraceMode = false;
  if (startArguments.Trace) {
    TraceMode = true;
    Memo1->show();
  }
  PreviewMode = startArguments.Preview;
  ComboBoxFormat->setVisible(PreviewMode);
  LayoutButtonTestCam->setVisible(PreviewMode);
  FillFrequencyList();
  LastResolutionIndex = 0;
  ColourFromPalette();
  ResolutionText.clear();
  Hiddenfunctions->hide();
  // A camera failing here must not leave the window half presented: start-up goes on, and the failure is
  // explained once the window is in its run-time state.
  const std::exception_ptr cameraFailure =
      SwallowCameraError(QStringLiteral("RefreshDevices"), [this] { RefreshDevices(); });
  QGuiApplication::setApplicationDisplayName(kApplicationTitle);
  SetCaptionToApplicationTitle();
  readini();
  SetCaptionToApplicationTitle();
  StatusLabel->setText(QStringLiteral(" "));
  if (cameraFailure) CameraFailed(cameraFailure, TCameraRequest::crSelect);
}

void TFormMain::SetCaptionToApplicationTitle() { setWindowTitle(QGuiApplication::applicationDisplayName()); }

void TFormMain::LogMe(const QString& MyMessage) {
  std::fprintf(stderr, "%s\n", MyMessage.toLocal8Bit().constData());
  Memo1->appendPlainText(MyMessage);
}

void TFormMain::FormCloseQuery(bool& CanClose) { CanClose = true; }

void TFormMain::FormClose(TCloseAction& Action) {
  (void)Action;  // left at its default: the window closes and the program ends
  writeini();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  FormCloseQuery(canClose);
  if (!canClose) {
    event->ignore();
    return;
  }
  TCloseAction action = TCloseAction::caFree;
  // A placement that cannot be written is reported; the window closes all the same.
  try {
    FormClose(action);
  } catch (...) {
    ReportError(std::current_exception());
  }
  if (action == TCloseAction::caNone) {
    event->ignore();
  } else {
    event->accept();
  }
}

void TFormMain::VelmarlogoClick(QObject*) { RefreshDevices(); }

void TFormMain::readini() {
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->geometry();
  const QScreen* primary = QGuiApplication::primaryScreen();
  const TWindowPlacement placement = PlacedOnScreens(TWindowPlacementFile::InSettingsFolder().Read(), screens,
                                                     primary ? primary->geometry() : QRect());
  // The file holds the whole window; the frame is what the platform adds around the client area. Nothing
  // is known of it before the window is first shown, so the outer size is reached once it is.
  move(placement.Left, placement.Top);
  FStoredOuterSize = QSize(placement.Width, placement.Height);
  resize(*FStoredOuterSize);
  ReachStoredOuterSize();
  FormResize();
}

void TFormMain::ReachStoredOuterSize() {
  if (!FStoredOuterSize) return;
  const QSize frame = frameGeometry().size() - size();
  if (frame.isNull()) return;  // not known yet
  const QSize outer = *std::exchange(FStoredOuterSize, std::nullopt);
  resize(outer - frame);
}

void TFormMain::showEvent(QShowEvent* event) {
  TMainFormDesign::showEvent(event);
  ReachStoredOuterSize();
}

void TFormMain::moveEvent(QMoveEvent* event) {
  TMainFormDesign::moveEvent(event);
  ReachStoredOuterSize();
}

void TFormMain::writeini() {
  const QRect outer = frameGeometry();
  TWindowPlacementFile::InSettingsFolder().Write({outer.left(), outer.top(), outer.width(), outer.height()});
}

void TFormMain::ColourFromPalette() {
  const QColor white(0xFFFFFFFF);
  SetFill(ColorDarkest->Fill());
  StatusPanelColor->SetFill(ColorDark->Fill());
  MasterColor->SetFill(white);
  SetFontColor(cameratestlabel, ColorBright->Fill());
  SetFontColor(powerfrequencylabel, ColorBright->Fill());
  CameraCouldStartGlow->SetGlowColor(ColorMid->Fill());
  CameraIconGlow->SetGlowColor(ColorBright->Fill());
  CameraIconInnerGlow->SetGlowColor(ColorBright->Fill());
  for (QLabel* caption : {Label1, Label2, Label3, Defaults}) SetFontColor(caption, white);
}

void TFormMain::BindRows() {
  for (const TPropertyCatalogueEntry& entry : kPropertyCatalogue) {
    const QString layoutName = QStringLiteral("Layout") + entry.Name();
    for (const TPropertyRowControls& controls : Rows) {
      if (controls.Layout->objectName() == layoutName) FRows.push_back({&entry, controls});
    }
  }
  Q_ASSERT(FRows.size() == kPropertyCatalogue.size());
}

void TFormMain::ConnectHandlers() {
  constexpr TCameraRequest kSelect = TCameraRequest::crSelect;
  connect(Velmarlogo, &TImage::Click, this,
          [this](QObject* sender) { RunHandler([&] { VelmarlogoClick(sender); }, kSelect); });
  connect(ComboBoxCamera, &TListBox::Change, this,
          [this](QObject* sender) { RunHandler([&] { ComboBoxCameraChange(sender); }, kSelect); });
  connect(ComboBoxFormat, &TListBox::Change, this,
          [this](QObject* sender) { RunHandler([&] { ComboBoxFormatChange(sender); }); });
  connect(ComboBoxFormat, &TListBox::DblClicked, this,
          [this](QObject* sender) { RunHandler([&] { ComboBoxFormatDblClick(sender); }); });
  connect(ComboBoxFrequency, &TListBox::Clicked, this,
          [this](QObject* sender) { RunHandler([&] { ComboBoxFrequencyClick(sender); }); });
  for (const TPropertyRow& row : FRows) {
    connect(row.Controls.TrackBar, &TTrackBar::Changed, this,
            [this](TTrackBar* sender) { RunHandler([&] { TrackBarChange(sender); }); });
    QCheckBox* box = row.Controls.CheckBox;
    connect(box, &QCheckBox::toggled, this, [this, box](bool) { RunHandler([&] { CheckBoxChange(box); }); });
  }
  connect(BackButton, &QPushButton::clicked, this, [this] { RunHandler([&] { BackButtonClick(BackButton); }); });
  connect(ButtonWindows, &TImage::Click, this,
          [this](QObject* sender) { RunHandler([&] { ButtonWindowsClick(sender); }); });
  InstallPropertyFrame();
  ConnectCameraTest();
  connect(MessageTimer, &TTimer::Timer, this,
          [this](QObject* sender) { RunHandler([&] { MessageTimerTimer(sender); }); });
  connect(ButtonDefaultValues, &TImage::Click, this,
          [this](QObject* sender) { RunHandler([&] { ButtonDefaultValuesClick(sender); }); });
  connect(ButtonWrite, &TImage::Click, this,
          [this](QObject* sender) { RunHandler([&] { ButtonWriteClick(sender); }); });
  connect(ButtonRead, &TImage::Click, this, [this](QObject* sender) { RunHandler([&] { ButtonReadClick(sender); }); });
  // A tick's failures are its own to explain; what reaches here is no camera error, for the error report.
  connect(RefreshTimer, &TTimer::Timer, this,
          [this](QObject* sender) { RunHandler([&] { RefreshTimerTimer(sender); }, kSelect); });
}

void TFormMain::RunHandler(const std::function<void()>& handler, TCameraRequest request) {
  try {
    handler();
  } catch (...) {
    if (FChangeDepth > 0) {
      if (!FPendingError) FPendingError = std::current_exception();
    } else {
      CameraFailed(std::current_exception(), request);
    }
  }
}

void TFormMain::RaiseChanges(const std::function<void()>& change) {
  std::exception_ptr enclosing = std::exchange(FPendingError, nullptr);
  ++FChangeDepth;
  std::exception_ptr failure;
  try {
    change();
  } catch (...) {
    failure = std::current_exception();
  }
  --FChangeDepth;
  if (!failure) failure = FPendingError;
  FPendingError = enclosing;
  if (failure) std::rethrow_exception(failure);
}

const TPropertyRow* TFormMain::RowOfTrackBar(const QObject* sender) const {
  for (const TPropertyRow& row : FRows) {
    if (row.Controls.TrackBar == sender) return &row;
  }
  return nullptr;
}

const TPropertyRow* TFormMain::RowOfCheckBox(const QObject* sender) const {
  for (const TPropertyRow& row : FRows) {
    if (row.Controls.CheckBox == sender) return &row;
  }
  return nullptr;
}
