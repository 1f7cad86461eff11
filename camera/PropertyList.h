#pragma once

// The seventeen properties a user sets up, in the one order every list of them keeps: the rows' greying
// and the change handlers' search for their row, the entries of a camera settings file, the factory
// defaults. The order is alphabetical by name; settings files already written depend on it, so a
// compile-time check below keeps it.
//
// A property's name is the camera component's (CameraProperties.h). The settings file keys are formed
// from it: the value under the name itself, the automatic mode under "CheckBox" and the name, after the
// row's check box that shows it.

#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>

#include "camera/CameraProperties.h"

inline constexpr std::array kPropertyList = {
    TFCameraProperty::BacklightCompensation,
    TFCameraProperty::Brightness,
    TFCameraProperty::ColorEnable,
    TFCameraProperty::Contrast,
    TFCameraProperty::Exposure,
    TFCameraProperty::Focus,
    TFCameraProperty::Gain,
    TFCameraProperty::Gamma,
    TFCameraProperty::Hue,
    TFCameraProperty::Iris,
    TFCameraProperty::Pan,
    TFCameraProperty::Roll,
    TFCameraProperty::Saturation,
    TFCameraProperty::Sharpness,
    TFCameraProperty::Tilt,
    TFCameraProperty::WhiteBalance,
    TFCameraProperty::Zoom,
};
inline constexpr std::size_t kPropertyCount = kPropertyList.size();

// Strictly ascending names: alphabetical, and no property twice.
static_assert(std::ranges::adjacent_find(kPropertyList, std::ranges::greater_equal{},
                                         [](TFCameraProperty property) { return PropertyInfo(property).Name; }) ==
                  kPropertyList.end(),
              "the property list is kept in alphabetical order of the names, each property once");

// The position of a property in the list; -1 for one outside it (DigitalMultiplier, for example).
constexpr int PropertyListIndex(TFCameraProperty property) {
  const auto found = std::ranges::find(kPropertyList, property);
  return found == kPropertyList.end() ? -1 : static_cast<int>(found - kPropertyList.begin());
}

// The camera component's name of a property ("BacklightCompensation").
QString PropertyName(TFCameraProperty property);

// The keys of a property's two entries in a camera settings file.
QString SettingsValueKey(TFCameraProperty property);     // "BacklightCompensation"
QString SettingsAutoModeKey(TFCameraProperty property);  // "CheckBoxBacklightCompensation"
