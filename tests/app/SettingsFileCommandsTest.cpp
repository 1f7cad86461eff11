// The Save and Load commands on the real window: files that hold several cameras, the overwrite
// question, a load that goes through the rows' change handlers (modes before values, only what the
// camera has, nothing for what already matches), and files that hold nothing, nonsense or can't be
// written.
#include <QCheckBox>
#include <QLabel>

#include <gtest/gtest.h>

#include "tests/app/MainWindowHarness.h"
#include "tests/app/SettingsFileHarness.h"
#include "tests/support/ScriptedPlatform.h"
#include "ui/Effects.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::ScriptedPlatform;

namespace {

const std::string kHdWebcam = "sim://hd-webcam";
const std::string kLaptop = "sim://laptop-camera";
using Log = std::vector<std::string>;

class SettingsFileCommandsTest : public MainWindowTest {
 protected:
  // The scripted webcam "Cam" (CameraSetup), selected: brightness 128 of 0..255, contrast 32, gain 0 of
  // 0..100, white balance, exposure and focus automatic, zoom 100 of 100..500, 50 Hz; no hue.
  TFormMain& StartOnScriptedCam() {
    scripted = std::make_shared<ScriptedPlatform>();
    scripted->AddDevice(CameraSetup("Cam"));
    TFormMain& window = StartOn(scripted);
    ClickEntry(window.ComboBoxCamera, 0);
    return window;
  }
  Log CameraWrites() const { return scripted->Log({"VideoProcAmp.Set", "CameraControl.Set"}); }

  TTrackBar* Slider(TFCameraProperty property) const { return Row(property).Controls.TrackBar; }
  QCheckBox* Box(TFCameraProperty property) const { return Row(property).Controls.CheckBox; }

  SettingsFileSession files;
  std::shared_ptr<ScriptedPlatform> scripted;
};

TEST_F(SettingsFileCommandsTest, TwoCamerasSavedIntoOneFileEachLoadBackTheirOwnSection) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 0);
  Slider(TFCameraProperty::Brightness)->SetValue(140);
  ClickCheckBox(Box(TFCameraProperty::Exposure));  // to manual
  window.setWindowTitle(QStringLiteral("changed"));
  window.StatusLabel->setText(QStringLiteral("x"));
  files.Save(window, QStringLiteral("cams"));
  EXPECT_EQ(window.MessageLabel->text(), QStringLiteral("Settings saved"));
  EXPECT_EQ(window.StatusLabel->text(), QString());
  EXPECT_EQ(window.windowTitle(), TFormMain::kApplicationTitle);

  ClickEntry(window.ComboBoxCamera, 1);
  Slider(TFCameraProperty::Brightness)->SetValue(-20);
  files.Save(window, QStringLiteral("cams.vcs"));
  EXPECT_EQ(notices, QStringList{QStringLiteral("Overwrite file \"cams.vcs\"")});  // answered Yes
  const QByteArray saved = files.Bytes(QStringLiteral("cams.vcs"));
  EXPECT_TRUE(saved.startsWith("[Simulated HD Webcam]\r\nBacklightCompensation="));
  EXPECT_TRUE(saved.contains("\r\nPowerFrequency=1\r\n[Simulated Laptop Camera]\r\nBacklightCompensation="));
  EXPECT_TRUE(saved.endsWith("\r\nPowerFrequency=0\r\n"));

  // Another program changes both cameras; each load puts back only its own camera's section.
  Simulated().SetPropertyExternally(kHdWebcam, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, 10,
                                    kPropertyFlagsManual);
  Simulated().SetPropertyExternally(kLaptop, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, 30,
                                    kPropertyFlagsManual);
  files.Load(window, QStringLiteral("cams"));
  EXPECT_EQ(DriverState(Simulated(), kLaptop, TFCameraProperty::Brightness).value, -20);
  EXPECT_EQ(DriverState(Simulated(), kHdWebcam, TFCameraProperty::Brightness).value, 10);

  ClickEntry(window.ComboBoxCamera, 0);
  Simulated().SetPropertyExternally(kHdWebcam, PropertyFamily::CameraControl, CameraControl_Exposure, 250,
                                    kPropertyFlagsAuto);
  window.setWindowTitle(QStringLiteral("changed"));
  files.Load(window, QStringLiteral("cams.vcs"));
  EXPECT_EQ(DriverState(Simulated(), kHdWebcam, TFCameraProperty::Brightness).value, 140);
  EXPECT_EQ(DriverState(Simulated(), kHdWebcam, TFCameraProperty::Exposure).flags, kPropertyFlagsManual);
  EXPECT_EQ(Slider(TFCameraProperty::Brightness)->Value(), 140);
  EXPECT_FALSE(Box(TFCameraProperty::Exposure)->isChecked());
  EXPECT_EQ(window.windowTitle(), TFormMain::kApplicationTitle);
  EXPECT_EQ(DriverState(Simulated(), kLaptop, TFCameraProperty::Brightness).value, -20);

  // Every dialog was the settings dialog, starting in the settings folder that Save created.
  const QString folder = QDir(files.Folder()).absolutePath();
  EXPECT_EQ(files.titles, (QStringList{"Save camera settings", "Save camera settings", "Load camera settings",
                                       "Load camera settings"}));
  EXPECT_EQ(files.folders, QStringList(4, folder));
  EXPECT_EQ(files.nameBoxes, QStringList(4, QStringLiteral("*.vcs")));
  EXPECT_EQ(files.filters, QStringList(4, QStringLiteral("Velmar Camera Settings (*.vcs)")));
  EXPECT_EQ(notices.size(), 1);
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(SettingsFileCommandsTest, NothingSavedWhenTheDialogIsCancelledOrTheOverwriteRefused) {
  TFormMain& window = StartOnScriptedCam();
  const QByteArray before("; mine\r\n[Cam]\r\nBrightness=1\r\n");
  files.WriteFile(QStringLiteral("cams.vcs"), before);
  struct Case {
    const char* name;
    std::optional<QString> typed;
    int answer;
    QStringList questions;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt, 1, {}},
      {"overwrite answered No", QStringLiteral("cams"), 2, {QStringLiteral("Overwrite file \"cams.vcs\"")}},
      {"overwrite window closed", QStringLiteral("cams"), 0, {QStringLiteral("Overwrite file \"cams.vcs\"")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    notices.clear();
    answer = c.answer;
    window.setWindowTitle(QStringLiteral("changed"));
    files.Save(window, c.typed);
    EXPECT_EQ(notices, c.questions);
    EXPECT_EQ(window.MessageLabel->text(), QStringLiteral("Nothing saved"));
    EXPECT_EQ(files.Bytes(QStringLiteral("cams.vcs")), before);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("changed"));
  }
}

// Modes first (each switch re-reads every row), then values, then the frequency; a property the camera
// lacks is never touched, and a box or slider that already shows the stored value writes nothing.
TEST_F(SettingsFileCommandsTest, LoadSwitchesModesBeforeValuesAndTouchesOnlyWhatDiffers) {
  TFormMain& window = StartOnScriptedCam();
  files.WriteFile(QStringLiteral("cams.vcs"),
                  "[Other]\r\nContrast=90\r\n"
                  "[cam]\r\nBrightness=128\r\nContrast=40\r\nExposure=-5\r\nFocus=100\r\nGain=200\r\nHue=7\r\n"
                  "WhiteBalance=5000\r\nZoom=abc\r\nCheckBoxExposure=1\r\nCheckBoxFocus=0\r\nCheckBoxHue=1\r\n"
                  "CheckBoxWhiteBalance=0\r\nPowerFrequency=1\r\n");
  scripted->ClearCalls();
  files.Load(window, QStringLiteral("cams"));
  EXPECT_EQ(CameraWrites(), (Log{
                                "CameraControl.Set(6) value=0 flags=2",     // focus to manual
                                "VideoProcAmp.Set(7) value=4600 flags=2",   // white balance to manual
                                "VideoProcAmp.Set(1) value=40 flags=2",     // contrast
                                "CameraControl.Set(4) value=-5 flags=1",    // exposure stays automatic
                                "CameraControl.Set(6) value=100 flags=2",   // focus
                                "VideoProcAmp.Set(9) value=100 flags=2",    // gain 200 held to its maximum
                                "VideoProcAmp.Set(7) value=5000 flags=2",   // white balance
                                "VideoProcAmp.Set(13) value=2 flags=2",     // 60 Hz
                            }));
  EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 1);
  EXPECT_TRUE(Row(TFCameraProperty::Hue).Controls.Monochrome->isEnabled()) << "hue stays blank";
  EXPECT_FALSE(Box(TFCameraProperty::Hue)->isChecked());
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());

  // What the camera holds now, saved and loaded straight back, writes nothing but the frequency, which a
  // load always sends.
  files.Save(window, QStringLiteral("now"));
  scripted->ClearCalls();
  files.Load(window, QStringLiteral("now"));
  EXPECT_EQ(CameraWrites(), (Log{"VideoProcAmp.Set(13) value=2 flags=2"}));
}

TEST_F(SettingsFileCommandsTest, StoredFrequencyIndexSelectsTheItemOrClearsTheSelection) {
  struct Case {
    const char* stored;
    Log writes;
    int shownIndex;
  };
  const Case cases[] = {
      {"1", {"VideoProcAmp.Set(13) value=2 flags=2"}, 1},
      {"0", {"VideoProcAmp.Set(13) value=1 flags=2"}, 0},
      {"-1", {}, 0},  // saved while nothing was selected: the list shows the camera's 50 Hz again
      {"7", {}, 0},
      {"NTSC", {"VideoProcAmp.Set(13) value=1 flags=2"}, 0},  // no number: index 0
  };
  TFormMain& window = StartOnScriptedCam();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    files.WriteFile(QStringLiteral("f.vcs"), QByteArray("[Cam]\r\nPowerFrequency=") + c.stored + "\r\n");
    ClickEntry(window.ComboBoxFrequency, 0);  // the camera back at 50 Hz
    scripted->ClearCalls();
    files.Load(window, QStringLiteral("f"));
    Log frequencyWrites;
    for (const std::string& write : CameraWrites())
      if (write.rfind("VideoProcAmp.Set(13)", 0) == 0) frequencyWrites.push_back(write);
    EXPECT_EQ(frequencyWrites, c.writes);
    EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), c.shownIndex);
  }
  EXPECT_TRUE(reports->Messages().isEmpty());
}

// A mistyped name or another camera's file must not switch every mode off and every slider to 0.
TEST_F(SettingsFileCommandsTest, AFileWithoutTheCamerasSectionChangesNothing) {
  TFormMain& window = StartOnScriptedCam();
  files.WriteFile(QStringLiteral("other.vcs"), "[Cam B]\r\nBrightness=0\r\nPowerFrequency=1\r\n");
  files.WriteFile(QStringLiteral("empty.vcs"), "");
  for (const char* name : {"typo", "other", "empty.vcs"}) {
    SCOPED_TRACE(name);
    notices.clear();
    scripted->ClearCalls();
    files.Load(window, QString::fromLatin1(name));
    EXPECT_EQ(notices, QStringList{QStringLiteral("No settings for Cam in \"") +
                                   QFileInfo(QString::fromLatin1(name)).completeBaseName() +
                                   QStringLiteral(".vcs\". Nothing changed.")});
    EXPECT_EQ(CameraWrites(), Log{});
    EXPECT_EQ(Slider(TFCameraProperty::Brightness)->Value(), 128);
    EXPECT_TRUE(Box(TFCameraProperty::Exposure)->isChecked());
    EXPECT_EQ(window.ComboBoxFrequency->ItemIndex(), 0);
  }
  EXPECT_FALSE(QFile::exists(files.PathOf(QStringLiteral("typo.vcs")))) << "a load creates no file";
  EXPECT_TRUE(reports->Messages().isEmpty());
}

// Whatever a value entry holds, the slider gets a number inside its range: a number outside it is held
// to the nearer end, anything that is not a number is 0 held into the range. The camera gets the slider's
// value truncated.
TEST_F(SettingsFileCommandsTest, HostileValuesLoadHeldIntoTheirRows) {
  const QByteArray thousandsOfSections = [] {
    QByteArray text;
    for (int i = 0; i < 5000; ++i) text += "[Cam " + QByteArray::number(i) + "]\r\nBrightness=1\r\n";
    return text;
  }();
  struct Case {
    const char* name;
    QByteArray before;  // lines before the camera's section
    QByteArray value;   // the stored brightness (range 0..255)
    double shown;       // on the slider
    std::int32_t written;
  };
  const Case cases[] = {
      {"comma decimal", {}, "12,7", 12.7, 12},
      {"point decimal", {}, "13.9", 13.9, 13},
      {"huge", {}, "1e308", 255, 255},
      {"beyond double", {}, "-1e400", 0, 0},
      {"nan", {}, "nan", 0, 0},
      {"infinity text", {}, "inf", 0, 0},
      {"64 KiB of digits", {}, QByteArray(65536, '9'), 255, 255},
      {"binary bytes", {}, QByteArray("\x01\xFF\x00\x7F" "200", 7), 0, 0},
      {"after a 64 KiB line and 5000 sections", QByteArray(65536, 'x') + "\r\n" + thousandsOfSections, "77", 77,
       77},
  };
  TFormMain& window = StartOnScriptedCam();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Slider(TFCameraProperty::Brightness)->SetValue(100);
    files.WriteFile(QStringLiteral("h.vcs"), c.before + "[Cam]\r\nBrightness=" + c.value + "\r\n");
    files.Load(window, QStringLiteral("h"));
    EXPECT_EQ(Slider(TFCameraProperty::Brightness)->Value(), c.shown);
    EXPECT_EQ(scripted->Device("Cam")->VideoProcAmp(VideoProcAmp_Brightness).value, c.written);
  }
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

// Each change is raised on its own, so an unplug stops the load at once: nothing more is written into the
// rebuilt list, and the user hears once that the camera has gone.
TEST_F(SettingsFileCommandsTest, ACameraUnpluggedDuringALoadEndsItThere) {
  TFormMain& window = StartOnScriptedCam();
  files.WriteFile(QStringLiteral("cams.vcs"), "[Cam]\r\nCheckBoxExposure=0\r\nCheckBoxFocus=0\r\nContrast=40\r\n");
  scripted->When("CameraControl.Set").Do([this](const tavelo::scripted::Call&) { scripted->Unplug("Cam"); });
  scripted->ClearCalls();
  files.Load(window, QStringLiteral("cams"));
  EXPECT_EQ(CameraWrites(), (Log{"CameraControl.Set(4) value=-6 flags=2"}));  // exposure to manual, then gone
  EXPECT_EQ(notices, QStringList{QStringLiteral("Cam was disconnected. The camera list has been updated.")});
  EXPECT_EQ(window.ComboBoxCamera->Count(), 0);
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(SettingsFileCommandsTest, ASaveThatCannotWriteIsReportedAndLeavesTheFileAsItWas) {
  TFormMain& window = StartOnScriptedCam();
  const QByteArray before("[Cam]\r\nBrightness=1\r\n");
  files.WriteFile(QStringLiteral("locked.vcs"), before);
  ASSERT_TRUE(QFile::setPermissions(files.PathOf(QStringLiteral("locked.vcs")), QFile::ReadOwner | QFile::ReadUser));
  window.StatusLabel->setText(QStringLiteral("kept"));
  files.Save(window, QStringLiteral("locked"));
  EXPECT_EQ(reports->Messages(),
            QStringList{QStringLiteral("Unable to write to ") + files.PathOf(QStringLiteral("locked.vcs"))});
  EXPECT_EQ(files.Bytes(QStringLiteral("locked.vcs")), before);
  EXPECT_NE(window.MessageLabel->text(), QStringLiteral("Settings saved"));
  EXPECT_EQ(window.StatusLabel->text(), QStringLiteral("kept"));
}

TEST_F(SettingsFileCommandsTest, LoadReadsTheCameraFirstAndACancelChangesNothingElse) {
  UseSimulated({"hd-autofocus"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 0);
  Simulated().SetPropertyExternally(kHdWebcam, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, 33,
                                    kPropertyFlagsManual);
  files.Load(window, std::nullopt);
  EXPECT_EQ(Slider(TFCameraProperty::Brightness)->Value(), 33) << "the rows were read before the dialog";
  EXPECT_EQ(DriverState(Simulated(), kHdWebcam, TFCameraProperty::Brightness).value, 33);
  EXPECT_EQ(window.MessageLabel->text(), QString());
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_EQ(files.titles, QStringList{QStringLiteral("Load camera settings")});
}

}  // namespace
