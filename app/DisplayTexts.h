#pragma once

// Texts the main window derives from camera data: list entries of the video formats, the number shown
// beside a slider, and the comparison of camera names when the camera list is rebuilt.

#include <QString>

#include <cstdint>

#include "camera/CameraTypes.h"

// "640x480 30Hz 16bpp", or "640x480 16bpp" for a format without a frame rate. The rate is whole frames
// per second, rounded down.
QString FormatEntryText(const TFCameraFormat& format);

// The picture of a format entry, by the format's height.
QString FormatIconName(std::int32_t height);

// A slider value in shortest general form: whole values as plain integers (0, 128, -64), a fraction with
// the user's decimal separator.
QString SliderValueText(double value);

// Equal texts, letters A to Z compared without regard to case, every other character exactly.
bool SameTextIgnoringAsciiCase(const QString& a, const QString& b);
