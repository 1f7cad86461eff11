// The camera test: the live picture of the selected camera, at the format selected in the format list,
// in the test window, while the user goes on changing the camera in the main window.
//
// The picture is pulled on the renderer path: CameraTimer ticks at the format's frame period, a tick asks
// for a repaint of the picture rectangle only, and the paint fetches the camera's current image and
// draws it 1:1. On the grabber path each frame's notification asks for that repaint instead; it arrives
// on the streaming thread and is handed to the GUI thread without waiting (FrameHandOff.h).

#include <QEvent>
#include <QImage>
#include <QPainter>

#include "app/CameraTestRules.h"
#include "app/Unit1.h"
#include "camera/CameraFailure.h"
#include "ui/Effects.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"
#include "ui/PaintBox.h"
#include "ui/Timer.h"

namespace {

constexpr int kGlowBlinkInterval = 500;  // ms

// Sets a window's outer size, frame and title bar included, as far as the frame is known yet (it is
// not before the window was first shown; the next tick then snaps it).
void SetOuterSize(QWidget* window, int width, int height) {
  const QSize frame = window->frameGeometry().size() - window->size();
  window->resize(QSize(width, height) - frame);
}

QString ListText(const TListBox* list) {
  const int index = list->ItemIndex();
  return index >= 0 ? list->ItemText(index) : QString();
}

}  // namespace

void TFormMain::ConnectCameraTest() {
  InstallPreviewWindow();
  connect(ButtonTestCam, &TImage::Click, this,
          [this](QObject* sender) { RunHandler([&] { ButtonTestCamClick(sender); }); });
  // Both take no pointer hits, so a click on them reaches ButtonTestCam; bound all the same.
  for (TImage* icon : {Image1, CameraOff}) {
    connect(icon, &TImage::Click, this, [this](QObject* sender) { RunHandler([&] { Image1Click(sender); }); });
  }
  ButtonTestCam->installEventFilter(this);
  connect(CameraTimer, &TTimer::Timer, this,
          [this](QObject* sender) { RunCameraTestStep([&] { CameraTimerTimer(sender); }); });
  connect(CameraGlowTimer, &TTimer::Timer, this, [this](QObject* sender) { CameraGlowTimerTimer(sender); });
  connect(PaintBox, &TPaintBox::Paint, this,
          [this](QObject* sender, QPainter* canvas) { PaintBoxPaint(sender, canvas); });
  FCamera->SetOnImageAvailable(
      {[this](TFCamera* sender, double sampleTime) { FCameraImageAvailable(sender, sampleTime); }, this});
}

void TFormMain::InstallPreviewWindow() {
  TFCamera::PreviewWindowServices services;
  services.rootForm = [](QObject* control) -> QObject* {
    auto* widget = qobject_cast<QWidget*>(control);
    return widget ? widget->window() : nullptr;
  };
  services.isForm = [](QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr && widget->isWindow();
  };
  services.nativeHandle = [](QObject* form) {
    return static_cast<tavelo::platform::WindowHandle>(static_cast<QWidget*>(form)->winId());
  };
  services.mapToForm = [](QObject* control, QObject* form, double& left, double& top, double& right,
                          double& bottom) {
    auto* widget = static_cast<QWidget*>(control);
    const QPoint topLeft = widget->mapTo(static_cast<QWidget*>(form), QPoint(0, 0));
    left = topLeft.x();
    top = topLeft.y();
    right = left + widget->width();
    bottom = top + widget->height();
  };
  FCamera->SetPreviewWindowServices(std::move(services));
}

void TFormMain::StartDevice() {
  const int formatIndex = ComboBoxFormat->ItemIndex();
  if (formatIndex < 0 || ComboBoxFormat->Count() == 0 || !FLivecamForm || !PaintBox) return;
  // At the panel's top left: the client area is the window's size less its frame, so the 1:1 picture is
  // cut off at the right and bottom, never at the top and left.
  PaintBox->setParent(FLivecamForm->CameraPanel);
  PaintBox->move(0, 0);
  PaintBox->show();
  CameraTimer->SetEnabled(false);
  CameraOff->show();
  FCamera->SetActive(false);
  const TFCameraFormats formats = FCamera->SupportedFormats();
  // The list was filled from this camera's formats in this order; a camera that now lists fewer has
  // changed under the list.
  if (formatIndex >= static_cast<int>(formats.size())) {
    throw EFCameraError(QStringLiteral("The selected format is no longer offered by the camera"));
  }
  try {
    FCamera->SetFormat(formats[static_cast<std::size_t>(formatIndex)]);
  } catch (const EOleSysError& error) {
    // A camera whose format belongs to the device (as under V4L2) refuses it while another program
    // streams: that is the busy camera the start's notice is about, not a fault to report.
    if (!MeansStreamingElsewhere(error.ErrorCode())) throw;
    StartDeviceFailed(std::current_exception());
    return;
  }
  const TFCameraFormat format = FCamera->Format();
  PaintBox->resize(format.Width, format.Height);
  SetOuterSize(FLivecamForm, format.Width, format.Height);

  try {
    FCamera->SetActive(true);
    Trace(QStringLiteral("FCamera.Active := True"));
    FCamera->Run();
    Trace(QStringLiteral("FCamera.Run"));
    const TFCaptureType path = FCamera->CaptureType();
    if (path == TFCaptureType::ctVmr9 || path == TFCaptureType::ctGrabber) {
      // The grabber path shows the window too; its frames ask for the repaint, so the clock stays off.
      if (path == TFCaptureType::ctVmr9) {
        CameraTimer->SetInterval(FrameClockInterval(format.AvgTimePerFrame));
        CameraTimer->SetEnabled(true);
      }
      CameraOff->hide();
      CameraGlowTimer->SetInterval(kGlowBlinkInterval);
      FLivecamForm->setWindowTitle(CameraTestCaption(SelectedCameraName(), ListText(ComboBoxFormat)));
      // Sized to the format, which may be far larger than the design's size it was centred at.
      FLivecamForm->CentreOnScreen();
      FLivecamForm->show();
    }
  } catch (...) {
    StartDeviceFailed(std::current_exception());
  }
}

void TFormMain::StartDeviceFailed(std::exception_ptr failure) {
  // A camera that has gone is not in use elsewhere: that notice would send the user looking for it.
  const bool gone = CameraFailureOf(failure) == TFCameraFailure::cfDisconnected;
  if (!gone) ShowMessageSimple(CameraInUseNotice(SelectedCameraName()));
  CameraTimer->SetInterval(0);
  CameraTimer->SetEnabled(false);
  CameraOff->show();
  StopDevice();
  if (gone) CameraFailed(failure, TCameraRequest::crSelect);
}

void TFormMain::StopDevice() {
  Trace(QStringLiteral("StopDevice"));
  CameraTimer->SetEnabled(false);
  CameraOff->show();
  CameraGlowTimer->SetInterval(0);
  CameraIconGlow->setEnabled(false);
  CameraIconInnerGlow->setEnabled(false);
  if (FCamera->Active()) {
    // A camera that has gone cannot be stopped; it must still be let go.
    SwallowCameraError(QStringLiteral("FCamera.Stop"), [this] { FCamera->Stop(); });
    FCamera->SetActive(false);
  }
}

// A click in the test area ends a showing test (the next tick stops the camera) or starts one.
void TFormMain::ToggleCameraTest(const QString& hideTrace) {
  if (FLivecamForm && FLivecamForm->isVisible()) {
    FLivecamForm->hide();
    Trace(hideTrace);
  } else {
    StartDevice();
  }
}

void TFormMain::ButtonTestCamClick(QObject*) { ToggleCameraTest(QStringLiteral("Hide 3")); }

void TFormMain::Image1Click(QObject*) { ToggleCameraTest(QStringLiteral("Hide 2")); }

void TFormMain::ButtonTestCamMouseEnter(QObject*) { CameraCouldStartGlow->setEnabled(true); }

void TFormMain::ButtonTestCamMouseLeave(QObject*) { CameraCouldStartGlow->setEnabled(false); }

void TFormMain::ButtonStopCameraClick(QObject*) { StopDevice(); }

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ButtonTestCam) {
    if (event->type() == QEvent::Enter) ButtonTestCamMouseEnter(watched);
    if (event->type() == QEvent::Leave) ButtonTestCamMouseLeave(watched);
  }
  return TMainFormDesign::eventFilter(watched, event);
}

void TFormMain::CameraTimerTimer(QObject*) {
  Trace(QStringLiteral("CameraTimerTimer"));
  if (FLivecamForm && FLivecamForm->isVisible()) {
    InvalidatePaintBox();
  } else {
    StopDevice();
  }
}

void TFormMain::CameraGlowTimerTimer(QObject*) {
  CameraIconGlow->setEnabled(!CameraIconGlow->isEnabled());
  CameraIconInnerGlow->setEnabled(!CameraIconGlow->isEnabled());
}

void TFormMain::InvalidatePaintBox() {
  if (!FLivecamForm) return;
  // Every time, so a size the user changed snaps back; reading the camera also notices one that has gone.
  const TFCameraFormat format = FCamera->Format();
  SetOuterSize(FLivecamForm, format.Width, format.Height);
  // The request goes to the surface itself: it paints opaquely, so nothing beneath it is erased or drawn
  // first, and a window-wide request would not reach it (Qt leaves opaque children out of a parent's
  // repaint). Widget rectangles are whole pixels already.
  if (PaintBox) PaintBox->update(PaintBox->rect());
}

void TFormMain::PaintBoxPaint(QObject*, QPainter* Canvas) {
  if (!FCamera->Active()) return;
  try {
    const TFBitmap bitmap = FCamera->CurrentImageToBitmap();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    // Wraps the camera's pixels as they are: no copy, no conversion.
    const QImage frame(bitmap.Bits(), w, h, bitmap.BytesPerLine(), QImage::Format_RGB32);
    Canvas->setOpacity(1.0);
    Canvas->setRenderHint(QPainter::SmoothPixmapTransform, false);
    Canvas->drawImage(QRect(0, 0, w, h), frame, QRect(0, 0, w, h));
  } catch (...) {
    // That frame is not drawn; the next tick tries again.
    Trace(QStringLiteral("PaintBoxPaint Error"));
  }
}

void TFormMain::FCameraImageAvailable(TFCamera*, double) { FFrameHandOff.Notify(); }

void TFormMain::CameraFrameHandedOver() {
  RunCameraTestStep([this] {
    Trace(QStringLiteral("FCameraImageAvailable"));
    // A frame handed over just before its test ended belongs to no test.
    if (!FCamera->Active() || FCamera->CaptureType() != TFCaptureType::ctGrabber) return;
    if (FLivecamForm && FLivecamForm->isVisible()) {
      InvalidatePaintBox();
    } else {
      StopDevice();
    }
  });
}

void TFormMain::RunCameraTestStep(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    EndCameraTest(std::current_exception());
  }
}

void TFormMain::EndCameraTest(std::exception_ptr error) {
  if (FLivecamForm) FLivecamForm->hide();
  try {
    StopDevice();
  } catch (...) {
    Trace(QStringLiteral("StopDevice failed"));
  }
  // The test was reading the selected camera: what went wrong is explained as for a camera just selected
  // (a camera that has gone leaves the list with a notice).
  CameraFailed(error, TCameraRequest::crSelect);
}
