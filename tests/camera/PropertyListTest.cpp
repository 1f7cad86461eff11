// The property list: which seventeen properties, in which order, under which settings-file keys. Files
// already written depend on all three.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/PropertyList.h"

namespace {

TEST(PropertyList, SettingsKeysInFileOrder) {
  const std::vector<std::string> names = {
      "BacklightCompensation", "Brightness", "ColorEnable", "Contrast", "Exposure",   "Focus",
      "Gain",                  "Gamma",      "Hue",         "Iris",     "Pan",        "Roll",
      "Saturation",            "Sharpness",  "Tilt",        "WhiteBalance", "Zoom"};
  ASSERT_EQ(kPropertyList.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const TFCameraProperty property = kPropertyList[i];
    EXPECT_EQ(SettingsValueKey(property).toStdString(), names[i]);
    EXPECT_EQ(SettingsAutoModeKey(property).toStdString(), "CheckBox" + names[i]);
    EXPECT_EQ(PropertyName(property).toStdString(), names[i]);
    EXPECT_EQ(PropertyListIndex(property), static_cast<int>(i));
  }
}

TEST(PropertyList, PropertiesOfTheComponentThatNoRowShowsAreOutsideIt) {
  EXPECT_EQ(PropertyListIndex(TFCameraProperty::DigitalMultiplier), -1);
  EXPECT_EQ(PropertyListIndex(TFCameraProperty::DigitalMultiplierLimit), -1);
}

}  // namespace
