#pragma once

// Webcam profiles for the fake kernel, written as the listings people publish for real UVC webcams:
// the output of `v4l2-ctl --list-ctrls-menus` and `v4l2-ctl --list-formats-ext`, with a few header lines
// for the identity (card, bus, udev link names). The files live in tests/v4l2/profiles/.

#include <string>
#include <vector>

#include "tests/v4l2/FakeCameraModel.h"

namespace tavelo::v4l2test {

// Parses a listing; throws std::runtime_error naming the line on anything it cannot read.
FakeCameraModel ParseWebcamListing(const std::string& text);

// A profile file by name ("hd-autofocus") from tests/v4l2/profiles.
FakeCameraModel LoadWebcamProfile(const std::string& name);
std::vector<std::string> WebcamProfileNames();

}  // namespace tavelo::v4l2test
