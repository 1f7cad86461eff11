#pragma once

// Reads a simulated camera's profile file (format: see README.md beside this file).
//
// Every mistake is reported, never guessed around: an unknown section or key, a missing value, a number
// that does not parse, a range whose default lies outside it, a mode the property cannot take. The
// message names the file, the line and what is wrong: "laptop.ini:42: Default 300 lies outside 0..255".

#include <optional>
#include <string>
#include <string_view>

#include "camera/platform/simulated/CameraProfile.h"

namespace tavelo::platform::simulated {

std::optional<CameraProfile> ParseCameraProfile(std::string_view text, const std::string& sourceName,
                                                std::string* error);

}  // namespace tavelo::platform::simulated
