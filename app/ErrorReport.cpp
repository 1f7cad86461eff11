#include "app/ErrorReport.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <typeinfo>

#include "camera/CameraErrors.h"
#include "ui/MessageUnit.h"
#include "camera/platform/Result.h"

namespace {

QPointer<TMessageForm> gMessageForm;
QPointer<QWidget> gMainWindow;
TErrorReportCapture* gCapture = nullptr;

// The report's line on standard error names the kind of failure and, for a refused platform call, its code.
QString DiagnosticLine(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EOleSysError& e) {
    return QStringLiteral("EOleSysError ") + QString::fromStdString(tavelo::platform::FormatResult(e.ErrorCode())) +
           QStringLiteral(": ") + e.Message();
  } catch (const EFCameraError& e) {
    return QStringLiteral("EFCameraError: ") + e.Message();
  } catch (const std::exception& e) {
    return QStringLiteral("exception: ") + QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QStringLiteral("unknown exception");
  }
}

void WriteLine(const QString& line) {
  std::fprintf(stderr, "Tavelo error: %s\n", line.toLocal8Bit().constData());
  std::fflush(stderr);
}

void ShowNotice(const QString& message) {
  // The message window serves one question or notice at a time; a failure while it is open gets a box.
  if (gMessageForm && !gMessageForm->isVisible()) {
    ShowMessageSimple(gMessageForm, gMainWindow, message);
    return;
  }
  QMessageBox::critical(gMainWindow, QGuiApplication::applicationDisplayName(), message);
}

}  // namespace

QString ErrorMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const ECameraException& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

void ReportError(std::exception_ptr error) {
  if (!error) return;
  WriteLine(DiagnosticLine(error));
  const QString message = ErrorMessage(error);
  if (!TErrorReportCapture::Record(message)) ShowNotice(message);
}

void ReportError(const QString& message) {
  WriteLine(message);
  if (!TErrorReportCapture::Record(message)) ShowNotice(message);
}

void SetErrorReportWindows(TMessageForm* messageForm, QWidget* mainWindow) {
  gMessageForm = messageForm;
  gMainWindow = mainWindow;
}

TErrorReportCapture::TErrorReportCapture() : FPrevious(gCapture) { gCapture = this; }

TErrorReportCapture::~TErrorReportCapture() { gCapture = FPrevious; }

bool TErrorReportCapture::Record(const QString& message) {
  if (!gCapture) return false;
  gCapture->FMessages.append(message);
  return true;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportError(std::current_exception());
    return false;
  }
}
