#pragma once

// The picture of a simulated camera: a test card (colour bars, a grey ramp, a checkerboard) with a
// square that moves across the bars over time, seen through a "lens" that zooms, pans and tilts, and
// processed like a camera's image pipeline (white balance and gain, hue and saturation, contrast,
// brightness, gamma).
//
// RenderTestPattern is a pure function of (layout, time, adjustments), so tests can check what each
// property does to the picture. The card is built from horizontal bands whose rows repeat, so each
// distinct row is computed once per frame and copied to the others: full HD costs a few rows of
// arithmetic plus memory copies (and the JPEG encoder for motion-JPEG).

#include <cstdint>
#include <vector>

#include "camera/platform/common/FrameLayout.h"

namespace tavelo::platform::simulated {

struct PictureAdjustments {
  int redGainPercent = 100;  // white balance together with exposure and gain, applied first
  int greenGainPercent = 100;
  int blueGainPercent = 100;
  int hueDegrees = 0;           // rotates colours around the grey axis
  int saturationPercent = 100;  // 0 gives a grey picture
  int contrastPercent = 100;    // scales each channel's distance from mid-grey
  int brightness = 0;           // added to every channel after contrast
  int gammaPercent = 100;       // output = input ^ (100 / gammaPercent): above 100 lifts the mid-tones
  int zoomPercent = 100;        // magnification about the view centre (100 = whole card)
  int panPermille = 0;          // view centre moved right, in thousandths of the card's width
  int tiltPermille = 0;         // view centre moved up, in thousandths of the card's height

  friend bool operator==(const PictureAdjustments&, const PictureAdjustments&) = default;
};

// Seconds the moving square needs to cross the bars and come back.
constexpr double kTestPatternPeriodSeconds = 4.0;

// Renders one frame of `layout` into `out` (resized to the frame's size; for MJPG the compressed
// size). False when the layout cannot be rendered.
bool RenderTestPattern(const FrameLayout& layout, double seconds, const PictureAdjustments& adjustments,
                       std::vector<std::uint8_t>& out);

}  // namespace tavelo::platform::simulated
