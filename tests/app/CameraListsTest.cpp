// The camera list and the format list.

#include <QIcon>
#include <QLabel>

#include <gtest/gtest.h>

#include "app/DisplayTexts.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "tests/app/MainWindowHarness.h"
#include "tests/support/ScriptedPlatform.h"

using namespace tavelo::platform;
using tavelo::scripted::CameraSetup;
using tavelo::scripted::ScriptedPlatform;
using tavelo::scripted::VideoFormatSetup;
using tavelo::scripted::VideoInfoFormat;

namespace {

std::shared_ptr<ScriptedPlatform> PlatformWithCameras(int count) {
  auto platform = std::make_shared<ScriptedPlatform>();
  for (int i = 1; i <= count; ++i) platform->AddDevice(CameraSetup("Cam " + std::to_string(i)));
  return platform;
}

QImage IconImage(const QIcon& icon) {
  const QList<QSize> sizes = icon.availableSizes();
  return sizes.isEmpty() ? QImage() : icon.pixmap(sizes.first()).toImage();
}

TEST_F(MainWindowTest, CameraListGrowsWithTheCamerasUpToFive) {
  const struct {
    int cameras;
    int height;
    int selected;
  } cases[] = {{0, 2, -1}, {1, 46, -1}, {2, 90, 0}, {3, 134, 0}, {4, 178, 0}, {5, 222, 0}, {7, 222, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cameras);
    TFormMain& window = StartOn(PlatformWithCameras(c.cameras));
    EXPECT_EQ(window.ComboBoxCamera->Count(), c.cameras);
    EXPECT_EQ(window.ComboBoxCamera->ListHeight(), c.height);
    EXPECT_EQ(window.ComboBoxCamera->height(), c.height);
    EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), c.selected);
  }
}

TEST_F(MainWindowTest, RebuildSelectsTheFirstOfSeveralCamerasEvenIfAnotherWasSelected) {
  UseSimulated({"hd-autofocus", "laptop", "no-controls"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 2);
  ASSERT_EQ(window.FCamera->DeviceName(), "Simulated Camera Without Controls");

  ClickLogo();
  EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), 0);
  EXPECT_EQ(window.FCamera->DeviceName(), "Simulated HD Webcam");
}

TEST_F(MainWindowTest, SingleCameraStaysSelectedAcrossRebuildMatchedWithoutRegardToCase) {
  auto platform = std::make_shared<ScriptedPlatform>();
  auto camera = platform->AddDevice(CameraSetup("Desk Cam"));
  TFormMain& window = StartOn(platform);
  ClickEntry(window.ComboBoxCamera, 0);
  ASSERT_EQ(window.FCamera->DeviceName(), "Desk Cam");

  // The driver now lists the camera with other capitals: it is still the remembered one.
  camera->Setup().friendlyName = "DESK CAM";
  ClickLogo();
  ASSERT_EQ(window.ComboBoxCamera->Count(), 1);
  EXPECT_EQ(window.ComboBoxCamera->ItemText(0), "DESK CAM");
  EXPECT_EQ(window.ComboBoxCamera->ItemIndex(), 0);
  EXPECT_EQ(window.FCamera->DeviceName(), "DESK CAM");
}

TEST_F(MainWindowTest, FormatEntriesShowSizeRateAndDepthWithTheirResolutionIcon) {
  auto platform = std::make_shared<ScriptedPlatform>();
  auto setup = CameraSetup("Cam 1");
  const struct {
    int width, height;
    std::int64_t interval;
    int bits;
    const char* text;
    const char* icon;
  } formats[] = {
      {1920, 1080, 333333, 24, "1920x1080 30Hz 24bpp", "res_1080"}, {1280, 721, 333334, 16, "1280x721 29Hz 16bpp", "res_1080"},
      {1280, 720, 0, 16, "1280x720 16bpp", "res_720"},               {960, 719, 400000, 12, "960x719 25Hz 12bpp", "res_pal"},
      {720, 501, 666666, 16, "720x501 15Hz 16bpp", "res_pal"},       {640, 500, 333333, 16, "640x500 30Hz 16bpp", "res_vga"},
      {640, 480, 333333, 32, "640x480 30Hz 32bpp", "res_vga"},       {320, 479, 333333, 16, "320x479 30Hz 16bpp", "res_ega"},
  };
  setup.pins[0].mediaTypes.clear();
  for (const auto& f : formats) {
    VideoFormatSetup format;
    format.width = f.width;
    format.height = f.height;
    format.avgTimePerFrame = f.interval;
    format.bitCount = static_cast<std::uint16_t>(f.bits);
    setup.pins[0].mediaTypes.push_back(VideoInfoFormat(format));
  }
  platform->AddDevice(setup);
  TFormMain& window = StartOn(platform);
  ClickEntry(window.ComboBoxCamera, 0);

  ASSERT_EQ(window.ComboBoxFormat->Count(), static_cast<int>(std::size(formats)));
  for (int i = 0; i < window.ComboBoxFormat->Count(); ++i) {
    SCOPED_TRACE(formats[i].text);
    EXPECT_EQ(window.ComboBoxFormat->ItemText(i), formats[i].text);
    EXPECT_EQ(IconImage(window.ComboBoxFormat->item(i)->icon()), window.Picture(formats[i].icon)->Bitmap().toImage());
  }
  EXPECT_EQ(window.ComboBoxFormat->ListHeight(), 154) << "five or more formats";
}

TEST_F(MainWindowTest, FormatListHeightFollowsTheNumberOfFormats) {
  const struct {
    int formats;
    int height;
  } cases[] = {{1, 35}, {4, 125}, {5, 154}, {6, 154}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formats);
    auto platform = std::make_shared<ScriptedPlatform>();
    auto setup = CameraSetup("Cam 1");
    setup.pins[0].mediaTypes.assign(c.formats, VideoInfoFormat(VideoFormatSetup{}));
    platform->AddDevice(setup);
    TFormMain& window = StartOn(platform);
    ClickEntry(window.ComboBoxCamera, 0);
    EXPECT_EQ(window.ComboBoxFormat->Count(), c.formats);
    EXPECT_EQ(window.ComboBoxFormat->ListHeight(), c.height);
    EXPECT_EQ(window.SupportLevel, 2);
  }
}

TEST_F(MainWindowTest, RememberedFormatIsReselectedOrTheFirstWhenItIsGone) {
  TFormMain& window = StartOn(PlatformWithCameras(2));  // three formats each
  window.LastResolutionIndex = 2;
  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_EQ(window.ComboBoxFormat->ItemIndex(), 2);
  EXPECT_EQ(window.ResolutionText, "320x240 15Hz 16bpp");

  window.LastResolutionIndex = 7;
  ClickEntry(window.ComboBoxCamera, 0);
  EXPECT_EQ(window.ComboBoxFormat->ItemIndex(), 0);
  EXPECT_EQ(window.ResolutionText, "640x480 30Hz 16bpp");
}

TEST_F(MainWindowTest, ACameraThatFailsWhenPickedShowsAsNotConfigurableAndSaysWhyUntilAnotherIsRead) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ASSERT_EQ(window.SupportLevel, 2);
  Simulated().FailCall("sim://laptop-camera", CallFault(SimulatedCall::EnumMediaTypes, kErrorDeviceInUse).Times(1));
  ClickEntry(window.ComboBoxCamera, 1);

  EXPECT_EQ(window.MessageLabel->text(), "Simulated Laptop Camera cannot be used: The camera is in use by another program.");
  EXPECT_EQ(window.SupportLevel, 0);
  EXPECT_EQ(window.SupportLabel->text(), "Camera not configurable");
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), " ") << "nothing of the camera before";
  EXPECT_FALSE(window.SettingTrackBars);
  EXPECT_TRUE(reports->Messages().isEmpty());
  EXPECT_TRUE(notices.isEmpty());

  // The next selection reads the camera again, and the explanation goes.
  ClickEntry(window.ComboBoxCamera, 0);
  ClickEntry(window.ComboBoxCamera, 1);
  EXPECT_TRUE(window.MessageLabel->text().isEmpty());
  EXPECT_EQ(Row(TFCameraProperty::Brightness).Controls.ValueLabel->text(), "0");
}

TEST_F(MainWindowTest, ErrorReportReachesTheUserInTheMessageWindow) {
  reports.reset();
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxCamera, 1);
  Simulated().FailCall("sim://laptop-camera", CallFault(SimulatedCall::Set, kErrorDeviceInUse)
                                                  .ForProperty(PropertyFamily::VideoProcAmp,
                                                               VideoProcAmp_PowerLineFrequency));
  ClickEntry(window.ComboBoxFrequency, 1);
  ASSERT_EQ(notices.size(), 1);
  EXPECT_EQ(noticeCaptions.first(), "Information");
  EXPECT_FALSE(notices.first().isEmpty());
}

}  // namespace
