#pragma once

// The simulated capture backend: cameras described by profile files (see README.md here), each with
// the properties, ranges, defaults and formats of a real kind of webcam, a moving test picture that
// follows the property values, plus a simulated microphone and a video and an audio compressor, so
// every device category enumerates.
//
// Besides the platform services it offers hooks for tests: unplug and re-plug a device, make calls
// fail, take interfaces away, change a property behind the program's back, and read the driver's state
// back. They are safe to call from any thread while the program runs. Devices are named by device path,
// or by friendly name for devices without one; a hook answers false for a name no device has.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "camera/platform/CapturePlatform.h"
#include "camera/platform/simulated/SimulatedTypes.h"

namespace tavelo::platform {

namespace simulated {
class SimulatedDevice;
class SimulatedStateStore;
struct CameraProfile;
}  // namespace simulated

// Names of the built-in devices that are not cameras.
inline constexpr const char* kSimulatedMicrophoneName = "Simulated Microphone";

class SimulatedPlatform final : public CapturePlatform {
 public:
  // Cameras in enumeration order; CreateSimulatedPlatform is the usual way to get one. With a store the
  // cameras keep their state between processes (SimulatedState.h); without, they start at power-on.
  explicit SimulatedPlatform(std::vector<simulated::CameraProfile> cameras,
                             std::shared_ptr<const simulated::SimulatedStateStore> store = nullptr);
  ~SimulatedPlatform() override;

  std::string Name() const override { return "simulated"; }
  Result CreateInstance(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) override;
  std::string GetErrorText(Result code) const override;

  // ---- Hooks for tests -----------------------------------------------------------------------------
  std::vector<std::string> CameraDevicePaths() const;

  // The device disappears from enumeration and every object handed out for it answers kErrorNoDevice
  // from now on (a running stream ends). Re-plugging lists it again with its power-on values; objects
  // from before stay dead.
  bool Unplug(const std::string& device);
  bool Replug(const std::string& device);

  // Scripted failures (SimulatedTypes.h): e.g. the next Set of Brightness answers kErrorDeviceInUse.
  bool FailCall(const std::string& device, const CallFault& fault);
  bool ClearFaults(const std::string& device);
  // Queries for `iid` on the device's objects answer kNoInterface until restored.
  bool RemoveInterface(const std::string& device, Iid iid);
  bool RestoreInterface(const std::string& device, Iid iid);

  // Another program changed a property (no range or mode checks; the property must exist).
  bool SetPropertyExternally(const std::string& device, PropertyFamily family, std::int32_t id, std::int32_t value,
                             std::int32_t flags);
  // The driver's live value and flags; nothing for a property the camera lacks.
  std::optional<PropertyState> ReadProperty(const std::string& device, PropertyFamily family, std::int32_t id) const;
  // Index of the selected format among the pin's media types.
  std::optional<std::size_t> CurrentFormatIndex(const std::string& device) const;
  bool IsStreaming(const std::string& device) const;

 private:
  std::shared_ptr<simulated::SimulatedDevice> Find(const std::string& device) const;

  std::vector<std::shared_ptr<simulated::SimulatedDevice>> devices_;  // fixed at construction
};

// The embedded profiles used when no profile is named: an HD webcam with autofocus and a laptop camera.
std::vector<std::string> DefaultSimulatedProfiles();

// A platform with one camera per entry of `profileFiles`, in that order: a bare name of an embedded
// profile ("hd-autofocus.ini" or "hd-autofocus") or the path of a profile file. An empty list gives the
// default set. A file that cannot be read or parsed, or two cameras with one device path, give null and
// a message naming the file and line in *error. With a `stateFolder` the cameras keep their state there
// between processes, as the program's do (SimulatedStateFolderFromEnvironment); an empty one, as in
// tests, keeps nothing.
std::shared_ptr<SimulatedPlatform> CreateSimulatedPlatform(const std::vector<std::string>& profileFiles,
                                                           std::string* error, const std::string& stateFolder = {});

}  // namespace tavelo::platform
