// Texts the main window derives from camera data.

#include <QLocale>

#include <gtest/gtest.h>

#include "app/DisplayTexts.h"

namespace {

TFCameraFormat Format(int width, int height, std::int64_t avgTimePerFrame, int bitsPerPixel) {
  TFCameraFormat format;
  format.Width = width;
  format.Height = height;
  format.AvgTimePerFrame = avgTimePerFrame;
  format.BitsPerPixel = bitsPerPixel;
  return format;
}

TEST(FormatEntryText, FrameRateIsWholeFramesPerSecondRoundedDown) {
  EXPECT_EQ(FormatEntryText(Format(640, 480, 333333, 16)), "640x480 30Hz 16bpp");
  EXPECT_EQ(FormatEntryText(Format(640, 480, 333334, 16)), "640x480 29Hz 16bpp");
  EXPECT_EQ(FormatEntryText(Format(1920, 1080, 666666, 24)), "1920x1080 15Hz 24bpp");
  EXPECT_EQ(FormatEntryText(Format(320, 240, 10000000, 12)), "320x240 1Hz 12bpp");
}

TEST(FormatEntryText, FormatWithoutFrameRateHasNoFrequencyPart) {
  EXPECT_EQ(FormatEntryText(Format(640, 480, 0, 16)), "640x480 16bpp");
}

TEST(FormatIconName, ChosenByHeight) {
  const struct {
    int height;
    const char* icon;
  } cases[] = {{2160, "res_1080"}, {1080, "res_1080"}, {721, "res_1080"}, {720, "res_720"}, {719, "res_pal"},
               {576, "res_pal"},   {501, "res_pal"},   {500, "res_vga"},  {480, "res_vga"}, {479, "res_ega"},
               {120, "res_ega"},   {0, "res_ega"}};
  for (const auto& c : cases) EXPECT_EQ(FormatIconName(c.height), c.icon) << "height " << c.height;
}

TEST(SliderValueText, WholeValuesArePlainIntegers) {
  EXPECT_EQ(SliderValueText(0), "0");
  EXPECT_EQ(SliderValueText(128), "128");
  EXPECT_EQ(SliderValueText(-64), "-64");
  EXPECT_EQ(SliderValueText(-0.0), "0");
  EXPECT_EQ(SliderValueText(1000000), "1000000");  // neither exponent nor group separator
  EXPECT_EQ(SliderValueText(-2147483648.0), "-2147483648");
}

TEST(SliderValueText, FractionUsesTheUsersDecimalSeparator) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(SliderValueText(12.7), "12,7");
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(SliderValueText(12.7), "12.7");
  EXPECT_EQ(SliderValueText(-3.5), "-3.5");
  QLocale::setDefault(previous);
}

TEST(SameTextIgnoringAsciiCase, FoldsOnlyLettersAToZ) {
  EXPECT_TRUE(SameTextIgnoringAsciiCase("Simulated HD Webcam", "SIMULATED hd webcam"));
  EXPECT_TRUE(SameTextIgnoringAsciiCase("", ""));
  EXPECT_FALSE(SameTextIgnoringAsciiCase("Cam", "Cam "));
  EXPECT_FALSE(SameTextIgnoringAsciiCase("Kamera \u00c4", "kamera \u00e4"));  // beyond A to Z: exact
  EXPECT_TRUE(SameTextIgnoringAsciiCase("Kamera \u00c4", "KAMERA \u00c4"));
}

}  // namespace
