// Start-up of the main window: trace switch, caption, status label, the first camera list.

#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "ui/ButtonImage.h"
#include "ui/Effects.h"
#include "ui/ListBox.h"
#include "tests/app/MainWindowHarness.h"
#include "ui/TrackBar.h"

using namespace tavelo::platform;

namespace {

TEST_F(MainWindowTest, TraceArgumentLogsToMemoAndStandardError) {
  testing::internal::CaptureStderr();
  TFormMain& window = Start({"trace"});
  const std::string standardError = testing::internal::GetCapturedStderr();

  EXPECT_TRUE(window.TraceMode);
  EXPECT_FALSE(window.Memo1->isHidden());
  const QString memo = window.Memo1->toPlainText();
  EXPECT_FALSE(memo.startsWith("Memo1")) << "the design's placeholder line is cleared";
  for (const char* line : {"SetTrackBars entered", "Starting  InitTrackBar BLOCK", "FCamera.DeviceName is not BLANK",
                           "Simulated HD Webcam", "ComboBoxCameraChange started", "Calling SetSupportStatus"}) {
    EXPECT_TRUE(memo.split('\n').contains(line)) << line;
    EXPECT_NE(standardError.find(std::string(line) + "\n"), std::string::npos) << line;
  }
}

TEST_F(MainWindowTest, OnlyExactlyTraceAsFirstArgumentSwitchesTraceOn) {
  const QStringList cases[] = {{}, {"Trace"}, {"-trace"}, {"TRACE"}, {"trace "}, {"x", "trace"}};
  for (const QStringList& arguments : cases) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    testing::internal::CaptureStderr();
    TFormMain& window = Start(arguments);
    const std::string standardError = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(window.TraceMode);
    EXPECT_FALSE(window.Memo1.IsCreated()) << "nothing shows the memo, so it is not built";
    EXPECT_TRUE(window.Memo1->isHidden());
    EXPECT_TRUE(window.Memo1->toPlainText().isEmpty());
    EXPECT_EQ(standardError.find("SetTrackBars entered"), std::string::npos);
  }
}

TEST_F(MainWindowTest, AfterStartUpCaptionIsApplicationTitleAndStatusLabelASpace) {
  TFormMain& window = Start();
  EXPECT_EQ(window.windowTitle(), "Tavelo V3.1");
  EXPECT_EQ(window.StatusLabel->text(), " ");
  EXPECT_TRUE(window.Hiddenfunctions->isHidden());
  EXPECT_EQ(window.ResolutionText, "640x480 30Hz 16bpp") << "the first format of the selected camera";
}

TEST_F(MainWindowTest, TheCameraComponentCarriesTheDesignsPreviewSettings) {
  TFormMain& window = Start();
  EXPECT_EQ(window.FCamera->BorderColor(), 0x00000000u);
  EXPECT_FALSE(window.FCamera->AspectRatio());
  EXPECT_EQ(window.FCamera->PreviewControl(), nullptr);
}

TEST_F(MainWindowTest, StartedWithoutCameraShowsEmptyListAndBlankRows) {
  UseSimulated({});
  for (const std::string& path : Simulated().CameraDevicePaths()) Simulated().Unplug(path);
  TFormMain& window = Start();

  EXPECT_EQ(window.ComboBoxCamera->Count(), 0);
  EXPECT_EQ(window.ComboBoxCamera->ListHeight(), 2);
  EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), -1);
  EXPECT_TRUE(window.FCamera->DeviceName().isEmpty());
  EXPECT_EQ(window.ComboBoxFormat->Count(), 0);
  EXPECT_FALSE(window.ComboBoxFormat->isEnabled());
  for (TButtonImage* command : {window.ButtonRead, window.ButtonWrite, window.ButtonDefaultValues, window.ButtonWindows}) {
    EXPECT_FALSE(command->isEnabled()) << command->objectName().toStdString();
  }
  for (const TPropertyRow& row : window.PropertyRows()) {
    SCOPED_TRACE(row.Entry->Name().toStdString());
    EXPECT_EQ(row.Controls.ValueLabel->text(), " ");
    EXPECT_FALSE(row.Controls.TrackBar->isEnabled());
    EXPECT_TRUE(row.Controls.Monochrome->isEnabled());
  }
  EXPECT_EQ(window.SupportLevel, 0);
  EXPECT_EQ(window.SupportLabel->text(), "Camera not configurable");
  EXPECT_TRUE(window.MonochromeEffect->isEnabled());
  EXPECT_TRUE(window.LayoutFrequency->isHidden());
  EXPECT_EQ(window.windowTitle(), "Tavelo V3.1");
}

TEST_F(MainWindowTest, SingleCameraIsListedButNotSelectedUntilClicked) {
  UseSimulated({"laptop"});
  TFormMain& window = Start();
  ASSERT_EQ(window.ComboBoxCamera->Count(), 1);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(0), "Simulated Laptop Camera");
  EXPECT_EQ(window.ComboBoxCamera->ListHeight(), 46);
  EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), -1);
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), " ");

  ClickEntry(window.ComboBoxCamera, 0);
  EXPECT_EQ(window.FCamera->DeviceName(), "Simulated Laptop Camera");
  EXPECT_EQ(window.ComboBoxFormat->Count(), 9);
  EXPECT_EQ(window.ComboBoxFormat->ItemIndex(), 0);
  EXPECT_EQ(window.SupportLevel, 2);
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "0");
  EXPECT_TRUE(reports->Messages().isEmpty()) << reports->Messages().join('\n').toStdString();
}

TEST_F(MainWindowTest, LogoClickListsACameraPluggedInSinceStartUp) {
  UseSimulated({"hd-autofocus", "laptop"});
  Simulated().Unplug("sim://laptop-camera");
  TFormMain& window = Start();
  ASSERT_EQ(window.ComboBoxCamera->Count(), 1);
  EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), -1);

  Simulated().Replug("sim://laptop-camera");
  ClickLogo();
  ASSERT_EQ(window.ComboBoxCamera->Count(), 2);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(1), "Simulated Laptop Camera");
  EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), 0) << "with two cameras the first is selected";
  EXPECT_EQ(window.FCamera->DeviceName(), "Simulated HD Webcam");
}

TEST_F(MainWindowTest, ACameraFailingAtStartUpLeavesAFinishedWindowThatSaysWhatWentWrongOnce) {
  const struct {
    const char* what;
    SimulatedCall call;
    Result result;
    const char* message;
  } cases[] = {
      {"its formats cannot be listed", SimulatedCall::EnumMediaTypes, kErrorDeviceInUse,
       "Simulated HD Webcam cannot be used: The camera is in use by another program."},
      // Still listed but never bound: the rebuild finds it again and must not go round for ever.
      {"it cannot be bound", SimulatedCall::BindToObject, kErrorNoDevice,
       "Simulated HD Webcam was disconnected. The camera list has been updated."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UseSimulated({"hd-autofocus", "laptop"});
    Simulated().FailCall("sim://hd-webcam", CallFault(c.call, c.result).Times(kPersistentFault));
    TFormMain& window = Start();

    EXPECT_EQ(window.windowTitle(), "Tavelo V3.1");
    EXPECT_EQ(window.StatusLabel->text(), " ");
    EXPECT_EQ(window.SupportLabel->text(), "Camera not configurable");
    EXPECT_TRUE(window.MonochromeEffect->isEnabled());
    for (const TPropertyRow& row : window.PropertyRows()) EXPECT_TRUE(row.Controls.Monochrome->isEnabled());
    EXPECT_EQ(window.MessageLabel->text(), c.message);
    EXPECT_TRUE(reports->Messages().isEmpty()) << reports->Messages().join('\n').toStdString();
    EXPECT_FALSE(window.SettingTrackBars) << "a failed pass must not leave the rows locked";

    // The rest of the window works: picking the other camera fills its rows.
    ClickEntry(window.ComboBoxCamera, 1);
    EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "0");
    EXPECT_EQ(window.SupportLabel->text(), "Camera configurable");
  }
}

TEST_F(MainWindowTest, ClosingIsNeverRefused) {
  TFormMain& window = Start();
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
