#pragma once

// Window tests: the real TFormMain on a capture platform of the test's choosing (simulated cameras from
// profiles, or the scripted double), with its message and camera test windows, shown offscreen and
// driven through its widgets as a user would. Questions and notices are answered automatically and
// their texts kept; the general error report is captured instead of shown.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ErrorReport.h"
#include "app/Unit1.h"
#include "camera/platform/simulated/SimulatedPlatform.h"

class QCheckBox;
class TListBox;
class TTrackBar;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest();
  ~MainWindowTest() override;

  // The window on simulated cameras, one per profile (an embedded profile's name or a file written by
  // WriteProfile), in that order. The platform is created first, so a test can script it (unplug, fail
  // calls) through Simulated() before calling Start.
  void UseSimulated(const std::vector<std::string>& profiles);
  TFormMain& Start(QStringList arguments = {});
  // The window on any platform.
  TFormMain& StartOn(std::shared_ptr<tavelo::platform::CapturePlatform> platform, QStringList arguments = {});

  // Writes a profile file into the test's own folder and answers its path.
  std::string WriteProfile(const std::string& fileName, const std::string& text);
  // A profile of a camera with the given identity, the given property sections and one 640x480 format
  // (none when `withFormat` is false).
  std::string WriteCamera(const std::string& fileName, const std::string& friendlyName, const std::string& sections,
                          bool withFormat = true);

  tavelo::platform::SimulatedPlatform& Simulated() { return *simulated_; }
  TFormMain& Window() { return *window_; }
  const TPropertyRow& Row(TFCameraProperty property) const;

  // ---- What a user does ------------------------------------------------------------------------------
  void ClickEntry(TListBox* list, int index);
  void ClickCheckBox(QCheckBox* box);
  void ClickLogo();
  // Moves the slider's handle to the position nearest `value`, as a drag would.
  void DragSlider(TTrackBar* trackBar, double value);
  // Sets the window's outer width.
  void ResizeOuterWidth(int width);
  // The camera test window goes before the main window, as at the end of the program.
  void DestroyLivecamForm() { livecamForm_.reset(); }

  // ---- What the user saw ----------------------------------------------------------------------------
  QStringList notices;         // texts of every question and notice, in order
  QStringList noticeCaptions;  // their captions
  QList<QRect> noticeFrames;   // where the message window stood (outer frame)
  int answer = 1;              // modal result given to each (1 = Yes/Ok, 2 = No)
  std::optional<TErrorReportCapture> reports{std::in_place};  // reset() to let reports reach the user

  // The settings folder of this test (TAVELO_SETTINGS_DIR while it runs), empty at the start.
  QString SettingsDirectory() const { return dir_.filePath(QStringLiteral("settings")); }

 private:
  QTemporaryDir dir_;
  QByteArray previousSettingsDirectory_;
  std::shared_ptr<tavelo::platform::SimulatedPlatform> simulated_;
  std::unique_ptr<TFormMain> window_;
  std::unique_ptr<TMessageForm> messageForm_;
  std::unique_ptr<TLivecamForm> livecamForm_;
};

// A scripted failure of a call on one of the rows' properties.
tavelo::platform::CallFault PropertyFault(tavelo::platform::SimulatedCall call, TFCameraProperty property,
                                          tavelo::platform::Result result,
                                          int times = tavelo::platform::kPersistentFault);

// Driver state of a simulated camera's property.
tavelo::platform::PropertyState DriverState(tavelo::platform::SimulatedPlatform& platform, const std::string& device,
                                            TFCameraProperty property);
