#pragma once

// TFormMain: the main window. It owns the camera component and every control of its design, and wires
// them together: start-up, the camera and format lists, the seventeen property rows, the support status,
// the power-line frequency and the status messages. Each job lives in a file of its own (CameraLists,
// PropertyRows, SupportStatus, PowerFrequency, StatusMessages, WindowLayout); the class is one.
//
// Every handler runs on the GUI thread. What a handler does with a failure is decided per handler: a
// driver refusing one row is handled by the row's handler. A camera failure that escapes a user's action
// is explained by CameraFailed (CameraFailures.cpp), any other failure goes to the general error report
// (ErrorReport.h); one that escapes a change made by code goes back to that code, as a direct call would,
// so code that changes controls whose handlers reach the camera makes the change through RaiseChanges.

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "camera/FCamera.h"
#include "ui/LiveCam.h"
#include "ui/MainFormDesign.h"
#include "ui/MessageUnit.h"
#include "app/CameraFailureResponse.h"
#include "app/ControlEventWatch.h"
#include "app/DeviceWatch.h"
#include "app/FocusHandBack.h"
#include "app/FrameHandOff.h"
#include "app/PropertyCatalogue.h"
#include "single_instance/singleinstance.h"

class QPainter;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// One property row: what it shows and the controls that show it.
struct TPropertyRow {
  const TPropertyCatalogueEntry* Entry;
  TPropertyRowControls Controls;
};

class TFormMain : public TMainFormDesign {
  Q_OBJECT

 public:
  inline static const QString kApplicationTitle = QStringLiteral("Tavelo V3.1");

  // `arguments` are the command-line arguments after the program name (StartArguments.h).
  TFormMain(std::shared_ptr<tavelo::platform::CapturePlatform> platform, QStringList arguments,
            QWidget* parent = nullptr);
  ~TFormMain() override;

  // The message and camera test windows are created after this one; start-up runs without them.
  void SetMessageForm(TMessageForm* form);
  void SetLivecamForm(TLivecamForm* form);
  TMessageForm* MessageForm() const { return FMessageForm; }
  TLivecamForm* LivecamForm() const { return FLivecamForm; }

  // The rows in catalogue order.
  const std::vector<TPropertyRow>& PropertyRows() const { return FRows; }

  TFCamera* FCamera;  // the one camera component, owned by the window
  // Created with the window's components, before FormCreate; ends a second copy once the event loop runs.
  TSingleInstance* SingleInstance1 = nullptr;

  // ---- Window state -------------------------------------------------------------------------------
  bool TraceMode = false;
  bool SettingTrackBars = false;  // a refresh pass of the rows is running
  int SupportLevel = 0;           // 0 no formats, 1 formats but no live row, 2 a live row
  QString ResolutionText;
  int LastResolutionIndex = 0;
  QPointer<QWidget> LastFocussedControl;

  // ---- Start-up and lifecycle (Unit1.cpp) ---------------------------------------------------------
  void FormCreate();
  // The diagnostic log: standard error and a line in Memo1. Callers log only in trace mode: use Trace.
  void LogMe(const QString& MyMessage);
  void Trace(const QString& message) {
    if (TraceMode) LogMe(message);
  }
  void FormCloseQuery(bool& CanClose);
  void FormClose(TCloseAction& Action);
  void VelmarlogoClick(QObject* Sender = nullptr);
  // The window caption shows the application title ("Tavelo V3.1" once start-up has set it).
  void SetCaptionToApplicationTitle();
  // The window placement file: applied while the window is created, written when it closes.
  void readini();
  void writeini();

  // ---- Camera and format lists (CameraLists.cpp) --------------------------------------------------
  void RefreshDevices();
  void SetFormats();
  void ComboBoxCameraChange(QObject* Sender = nullptr);
  void ComboBoxFormatChange(QObject* Sender = nullptr);
  void ComboBoxFormatDblClick(QObject* Sender = nullptr);

  // ---- Camera test (CameraTest.cpp) ---------------------------------------------------------------
  // The live picture of the selected camera at the selected format, in the test window. The renderer
  // path is pulled: CameraTimer ticks at the format's frame period and each tick repaints the picture
  // from the camera's current image. On the grabber path every frame's notification asks for the
  // repaint instead. A hidden test window ends the test at the next tick or frame.
  bool PreviewMode = false;  // "preview" argument: the format list and the test area are shown
  void StartDevice();
  void StopDevice();
  void ButtonTestCamClick(QObject* Sender = nullptr);
  void Image1Click(QObject* Sender = nullptr);
  void ToggleCameraTest(const QString& hideTrace);
  void ButtonTestCamMouseEnter(QObject* Sender = nullptr);
  void ButtonTestCamMouseLeave(QObject* Sender = nullptr);
  void ButtonStopCameraClick(QObject* Sender = nullptr);
  void CameraTimerTimer(QObject* Sender = nullptr);
  void CameraGlowTimerTimer(QObject* Sender = nullptr);
  void InvalidatePaintBox();
  void PaintBoxPaint(QObject* Sender, QPainter* Canvas);
  // Runs on the streaming thread: hands the repaint to the GUI thread and returns at once.
  void FCameraImageAvailable(TFCamera* Sender, double SampleTime);

  // ---- Property rows (PropertyRows.cpp) -----------------------------------------------------------
  void SetTrackBars();
  void InitTrackBar(const TPropertyRowControls& row);
  void SetTrackBar(const TPropertyRowControls& row, std::int32_t Position, TFRange Range, bool Auto);
  void TrackBarChange(QObject* Sender);
  void CheckBoxChange(QObject* Sender);

  // ---- Factory defaults (FactoryDefaults.cpp) -----------------------------------------------------
  void ButtonDefaultValuesClick(QObject* Sender = nullptr);

  // ---- Keep-synchronised refresh (KeepSynchronised.cpp) -------------------------------------------
  // RefreshTimer's tick: re-reads the selected camera, rebuilds the camera list when that fails, and
  // gives the focus back to the control that had it. Writes nothing to the camera.
  void RefreshTimerTimer(QObject* Sender = nullptr);
  void FormFocusChanged(QObject* Sender = nullptr);
  void SetTheControl(QWidget* MyControl);

  // ---- Instant sync (InstantSync.cpp) -------------------------------------------------------------
  // Between the refresh's ticks: a property changed outside this program shows in its row as soon as
  // the camera reports it, and plug or unplug rebuilds the camera list as soon as `hotplug` hears of it.
  // A null `hotplug` (no udev) leaves the list to the refresh. Both read only; neither writes.
  void SetDeviceHotplug(std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug);
  bool FollowsPlugAndUnplug() const { return FDeviceWatch != nullptr; }

  // ---- Camera settings files (SettingsFileCommands.cpp) -------------------------------------------
  // Save: the rows, their "Auto" boxes and the frequency choice into the selected camera's section of a
  // file the user picks. Load: that section back into the boxes, then the sliders, then the frequency
  // list, whose change handlers write to the camera; a file without the section changes nothing.
  void ButtonWriteClick(QObject* Sender = nullptr);
  void ButtonReadClick(QObject* Sender = nullptr);

  // ---- Driver settings panel (DriverDialog.cpp) ---------------------------------------------------
  // Opens the camera's driver panel; afterwards, and also when it could not open, re-reads the camera.
  void ButtonWindowsClick(QObject* Sender = nullptr);

  // ---- Support status (SupportStatus.cpp) ---------------------------------------------------------
  void SetSupportStatus();

  // ---- Power-line frequency (PowerFrequency.cpp) --------------------------------------------------
  void FillFrequencyList();
  void validatefrequency();
  void ComboBoxFrequencyClick(QObject* Sender = nullptr);

  // ---- Layout (WindowLayout.cpp) ------------------------------------------------------------------
  void FormResize(QObject* Sender = nullptr);
  void BackButtonClick(QObject* Sender = nullptr);

  // ---- Questions, notices and the status message (StatusMessages.cpp) -----------------------------
  bool MessageDlgSimple(const QString& AMessage);
  bool ShowMessageSimple(const QString& AMessage);
  void ShowStatusMessage(const QString& Text);
  void MessageTimerTimer(QObject* Sender = nullptr);
  // Why the selected camera cannot be used: shown in the status strip until that camera is read
  // successfully or another one is selected; a status message shown meanwhile gives way to it again when
  // it clears.
  void ShowStandingText(const QString& Text);
  void ClearStandingText();
  QString StandingText() const { return FStandingText; }

  // ---- Camera failures (CameraFailures.cpp) -------------------------------------------------------
  // Tells the user once what a camera failure that escaped `request` means, and brings the window in
  // line: a camera that has gone leaves the list at once. A failure that is no camera error goes to the
  // general error report.
  void CameraFailed(std::exception_ptr error, TCameraRequest request);
  // Runs a camera request whose failure does not end what the caller is doing: a camera error is
  // swallowed, leaves a trace line in trace mode, and is answered for the caller to explain or ignore
  // (null when the request succeeded). Any other failure is passed on.
  std::exception_ptr SwallowCameraError(const QString& step, const std::function<void()>& request);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BindRows();
  // The stored outer size is reached once the platform's frame is known, which it seldom is before the
  // window is first shown; without this a window would grow by its frame at every run.
  void ReachStoredOuterSize();
  void ConnectHandlers();
  void ConnectCameraTest();
  // Lets the camera's renderer path find this window, the form it renders for.
  void InstallPreviewWindow();
  // A frame of the grabber path, on the GUI thread.
  void CameraFrameHandedOver();
  // Runs one step of a running test (tick, frame); a failure ends the test before it is explained, so
  // a camera that has gone is reported once rather than at every frame.
  void RunCameraTestStep(const std::function<void()>& step);
  void EndCameraTest(std::exception_ptr error);
  // The start could not get the camera running: the notice (or, for a camera that has gone, its
  // explanation), and the test area back to idle.
  void StartDeviceFailed(std::exception_ptr failure);
  // Makes the capture platform's property frame the window layer's (ui/PropertyFrame).
  void InstallPropertyFrame();
  void ColourFromPalette();
  void SelectCameraEntry(int index);
  void SelectFormatEntry(int index);
  void SelectRememberedFormat();
  void ClearFormatList();
  // Runs `read`, which reads the selected camera into the format list and the rows; on a failure the
  // window shows the camera as not configurable (never half the old camera and half the new) and the
  // failure is passed on.
  void ReadSelectedCamera(const std::function<void()>& read);
  void ShowCameraUnusable();
  // The refresh's re-read, with its fallback to a rebuilt camera list and the focus hand-back.
  void ReReadSelectedCamera();
  // Rebuilds the camera list for the refresh or a plug; a camera error is answered here, quietly for a
  // camera that has gone.
  void RebuildCameraList();
  // Watches the selected camera's outside changes, or nothing when none is selected.
  void FollowSelectedCamera();
  void ShowOutsideChanges(const std::vector<tavelo::platform::ChangedProperty>& changed);
  void DevicesPluggedOrUnplugged();
  QString SelectedCameraName() const;
  // Reads one supported row's value, range and mode and shows it live; a failure is passed on.
  void ReadRow(const TPropertyRow& row);
  // After a refused change of a row: the row shows what the camera holds, the status strip why.
  void ShowRefusedChange(const TPropertyRow& row, std::exception_ptr error);
  // The row shows what the camera holds, with its change handlers writing nothing back; a row the
  // driver refuses to read is blanked, any other failure is passed on.
  void ReadRowQuietly(const TPropertyRow& row);
  const TPropertyRow* RowOfTrackBar(const QObject* sender) const;
  const TPropertyRow* RowOfCheckBox(const QObject* sender) const;

  // Runs a handler raised by a control. A failure of a change that code made (inside RaiseChanges) is
  // kept for that code; any other failure came from a user's action: a camera failure is explained as
  // one of `request`, anything else goes to the error report.
  void RunHandler(const std::function<void()>& handler, TCameraRequest request = TCameraRequest::crChange);
  // Makes a change whose handlers may fail, and raises their first failure here once it is made.
  void RaiseChanges(const std::function<void()>& change);

  QStringList FArguments;
  QPointer<TMessageForm> FMessageForm;
  QPointer<TLivecamForm> FLivecamForm;
  std::vector<TPropertyRow> FRows;
  int FChangeDepth = 0;
  std::exception_ptr FPendingError;
  QString FStandingText;
  QString FStandingCamera;  // the camera entry the standing text explains
  std::optional<QSize> FStoredOuterSize;  // from readini, until the frame is known
  TFrameHandOff FFrameHandOff{this, [this] { CameraFrameHandedOver(); }};
  TControlEventWatch FControlEventWatch{[this](const auto& changed) { ShowOutsideChanges(changed); }};
  std::unique_ptr<TDeviceWatch> FDeviceWatch;
  bool FPlugRetryPending = false;  // a plug heard while the list must not be rebuilt waits for a retry
  // Destroyed first (declared last): its threads wait for this window's GUI thread.
  std::unique_ptr<TFocusHandBack> FFocusHandBack = std::make_unique<TFocusHandBack>();
};
