// Camera settings files: the 35 entries of a section in their fixed order, several cameras in one file,
// defaults for what a section lacks, sections for camera names no section line can hold as they are.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <limits>

#include "settings/CameraSettingsFile.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

// A section as a user would have it: every value different, some boxes ticked, 60 Hz.
TCameraSettings SomeSettings(double offset) {
  TCameraSettings settings;
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    settings.Values[i] = offset + static_cast<double>(i) - 8;
    settings.AutoModes[i] = i % 3 == 0;
  }
  settings.PowerFrequency = 1;
  return settings;
}

class CameraSettingsFileTest : public ::testing::Test {
 protected:
  QString Path() const { return dir_.filePath(QStringLiteral("cams.vcs")); }
  QTemporaryDir dir_;
};

TEST_F(CameraSettingsFileTest, ASectionHoldsValuesThenAutoModesThenTheFrequencyInPropertyOrder) {
  TCameraSettings settings;
  settings.Values = {1, 128, 1, 32, -6, 0, 12.5, 100, -2000, 0, 0, 0, 64, 2, 0, 4600, 100};
  settings.AutoModes[4] = true;
  settings.AutoModes[15] = true;
  settings.PowerFrequency = -1;
  TCameraSettingsFile(Path()).Write(QStringLiteral("Cam A"), settings);

  EXPECT_EQ(ReadBytes(Path()),
            QByteArray("[Cam A]\r\n"
                       "BacklightCompensation=1\r\nBrightness=128\r\nColorEnable=1\r\nContrast=32\r\nExposure=-6\r\n"
                       "Focus=0\r\nGain=12.5\r\nGamma=100\r\nHue=-2000\r\nIris=0\r\nPan=0\r\nRoll=0\r\n"
                       "Saturation=64\r\nSharpness=2\r\nTilt=0\r\nWhiteBalance=4600\r\nZoom=100\r\n"
                       "CheckBoxBacklightCompensation=0\r\nCheckBoxBrightness=0\r\nCheckBoxColorEnable=0\r\n"
                       "CheckBoxContrast=0\r\nCheckBoxExposure=1\r\nCheckBoxFocus=0\r\nCheckBoxGain=0\r\n"
                       "CheckBoxGamma=0\r\nCheckBoxHue=0\r\nCheckBoxIris=0\r\nCheckBoxPan=0\r\nCheckBoxRoll=0\r\n"
                       "CheckBoxSaturation=0\r\nCheckBoxSharpness=0\r\nCheckBoxTilt=0\r\nCheckBoxWhiteBalance=1\r\n"
                       "CheckBoxZoom=0\r\nPowerFrequency=-1\r\n"));
  EXPECT_EQ(TCameraSettingsFile(Path()).Read(QStringLiteral("Cam A")), settings);
}

TEST_F(CameraSettingsFileTest, CamerasShareAFileAndARewriteKeepsEveryOtherLine) {
  ASSERT_TRUE(WriteBytes(Path(), "; kept\r\n[Other]\r\nBrightness=7\r\n"));
  TCameraSettingsFile(Path()).Write(QStringLiteral("Cam A"), SomeSettings(0));
  TCameraSettingsFile(Path()).Write(QStringLiteral("Cam B"), SomeSettings(100));
  const QByteArray bothWritten = ReadBytes(Path());
  // Saving Cam A again with what it already holds changes not a byte: values are replaced where they are.
  TCameraSettingsFile(Path()).Write(QStringLiteral("cam a"), SomeSettings(0));
  EXPECT_EQ(ReadBytes(Path()), bothWritten);
  EXPECT_TRUE(bothWritten.startsWith("; kept\r\n[Other]\r\nBrightness=7\r\n[Cam A]\r\nBacklightCompensation=-8\r\n"));

  const TCameraSettingsFile file(Path());
  EXPECT_EQ(file.Read(QStringLiteral("Cam A")), SomeSettings(0));
  EXPECT_EQ(file.Read(QStringLiteral("Cam B")), SomeSettings(100));
  EXPECT_TRUE(file.HoldsCamera(QStringLiteral("CAM B")));  // names match regardless of ASCII case
  EXPECT_FALSE(file.HoldsCamera(QStringLiteral("Cam C")));
  EXPECT_FALSE(TCameraSettingsFile(dir_.filePath(QStringLiteral("none.vcs"))).HoldsCamera(QStringLiteral("Cam A")));
}

TEST_F(CameraSettingsFileTest, WhatASectionLacksOrCannotReadTakesItsDefault) {
  ASSERT_TRUE(WriteBytes(Path(),
                         "[Empty]\r\n"
                         "[Cam]\r\nBrightness=12,5\r\nContrast=abc\r\nGain=1e400\r\nHue=\r\nZoom= 300 \r\n"
                         "CheckBoxExposure=2\r\nCheckBoxFocus=yes\r\nCheckBoxGain=0x1\r\nPowerFrequency=NTSC\r\n"));
  const TCameraSettingsFile file(Path());
  EXPECT_TRUE(file.HoldsCamera(QStringLiteral("Empty")));
  EXPECT_EQ(file.Read(QStringLiteral("Empty")), TCameraSettings{});

  TCameraSettings expected;
  expected.Values[PropertyListIndex(TFCameraProperty::Brightness)] = 12.5;
  expected.Values[PropertyListIndex(TFCameraProperty::Gain)] = std::numeric_limits<double>::infinity();
  expected.Values[PropertyListIndex(TFCameraProperty::Zoom)] = 300;
  expected.AutoModes[PropertyListIndex(TFCameraProperty::Exposure)] = true;
  expected.AutoModes[PropertyListIndex(TFCameraProperty::Gain)] = true;
  EXPECT_EQ(file.Read(QStringLiteral("Cam")), expected);
}

// A line break cannot stand in a section line, so it is stored as a blank and looked up the same way; a
// ']' needs nothing, since the name ends at the line's last ']'. Ordinary names stay byte for byte, so a
// file written on Windows finds its cameras here and the other way round.
TEST_F(CameraSettingsFileTest, EveryCameraNameFindsItsOwnSectionAgain) {
  struct NameCase {
    const char* name;
    QByteArray header;
  };
  const NameCase cases[] = {
      {"USB Camera [HD]", "[USB Camera [HD]]\r\n"},
      {"Cam]\r\nX", "[Cam]  X]\r\n"},
      {"Line\nbreak", "[Line break]\r\n"},
      {"Cam\xC3\xA9ra 2 (front)", "[Cam\xE9ra 2 (front)]\r\n"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    const QString path = dir_.filePath(QStringLiteral("name%1.vcs").arg(i));
    const QString name = QString::fromUtf8(cases[i].name);
    TCameraSettingsFile(path).Write(name, SomeSettings(static_cast<double>(i)));
    EXPECT_TRUE(ReadBytes(path).startsWith(cases[i].header));
    const TCameraSettingsFile file(path);
    EXPECT_TRUE(file.HoldsCamera(name));
    EXPECT_EQ(file.Read(name), SomeSettings(static_cast<double>(i)));
  }
}

}  // namespace
}  // namespace tavelo::settingstest
