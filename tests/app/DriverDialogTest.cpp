// The "System Dialog" command on the simulated cameras: the driver panel shows their controls in the same
// pages a V4L2 camera has, the stream's formats on a page of their own, and whatever happens the window
// reads the camera again afterwards.

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "app/PropertyFramePages.h"
#include "tests/app/MainWindowHarness.h"
#include "ui/ButtonImage.h"
#include "ui/ControlPage.h"
#include "ui/ListBox.h"
#include "ui/PropertyFrame.h"
#include "ui/StreamPage.h"
#include "ui/TrackBar.h"

namespace {

using namespace tavelo::platform;

constexpr const char* kHdWebcam = "sim://hd-webcam";

class DriverDialogTest : public MainWindowTest {
 protected:
  TFormMain& StartOnHdWebcam(QStringList arguments = {}) {
    UseSimulated({"hd-autofocus"});
    TFormMain& window = Start(std::move(arguments));
    ClickEntry(window.ComboBoxCamera, 0);
    return window;
  }
  // Clicks "System Dialog"; `drive` gets the panel while it shows. Answers whether it showed.
  bool ClickSystemDialog(const std::function<void(TPropertyFrame&)>& drive = {}) {
    bool shown = false;
    TPropertyFrame::SetTestHook([&](TPropertyFrame& frame) {
      shown = true;
      if (drive) drive(frame);
    });
    TButtonImage* command = Window().ButtonWindows;
    QTest::mouseClick(command, Qt::LeftButton, {}, command->rect().center());
    TPropertyFrame::SetTestHook({});
    return shown;
  }
  ~DriverDialogTest() override { TPropertyFrame::SetTestHook({}); }
};

template <class W>
W* Named(TPropertyFrame& frame, int tab, const QString& name) {
  TControlPage* page = frame.ControlPage(tab);
  EXPECT_NE(page, nullptr);
  const auto id = page ? page->ControlNamed(name) : std::nullopt;
  EXPECT_TRUE(id.has_value()) << name.toStdString();
  return id ? qobject_cast<W*>(page->Editor(*id)) : nullptr;
}

TEST_F(DriverDialogTest, SimulatedCamerasOfferTheirControlsInTheSamePages) {
  TFormMain& window = StartOnHdWebcam();
  const bool shown = ClickSystemDialog([&](TPropertyFrame& frame) {
    EXPECT_EQ(frame.windowTitle(), "Simulated HD Webcam");
    ASSERT_EQ(frame.Tabs()->count(), 2);
    EXPECT_EQ(frame.Tabs()->tabText(0), "User Controls");
    EXPECT_EQ(frame.Tabs()->tabText(1), "Camera Controls");

    auto* automatic = Named<QCheckBox>(frame, 0, "White Balance, Auto");
    auto* temperature = Named<QSlider>(frame, 0, "White Balance");
    ASSERT_TRUE(automatic && temperature);
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_FALSE(temperature->isEnabled());
    automatic->click();
    EXPECT_EQ(DriverState(Simulated(), kHdWebcam, TFCameraProperty::WhiteBalance).flags, kPropertyFlagsManual);
    EXPECT_TRUE(temperature->isEnabled());

    auto* brightness = Named<QSlider>(frame, 0, "Brightness");
    ASSERT_NE(brightness, nullptr);
    brightness->setValue(200);
    EXPECT_EQ(DriverState(Simulated(), kHdWebcam, TFCameraProperty::Brightness).value, 200);
    EXPECT_NE(Named<QSlider>(frame, 1, "Focus"), nullptr);
  });
  EXPECT_TRUE(shown);
  // The window read the camera again when the panel closed.
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.TrackBar->Value(), 200);
  EXPECT_FALSE(Row(TFCameraProperty::WhiteBalance).Controls.CheckBox->isChecked());
  EXPECT_EQ(window.MessageLabel->text(), QString());
}

TEST_F(DriverDialogTest, ACameraWithoutPagesGivesTheStatusMessageATraceLineAndIsReadAgain) {
  TFormMain& window = StartOnHdWebcam({"trace"});
  Simulated().FailCall(kHdWebcam, CallFault(SimulatedCall::GetPages, kNoInterface));
  Simulated().SetPropertyExternally(kHdWebcam, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, 33,
                                    kPropertyFlagsManual);
  window.Memo1->clear();

  EXPECT_FALSE(ClickSystemDialog());
  EXPECT_EQ(window.MessageLabel->text(), "Simulated HD Webcam does not support this dialog function");
  EXPECT_TRUE(window.Memo1->toPlainText().contains("ButtonWindowsClick Error"));
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.TrackBar->Value(), 33);
  EXPECT_TRUE(notices.isEmpty());
}

TEST_F(DriverDialogTest, PagesTheFrameDoesNotKnowAreSkippedAndNoPageAtAllFails) {
  TFormMain& window = StartOnHdWebcam();
  const Guid unknownPage{0x12345678, 0x1, 0x2, {}};
  PropertyFrameRequest request;
  request.caption = "Simulated HD Webcam";
  request.objects.push_back(window.FCamera->CaptureFilter());

  const struct {
    const char* situation;
    std::vector<Guid> pages;
    Result result;
    QStringList titles;
  } cases[] = {
      {"unknown only", {unknownPage}, kErrorNoPropertyPages, {}},
      {"none", {}, kErrorNoPropertyPages, {}},
      {"unknown and the camera's", {unknownPage, guids::CameraSettingsPage}, kOk, {"User Controls", "Camera Controls"}},
      // The filter has no stream configuration: the pin has.
      {"stream page of the filter", {guids::StreamFormatPage}, kErrorNoPropertyPages, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.situation);
    request.pages = c.pages;
    Result result = kFail;
    QStringList titles;
    for (const TPropertyFramePage& page : PropertyFramePages(window.FCamera->Platform(), request, result))
      titles << page.Title;
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(titles, c.titles);
  }
}

TEST_F(DriverDialogTest, TheStreamPageListsThePinsFormatsAndSetsTheChosenOne) {
  TFormMain& window = StartOnHdWebcam();
  const TFCameraFormats formats = window.FCamera->SupportedFormats();
  ASSERT_GE(formats.size(), 2u);
  bool shown = false;
  TPropertyFrame::SetTestHook([&](TPropertyFrame& frame) {
    shown = true;
    ASSERT_EQ(frame.Tabs()->count(), 1);
    TStreamPage* page = frame.StreamPage(0);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->FormatList()->count(), static_cast<int>(formats.size()));
    EXPECT_EQ(page->FormatList()->item(1)->text(), StreamFormatText(formats[1]));
    EXPECT_EQ(page->FormatList()->currentRow(), static_cast<int>(*Simulated().CurrentFormatIndex(kHdWebcam)));
    page->FormatList()->setCurrentRow(1);
    page->ApplyButton()->click();
    EXPECT_EQ(Simulated().CurrentFormatIndex(kHdWebcam), 1u);
    EXPECT_EQ(page->FormatList()->currentRow(), 1);
  });
  window.FCamera->ShowStreamPropertyDialog();
  TPropertyFrame::SetTestHook({});
  EXPECT_TRUE(shown);
}

TEST(StreamFormatTexts, PixelFormatSizeAndRate) {
  const auto format = [](const char* code, int bits, int width, int height, std::int64_t frameTime) {
    TFCameraFormat f;
    for (int i = 0; i < 4 && code[i] != '\0'; ++i) f.Compression[static_cast<std::size_t>(i)] = code[i];
    f.BitsPerPixel = bits;
    f.Width = width;
    f.Height = height;
    f.AvgTimePerFrame = frameTime;
    return f;
  };
  const struct {
    TFCameraFormat format;
    const char* text;
  } cases[] = {
      {format("YUY2", 16, 640, 480, 333333), "YUY2  640x480  30 fps"},
      {format("MJPG", 24, 1920, 1080, 1333333), "MJPG  1920x1080  7.5 fps"},
      // Uncompressed RGB has no code; rows stored top-down have a negative height.
      {format("", 24, 640, -480, 416666), "RGB24  640x480  24 fps"},
      {format("NV12", 12, 320, 240, 0), "NV12  320x240"},
  };
  for (const auto& c : cases) EXPECT_EQ(StreamFormatText(c.format), c.text);
}

}  // namespace
