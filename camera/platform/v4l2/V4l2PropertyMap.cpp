#include "camera/platform/v4l2/V4l2PropertyMap.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <iterator>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform::v4l2 {
namespace {

using F = PropertyFamily;
using A = AutoKind;

// Values keep the driver's units and ranges, so the rows show what the driver's own tools show (exposure
// in 100 µs steps, pan and tilt in arc seconds). Roll, colour enable, the digital multiplier, the white
// balance component, scan mode and focal length have no V4L2 control for webcams and stay out.
// Exposure has alternatives: uvcvideo uses EXPOSURE_ABSOLUTE with the EXPOSURE_AUTO menu; sensor and
// older USB drivers name it EXPOSURE, with the same menu (often only auto and manual) or with no mode of
// its own but AUTOGAIN, which then drives exposure and gain together.
constexpr PropertyMapping kMappings[] = {
    {F::VideoProcAmp, VideoProcAmp_Brightness, {V4L2_CID_BRIGHTNESS}, {{V4L2_CID_AUTOBRIGHTNESS, A::Boolean}}},
    {F::VideoProcAmp, VideoProcAmp_Contrast, {V4L2_CID_CONTRAST}},
    {F::VideoProcAmp, VideoProcAmp_Hue, {V4L2_CID_HUE}, {{V4L2_CID_HUE_AUTO, A::Boolean}}},
    {F::VideoProcAmp, VideoProcAmp_Saturation, {V4L2_CID_SATURATION}},
    {F::VideoProcAmp, VideoProcAmp_Sharpness, {V4L2_CID_SHARPNESS}},
    {F::VideoProcAmp, VideoProcAmp_Gamma, {V4L2_CID_GAMMA}},
    {F::VideoProcAmp, VideoProcAmp_WhiteBalance, {V4L2_CID_WHITE_BALANCE_TEMPERATURE},
     {{V4L2_CID_AUTO_WHITE_BALANCE, A::Boolean}}},
    {F::VideoProcAmp, VideoProcAmp_BacklightCompensation, {V4L2_CID_BACKLIGHT_COMPENSATION}},
    {F::VideoProcAmp, VideoProcAmp_Gain, {V4L2_CID_GAIN}, {{V4L2_CID_AUTOGAIN, A::Boolean}}},
    // The menu's items (0 disabled, 1 50 Hz, 2 60 Hz, 3 auto) are already the component's numbers.
    {F::VideoProcAmp, VideoProcAmp_PowerLineFrequency, {V4L2_CID_POWER_LINE_FREQUENCY}},

    {F::CameraControl, CameraControl_Pan, {V4L2_CID_PAN_ABSOLUTE}},
    {F::CameraControl, CameraControl_Tilt, {V4L2_CID_TILT_ABSOLUTE}},
    {F::CameraControl, CameraControl_Zoom, {V4L2_CID_ZOOM_ABSOLUTE}},
    {F::CameraControl, CameraControl_Exposure, {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE},
     {{V4L2_CID_EXPOSURE_AUTO, A::ExposureMenu}, {V4L2_CID_AUTOGAIN, A::Boolean}}},
    {F::CameraControl, CameraControl_Iris, {V4L2_CID_IRIS_ABSOLUTE}},
    {F::CameraControl, CameraControl_Focus, {V4L2_CID_FOCUS_ABSOLUTE}, {{V4L2_CID_FOCUS_AUTO, A::Boolean}}},
};

}  // namespace

bool PropertyMapping::Names(std::uint32_t control) const {
  if (control == 0) return false;
  return std::ranges::find(valueControls, control) != std::end(valueControls) ||
         std::ranges::any_of(companions, [&](const CompanionControl& c) { return c.id == control; });
}

std::span<const PropertyMapping> PropertyMappings() { return kMappings; }

const PropertyMapping* FindPropertyMapping(PropertyFamily family, std::int32_t id) {
  for (const PropertyMapping& mapping : kMappings)
    if (mapping.family == family && mapping.id == id) return &mapping;
  return nullptr;
}

}  // namespace tavelo::platform::v4l2
