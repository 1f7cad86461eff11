#pragma once

// Profile files of the simulated cameras, compiled into the program from simulated/profiles/.

#include <string>
#include <vector>

namespace tavelo::platform {

struct EmbeddedProfile {
  std::string fileName;  // e.g. "hd-autofocus.ini"
  std::string text;
};

const std::vector<EmbeddedProfile>& EmbeddedProfiles();

}  // namespace tavelo::platform
