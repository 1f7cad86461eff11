#pragma once

// Finds a profile by the name a user gives: a bare name of an embedded profile ("laptop.ini" or
// "laptop"), otherwise a path of a file on disk.

#include <optional>
#include <string>

#include "camera/platform/simulated/CameraProfile.h"

namespace tavelo::platform::simulated {

std::optional<CameraProfile> LoadCameraProfile(const std::string& entry, std::string* error);

}  // namespace tavelo::platform::simulated
