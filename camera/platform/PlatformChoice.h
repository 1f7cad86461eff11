#pragma once

// Chooses the capture backend at start-up.
//
// TAVELO_CAPTURE names it: "v4l2" (real cameras through Video4Linux2) or "simulated" (the built-in virtual
// cameras). Unset or empty, Video4Linux2 is used when it finds a camera and the simulated cameras
// otherwise, with a notice. TAVELO_SIMULATED lists the simulated profiles to load, separated by ':'
// (files, or names of the built-in profiles); unset, the simulated backend offers its default pair.
// The program's simulated cameras keep their state between runs (simulated/SimulatedState.h: the folder
// from TAVELO_SIMULATED_STATE or the XDG variables); a choice made with no state folder keeps none.

#include <memory>
#include <string>

#include "camera/platform/CapturePlatform.h"

namespace tavelo::platform {

struct CapturePlatformChoice {
  std::shared_ptr<CapturePlatform> platform;  // null when `error` says why
  std::string notice;                         // one line for standard error, or empty
  std::string error;
};

// `capture` and `simulated` are the two variables' values (null when unset); `simulatedStateFolder`
// where simulated cameras keep their state (empty: nowhere).
CapturePlatformChoice ChooseCapturePlatform(const char* capture, const char* simulated,
                                            const std::string& simulatedStateFolder = {});
CapturePlatformChoice ChooseCapturePlatformFromEnvironment();

}  // namespace tavelo::platform
