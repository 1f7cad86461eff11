#include "tests/v4l2/ListingOracle.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using Strings = std::vector<std::string>;

// The listing's names for the controls behind a property (older and newer kernel names).
struct ListingNames {
  TFPropertyInterface family;
  std::int32_t id;
  Strings value;
  Strings automatic;
};

const std::vector<ListingNames>& ListingTable() {
  using I = TFPropertyInterface;
  static const std::vector<ListingNames> table = {
      {I::VideoProcAmp, VideoProcAmp_Brightness, {"brightness"}, {"brightness_automatic", "auto_brightness"}},
      {I::VideoProcAmp, VideoProcAmp_Contrast, {"contrast"}, {}},
      {I::VideoProcAmp, VideoProcAmp_Hue, {"hue"}, {"hue_auto", "hue_automatic"}},
      {I::VideoProcAmp, VideoProcAmp_Saturation, {"saturation"}, {}},
      {I::VideoProcAmp, VideoProcAmp_Sharpness, {"sharpness"}, {}},
      {I::VideoProcAmp, VideoProcAmp_Gamma, {"gamma"}, {}},
      {I::VideoProcAmp, VideoProcAmp_WhiteBalance, {"white_balance_temperature"},
       {"white_balance_temperature_auto", "white_balance_automatic"}},
      {I::VideoProcAmp, VideoProcAmp_BacklightCompensation, {"backlight_compensation"}, {}},
      {I::VideoProcAmp, VideoProcAmp_Gain, {"gain"}, {"gain_automatic", "autogain"}},
      {I::VideoProcAmp, VideoProcAmp_PowerLineFrequency, {"power_line_frequency"}, {}},
      {I::CameraControl, CameraControl_Pan, {"pan_absolute"}, {}},
      {I::CameraControl, CameraControl_Tilt, {"tilt_absolute"}, {}},
      {I::CameraControl, CameraControl_Zoom, {"zoom_absolute"}, {}},
      {I::CameraControl, CameraControl_Exposure, {"exposure_absolute", "exposure_time_absolute", "exposure"},
       {"exposure_auto", "auto_exposure", "gain_automatic", "autogain"}},
      {I::CameraControl, CameraControl_Iris, {"iris_absolute"}, {}},
      {I::CameraControl, CameraControl_Focus, {"focus_absolute"}, {"focus_auto", "focus_automatic_continuous"}},
  };
  return table;
}

const FakeControl* FindAny(const FakeCameraModel& model, const Strings& names) {
  for (const std::string& name : names)
    if (const FakeControl* control = model.FindControl(name)) return control;
  return nullptr;
}

bool IsMenuControl(const FakeControl& control) { return control.type == V4L2_CTRL_TYPE_MENU; }

// The exposure menu's automatic items are "Auto Mode" (0) and "Aperture Priority Mode" (3).
bool MeansAutomatic(const FakeControl& control, std::int32_t value) {
  return IsMenuControl(control) ? value == 0 || value == 3 : value != 0;
}

}  // namespace

ExpectedRow ExpectRow(const FakeCameraModel& model, TFPropertyInterface family, std::int32_t id) {
  ExpectedRow row;
  const auto names = std::find_if(ListingTable().begin(), ListingTable().end(),
                                  [&](const ListingNames& n) { return n.family == family && n.id == id; });
  if (names == ListingTable().end()) return row;  // no V4L2 control at all
  const FakeControl* value = FindAny(model, names->value);
  const FakeControl* automatic = FindAny(model, names->automatic);
  row.supported = value != nullptr || automatic != nullptr;
  if (!row.supported) return row;
  row.flags = automatic != nullptr && MeansAutomatic(*automatic, automatic->value) ? 1 : 2;
  if (value != nullptr) {
    row.value = value->value;
    row.min = static_cast<std::int32_t>(value->minimum);
    row.max = static_cast<std::int32_t>(value->maximum);
    row.step = static_cast<std::int32_t>(value->step);
    row.defaultValue = static_cast<std::int32_t>(value->defaultValue);
  }
  const auto offers = [&](std::initializer_list<std::uint32_t> items) {
    return std::any_of(items.begin(), items.end(), [&](std::uint32_t i) { return automatic->menu.count(i) != 0; });
  };
  if (automatic != nullptr && (!IsMenuControl(*automatic) || offers({0, 3}))) row.caps |= 1;
  if (value != nullptr && (value->flags & V4L2_CTRL_FLAG_READ_ONLY) == 0 &&
      (automatic == nullptr || !IsMenuControl(*automatic) || offers({1, 2})))
    row.caps |= 2;
  return row;
}

}  // namespace tavelo::v4l2test
