#pragma once

// The general error report: what escapes an event handler is shown to the user in one notice and
// written as one line to standard error. TApplication routes every exception that escapes the handling
// of an event here, so none crosses the Qt event loop.

#include <QApplication>
#include <QString>
#include <QStringList>

#include <exception>

class QWidget;
class TMessageForm;

// The text a failure shows: the message of a camera error or standard exception.
QString ErrorMessage(std::exception_ptr error);

void ReportError(std::exception_ptr error);
void ReportError(const QString& message);

// The notice appears in the message window, centred over the main window, once both exist; until
// then in a standard message box.
void SetErrorReportWindows(TMessageForm* messageForm, QWidget* mainWindow);

// While one exists, reports are collected here instead of shown (unattended runs and tests). The line on
// standard error is still written.
class TErrorReportCapture {
 public:
  TErrorReportCapture();
  ~TErrorReportCapture();
  TErrorReportCapture(const TErrorReportCapture&) = delete;
  TErrorReportCapture& operator=(const TErrorReportCapture&) = delete;

  const QStringList& Messages() const { return FMessages; }

  // Keeps `message` in the newest capture; false when there is none.
  static bool Record(const QString& message);

 private:
  QStringList FMessages;
  TErrorReportCapture* FPrevious;
};

class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
