#include "camera/platform/v4l2/V4l2PropertyMap.h"

#include <linux/videodev2.h>

#include <array>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform::v4l2 {
namespace {

using F = PropertyFamily;
using A = AutoKind;

// Values keep the driver's units and ranges, so the rows show what the driver's own tools show (exposure
// in 100 µs steps, pan and tilt in arc seconds). Roll, colour enable, the digital multiplier, the white
// balance component, scan mode and focal length have no V4L2 control for webcams and stay out.
constexpr std::array kMappings = {
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Brightness, V4L2_CID_BRIGHTNESS, V4L2_CID_AUTOBRIGHTNESS, A::Boolean},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Contrast, V4L2_CID_CONTRAST, 0, A::None},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Hue, V4L2_CID_HUE, V4L2_CID_HUE_AUTO, A::Boolean},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Saturation, V4L2_CID_SATURATION, 0, A::None},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Sharpness, V4L2_CID_SHARPNESS, 0, A::None},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Gamma, V4L2_CID_GAMMA, 0, A::None},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_WhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE,
                    V4L2_CID_AUTO_WHITE_BALANCE, A::Boolean},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_BacklightCompensation, V4L2_CID_BACKLIGHT_COMPENSATION, 0, A::None},
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_Gain, V4L2_CID_GAIN, V4L2_CID_AUTOGAIN, A::Boolean},
    // The menu's items (0 disabled, 1 50 Hz, 2 60 Hz, 3 auto) are already the component's numbers.
    PropertyMapping{F::VideoProcAmp, VideoProcAmp_PowerLineFrequency, V4L2_CID_POWER_LINE_FREQUENCY, 0, A::None},

    PropertyMapping{F::CameraControl, CameraControl_Pan, V4L2_CID_PAN_ABSOLUTE, 0, A::None},
    PropertyMapping{F::CameraControl, CameraControl_Tilt, V4L2_CID_TILT_ABSOLUTE, 0, A::None},
    PropertyMapping{F::CameraControl, CameraControl_Zoom, V4L2_CID_ZOOM_ABSOLUTE, 0, A::None},
    PropertyMapping{F::CameraControl, CameraControl_Exposure, V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO,
                    A::ExposureMenu},
    PropertyMapping{F::CameraControl, CameraControl_Iris, V4L2_CID_IRIS_ABSOLUTE, 0, A::None},
    PropertyMapping{F::CameraControl, CameraControl_Focus, V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO, A::Boolean},
};

}  // namespace

std::span<const PropertyMapping> PropertyMappings() { return kMappings; }

const PropertyMapping* FindPropertyMapping(PropertyFamily family, std::int32_t id) {
  for (const PropertyMapping& mapping : kMappings)
    if (mapping.family == family && mapping.id == id) return &mapping;
  return nullptr;
}

}  // namespace tavelo::platform::v4l2
