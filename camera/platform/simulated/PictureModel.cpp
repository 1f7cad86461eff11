#include "camera/platform/simulated/PictureModel.h"

#include <algorithm>
#include <cmath>

namespace tavelo::platform::simulated {
namespace {

// The picture is neutral at each property's default, held into the range for a camera whose default
// lies outside it. 0 at Min, 1 at Default, 2 at Max (a side of zero width counts as neutral).
double RelativeToDefault(const PropertyProfile& p, std::int32_t value) {
  const std::int32_t neutral = p.DefaultInRange();
  if (value <= neutral) return neutral == p.min ? 1.0 : static_cast<double>(value - p.min) / (neutral - p.min);
  return p.max == neutral ? 1.0 : 1.0 + static_cast<double>(value - neutral) / (p.max - neutral);
}

// -1 at the end of the wider side of the range below the default, +1 at the other end, 0 at Default.
double SignedOffset(const PropertyProfile& p, std::int32_t value) {
  const std::int32_t neutral = p.DefaultInRange();
  const double halfSpan = std::max(p.max - neutral, neutral - p.min);
  return halfSpan <= 0 ? 0.0 : (value - neutral) / halfSpan;
}

int Percent(double factor) { return static_cast<int>(std::lround(factor * 100.0)); }

}  // namespace

PictureAdjustments PictureFromProperties(const CameraProfile& profile, const std::vector<PropertyState>& states) {
  PictureAdjustments picture;
  double luminance = 1.0;     // exposure, gain and iris together
  double warmShift = 0.0;     // white balance: positive makes the picture warmer
  bool colour = true;
  for (std::size_t i = 0; i < profile.properties.size() && i < states.size(); ++i) {
    const PropertyProfile& p = profile.properties[i];
    const std::int32_t v = states[i].value;
    const std::int32_t neutral = p.DefaultInRange();
    const double relative = RelativeToDefault(p, v);
    if (p.family == PropertyFamily::VideoProcAmp) {
      switch (p.id) {
        case VideoProcAmp_Brightness: picture.brightness += static_cast<int>(std::lround((relative - 1.0) * 128.0)); break;
        case VideoProcAmp_Contrast: picture.contrastPercent = Percent(relative); break;
        case VideoProcAmp_Saturation: picture.saturationPercent = Percent(relative); break;
        case VideoProcAmp_Hue:
          // Ranges wider than a circle count in hundredths of a degree, as UVC cameras report hue.
          picture.hueDegrees = (p.max - p.min > 360) ? (v - neutral) / 100 : v - neutral;
          break;
        case VideoProcAmp_Gamma:
          picture.gammaPercent = neutral > 0 ? std::clamp(v * 100 / neutral, 10, 1000) : Percent(relative);
          break;
        case VideoProcAmp_ColorEnable: colour = v != 0; break;
        case VideoProcAmp_WhiteBalance:
          // The default is the scene's light. A lower colour temperature than that makes the camera
          // compensate towards blue, a higher one towards orange.
          warmShift = SignedOffset(p, v);
          break;
        case VideoProcAmp_BacklightCompensation: picture.brightness += static_cast<int>(std::lround(SignedOffset(p, v) * 24.0)); break;
        case VideoProcAmp_Gain: luminance *= 0.5 + 0.5 * relative; break;
        default: break;
      }
    } else if (p.family == PropertyFamily::CameraControl) {
      switch (p.id) {
        case CameraControl_Exposure:
          // Negative ranges are log2 seconds; positive ones are times, where the picture grows with the time.
          luminance *= p.min < 0 ? std::pow(2.0, std::clamp(v - neutral, -2, 2))
                                 : (neutral > 0 ? std::clamp(static_cast<double>(v) / neutral, 0.25, 3.0) : 1.0);
          break;
        case CameraControl_Iris: luminance *= 0.5 + 0.5 * relative; break;
        case CameraControl_Zoom:
          picture.zoomPercent = p.min > 0 ? v * 100 / p.min
                                          : 100 + (p.max == p.min ? 0 : 300 * (v - p.min) / (p.max - p.min));
          break;
        case CameraControl_Pan: picture.panPermille = static_cast<int>(std::lround(SignedOffset(p, v) * 500.0)); break;
        case CameraControl_Tilt: picture.tiltPermille = static_cast<int>(std::lround(SignedOffset(p, v) * 500.0)); break;
        default: break;
      }
    }
  }
  picture.redGainPercent = Percent(luminance * (1.0 + 0.6 * warmShift));
  picture.greenGainPercent = Percent(luminance);
  picture.blueGainPercent = Percent(luminance * (1.0 - 0.6 * warmShift));
  if (!colour) picture.saturationPercent = 0;
  return picture;
}

}  // namespace tavelo::platform::simulated
