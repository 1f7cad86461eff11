#pragma once

// What a simulated camera's driver remembers between processes. A real camera keeps its values in the
// driver until it is unplugged, so `--set` in one run and `--get` in the next agree; a simulated camera
// does the same through a small file per camera in a per-user folder that the session clears at logout,
// as a machine's driver memory would be.
//
// The file is INI text the program writes and reads back (a person may delete it to "power-cycle" the
// camera). A property holds its value and mode flags, a flash or stabilisation record its mode and
// capability words:
//   [Camera]
//   DevicePath=sim://hd-webcam
//   Format=0
//   VideoProcAmp.Brightness=140, 2
//   Flash=0, 2
// It is written whole to a temporary file and renamed over the old one, so a reader never sees half of
// it. A file that cannot be read, is damaged, or belongs to another camera leaves the power-on values.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "camera/platform/simulated/CameraProfile.h"
#include "camera/platform/simulated/SimulatedTypes.h"

namespace tavelo::platform::simulated {

// The part of a camera's live state the driver keeps.
struct SavedCameraState {
  std::vector<PropertyState> properties;  // aligned with the profile's properties
  std::optional<KsRecordProfile> flash;
  std::optional<KsRecordProfile> stabilization;
  std::size_t format = 0;  // index among the pin's media types
};

// The variables that decide the folder (null when unset).
struct StateFolderVariables {
  const char* override = nullptr;    // TAVELO_SIMULATED_STATE: a folder, or "off"
  const char* runtimeDir = nullptr;  // XDG_RUNTIME_DIR
  const char* cacheHome = nullptr;   // XDG_CACHE_HOME
  const char* home = nullptr;        // HOME
};

// The folder the state files go to: TAVELO_SIMULATED_STATE when set ("off": none), else
// $XDG_RUNTIME_DIR/tavelo/simulated, else $XDG_CACHE_HOME or ~/.cache with the same ending. The XDG
// variables count only when absolute (a relative one is to be ignored). Nothing when none applies.
std::optional<std::filesystem::path> SimulatedStateFolder(const StateFolderVariables& variables);
std::optional<std::filesystem::path> SimulatedStateFolderFromEnvironment();

class SimulatedStateStore {
 public:
  explicit SimulatedStateStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Overwrites `state` (the power-on state) with what the camera's file holds, held to the profile:
  // values into their ranges, modes the property cannot take, formats it does not offer and records out
  // of bounds left at power-on. Properties the profile lacks are passed over. False, with `state`
  // untouched, when there is no such file or it is damaged or another camera's.
  bool Load(const CameraProfile& profile, std::size_t formatCount, SavedCameraState& state) const;
  // Writes the camera's file atomically, creating the folder. Failures are not reported: the camera
  // works on without its memory.
  void Save(const CameraProfile& profile, const SavedCameraState& state) const noexcept;

  std::filesystem::path FileFor(const CameraProfile& profile) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace tavelo::platform::simulated
