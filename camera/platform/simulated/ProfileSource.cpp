#include "camera/platform/simulated/ProfileSource.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "camera/platform/simulated/EmbeddedProfiles.h"
#include "camera/platform/simulated/ProfileParser.h"

namespace tavelo::platform::simulated {
namespace {

const EmbeddedProfile* FindEmbedded(const std::string& entry) {
  if (entry.find('/') != std::string::npos) return nullptr;
  for (const EmbeddedProfile& profile : EmbeddedProfiles()) {
    if (profile.fileName == entry || profile.fileName == entry + ".ini") return &profile;
  }
  return nullptr;
}

}  // namespace

std::optional<CameraProfile> LoadCameraProfile(const std::string& entry, std::string* error) {
  if (const EmbeddedProfile* embedded = FindEmbedded(entry)) {
    return ParseCameraProfile(embedded->text, embedded->fileName, error);
  }
  std::ifstream file(entry, std::ios::binary);
  if (!file) {
    const int cause = errno;
    if (error != nullptr) {
      *error = entry + ": cannot be read (" + (cause != 0 && strerrordesc_np(cause) != nullptr ? strerrordesc_np(cause) : "unknown error") +
               "); built-in profiles are:";
      for (const EmbeddedProfile& profile : EmbeddedProfiles()) *error += " " + profile.fileName;
    }
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseCameraProfile(text.str(), entry, error);
}

}  // namespace tavelo::platform::simulated
