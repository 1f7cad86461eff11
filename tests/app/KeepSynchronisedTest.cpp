// The keep-synchronised refresh: one tick re-reads the selected camera (nothing is written to it),
// rebuilds the camera list when the camera has gone, gives the focus back to the control that had it,
// and does nothing at all while the camera test window shows.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSet>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/app/MainWindowHarness.h"
#include "tests/support/ScriptedPlatform.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::ScriptedPlatform;

namespace {

const std::string kLaptop = "sim://laptop-camera";

// Every line a tick writes, in trace mode.
const QSet<QString> kTickLines = {
    " ",
    "RefreshTimer routine entered",
    " Determining LastFocussedControl",
    " Determine LastFocussedControl successful",
    " Determining LastResolutionIndex",
    " Determine successful",
    " Attempting re-read of camera settings",
    " Re-read of camera settings successful",
    " Re-read of camera settings NOT successful - now refreshing devices",
    "  Attempting to refresh devices",
    "  Refresh devices successful",
    "  Refresh devices NOT successful",
    "RefreshTimer routine successful",
};

class KeepSynchronisedTest : public MainWindowTest {
 protected:
  void Tick() { emit Window().RefreshTimer->Timer(Window().RefreshTimer); }

  // The tick's own lines of the trace memo, from where the memo was last cleared.
  QStringList TickTrace() {
    QStringList lines;
    for (const QString& line : Window().Memo1->toPlainText().split('\n')) {
      if (kTickLines.contains(line) || line.startsWith("Timer event") || line.startsWith("Aktives Control")) {
        lines << line;
      }
    }
    return lines;
  }

  // Runs the GUI thread's handed-over requests until `done` holds (the focus hand-back's thread waits
  // for them), at most a few seconds.
  static bool ProcessUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(5);
    return done();
  }
};

TEST_F(KeepSynchronisedTest, AValueChangedElsewhereShowsAfterOneTickWithNothingWrittenBack) {
  auto platform = std::make_shared<ScriptedPlatform>();
  auto camera = platform->AddDevice(CameraSetup("Cam"));
  TFormMain& window = StartOn(platform);
  ClickEntry(window.ComboBoxCamera, 0);
  ClickEntry(window.ComboBoxFormat, 2);
  ASSERT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "128");
  EXPECT_EQ(window.RefreshTimer->Interval(), 5000);
  EXPECT_TRUE(window.RefreshTimer->IsCounting());

  camera->VideoProcAmp(VideoProcAmp_Brightness).value = 77;  // another program
  camera->CameraControl(CameraControl_Focus).flags = kPropertyFlagsManual;
  platform->ClearCalls();
  Tick();

  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "77");
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.TrackBar->Value(), 77);
  EXPECT_FALSE(Row(TFCameraProperty::Focus).Controls.CheckBox->isChecked());
  EXPECT_EQ(platform->Count("VideoProcAmp.Set") + platform->Count("CameraControl.Set"), 0);
  EXPECT_EQ(camera->VideoProcAmp(VideoProcAmp_Brightness).value, 77);
  EXPECT_EQ(window.ComboBoxFormat->ItemIndex(), 2) << "the format entry selected before stays selected";
  EXPECT_EQ(window.LastResolutionIndex, 2);
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(KeepSynchronisedTest, AnUnpluggedCameraLeavesTheListAtTheNextTickQuietly) {
  UseSimulated({"hd-autofocus", "laptop", "4k-webcam"});
  TFormMain& window = Start({"trace"});
  ClickEntry(window.ComboBoxCamera, 1);
  Simulated().Unplug(kLaptop);
  window.Memo1->clear();

  Tick();

  ASSERT_EQ(window.ComboBoxCamera->Count(), 2);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(0), "Simulated HD Webcam");
  EXPECT_NE(window.ComboBoxCamera->ItemText(1), "Simulated Laptop Camera");
  EXPECT_EQ(window.FCamera->DeviceName(), "Simulated HD Webcam") << "the rebuilt list selects its first camera";
  EXPECT_EQ(window.SupportLevel, 2);
  EXPECT_TRUE(notices.isEmpty()) << "the user who pulled the plug is not interrupted";
  EXPECT_TRUE(reports->Messages().isEmpty());
  EXPECT_EQ(TickTrace(), (QStringList{" ", "RefreshTimer routine entered", " Determining LastFocussedControl",
                                      " Determine LastFocussedControl successful", " Determining LastResolutionIndex",
                                      "Timer event, ComboBoxFormat.ItemIndex=0", " Determine successful",
                                      " Attempting re-read of camera settings",
                                      " Re-read of camera settings NOT successful - now refreshing devices",
                                      "  Attempting to refresh devices", "  Refresh devices successful",
                                      "RefreshTimer routine successful"}));
}

TEST_F(KeepSynchronisedTest, TheFocusedSliderHasTheFocusAgainAfterATick) {
  UseSimulated({"hd-autofocus"});
  TFormMain& window = Start({"trace"});
  ClickEntry(window.ComboBoxCamera, 0);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  TTrackBar* contrast = Row(TFCameraProperty::Contrast).Controls.TrackBar;
  ASSERT_TRUE(contrast->isEnabled());
  contrast->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), contrast->Slider());
  window.Memo1->clear();

  Tick();

  // The re-read disabled the slider for a moment, which moved the focus on; it comes back once the GUI
  // thread runs the request handed over after the tick.
  EXPECT_NE(QApplication::focusWidget(), contrast->Slider());
  EXPECT_TRUE(ProcessUntil([&] { return QApplication::focusWidget() == contrast->Slider(); }));
  EXPECT_EQ(window.LastFocussedControl, contrast);
  EXPECT_TRUE(TickTrace().contains("Aktives Control: TTrackBar und auch TrackBarContrast"));
  EXPECT_EQ(TickTrace().last(), "RefreshTimer routine successful");
}

TEST_F(KeepSynchronisedTest, WithNothingFocusedNothingIsFocusedAfterATick) {
  UseSimulated({"hd-autofocus"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 0);
  if (QWidget* focused = window.focusWidget()) focused->clearFocus();
  ASSERT_EQ(window.focusWidget(), nullptr);
  ASSERT_EQ(window.LastFocussedControl, nullptr);

  Tick();
  QTest::qWait(200);  // gives a request every chance to run

  EXPECT_EQ(window.LastFocussedControl, nullptr);
  EXPECT_EQ(window.focusWidget(), nullptr);
}

TEST_F(KeepSynchronisedTest, TicksDoNothingWhileTheTestWindowShowsAndOnlyRecordTheFocusWhenNotKeepingInSync) {
  const struct {
    const char* name;
    int testWindowTag;
    bool keepSynced;
    QStringList expectedTrace;
  } cases[] = {
      {"TestWindowShowing", 1, true, {" ", "RefreshTimer routine entered"}},
      {"NotKeepingInSync",
       0,
       false,
       {" ", "RefreshTimer routine entered", " Determining LastFocussedControl",
        "Aktives Control: TTrackBar und auch TrackBarGain", " Determine LastFocussedControl successful",
        "RefreshTimer routine successful"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto platform = std::make_shared<ScriptedPlatform>();
    platform->AddDevice(CameraSetup("Cam"));
    TFormMain& window = StartOn(platform, {"trace"});
    ClickEntry(window.ComboBoxCamera, 0);
    window.LivecamForm()->SetTag(c.testWindowTag);
    window.KeepSynced->setChecked(c.keepSynced);
    Row(TFCameraProperty::Gain).Controls.TrackBar->setFocus();
    window.LastFocussedControl = nullptr;
    window.Memo1->clear();
    platform->ClearCalls();

    Tick();

    EXPECT_TRUE(platform->Calls().empty()) << "the camera is not touched";
    EXPECT_EQ(TickTrace(), c.expectedTrace);
    EXPECT_EQ(window.LastFocussedControl != nullptr, c.testWindowTag == 0);
  }
}

}  // namespace
