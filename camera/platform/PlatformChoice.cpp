#include "camera/platform/PlatformChoice.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "camera/platform/simulated/SimulatedPlatform.h"
#include "camera/platform/simulated/SimulatedState.h"
#if TAVELO_HAVE_V4L2
#include "camera/platform/v4l2/V4l2Platform.h"
#endif

namespace tavelo::platform {
namespace {

std::vector<std::string> SplitProfileList(const char* list) {
  std::vector<std::string> entries;
  if (list == nullptr) return entries;
  std::stringstream stream(list);
  std::string entry;
  while (std::getline(stream, entry, ':')) {
    if (!entry.empty()) entries.push_back(entry);
  }
  return entries;
}

CapturePlatformChoice Simulated(const char* simulated, const std::string& stateFolder, std::string notice) {
  CapturePlatformChoice choice;
  std::string error;
  choice.platform = CreateSimulatedPlatform(SplitProfileList(simulated), &error, stateFolder);
  if (!choice.platform) {
    choice.error = "Cannot start the simulated cameras: " + error;
    return choice;
  }
  choice.notice = std::move(notice);
  return choice;
}

}  // namespace

CapturePlatformChoice ChooseCapturePlatform(const char* capture, const char* simulated,
                                            const std::string& stateFolder) {
  const std::string backend = capture == nullptr ? std::string() : std::string(capture);
  if (backend == "simulated")
    return Simulated(simulated, stateFolder, "Using the simulated cameras (TAVELO_CAPTURE=simulated).");
#if TAVELO_HAVE_V4L2
  if (backend == "v4l2") return CapturePlatformChoice{CreateV4l2Platform(nullptr), {}, {}};
  if (backend.empty()) {
    if (V4l2HasCaptureDevice(nullptr)) return CapturePlatformChoice{CreateV4l2Platform(nullptr), {}, {}};
    return Simulated(simulated, stateFolder,
                     "No camera found through Video4Linux2: using the simulated cameras "
                     "(set TAVELO_CAPTURE=v4l2 to list real cameras only).");
  }
  CapturePlatformChoice choice;
  choice.error = "TAVELO_CAPTURE=\"" + backend + "\" is not a capture backend; use \"v4l2\" or \"simulated\".";
#else
  // Without a native backend on this system the simulated cameras are the only source.
  if (backend.empty())
    return Simulated(simulated, stateFolder, "This build has no native camera backend: using the simulated cameras.");
  CapturePlatformChoice choice;
  choice.error = "TAVELO_CAPTURE=\"" + backend + "\" is not a capture backend of this build; use \"simulated\".";
#endif
  return choice;
}

CapturePlatformChoice ChooseCapturePlatformFromEnvironment() {
  const auto stateFolder = simulated::SimulatedStateFolderFromEnvironment();
  return ChooseCapturePlatform(std::getenv("TAVELO_CAPTURE"), std::getenv("TAVELO_SIMULATED"),
                               stateFolder ? stateFolder->string() : std::string());
}

}  // namespace tavelo::platform
