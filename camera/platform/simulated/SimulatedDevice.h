#pragma once

// The live state of one simulated device, shared by every object the backend hands out for it
// (monikers, property bags, filters, pins, property interfaces) and by the test hooks of
// SimulatedPlatform. It plays the driver: property values and modes, the selected format, who streams,
// whether the device is plugged in, and which calls are scripted to fail.
//
// Objects remember the session they were made in. Unplugging starts a new session, so every object
// handed out before answers kErrorNoDevice from then on, even after the device is plugged in again,
// as the objects of a re-enumerated device would be new ones on a real system. Plugging in again
// restores the power-on values of the profile, like a camera that loses its settings without power.
//
// With a state store (SimulatedState.h) the driver's memory outlives the process, as a real driver's
// does: the camera starts from what its file holds, and every change is written back.
//
// All members are safe to call from any thread.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/simulated/CameraProfile.h"
#include "camera/platform/simulated/SimulatedState.h"
#include "camera/platform/simulated/SimulatedTypes.h"
#include "camera/platform/simulated/TestPattern.h"

namespace tavelo::platform::simulated {

enum class DeviceKind { Camera, AudioCapture };

struct DeviceIdentity {
  DeviceKind kind = DeviceKind::Camera;
  std::string friendlyName;
  std::string devicePath;                // empty: the property bag has no DevicePath
  std::string description;               // empty: the property bag has no Description
  std::optional<std::int32_t> waveInId;  // audio input only
};

class SimulatedDevice {
 public:
  // A camera described by a profile; with a store, one whose state outlives the process.
  explicit SimulatedDevice(std::shared_ptr<const CameraProfile> profile,
                           std::shared_ptr<const SimulatedStateStore> store = nullptr);
  // A device without pictures or properties (audio input, compressors).
  explicit SimulatedDevice(DeviceIdentity identity);

  const DeviceIdentity& Identity() const { return identity_; }
  const Guid& Category() const;
  const CameraProfile* Profile() const { return profile_.get(); }  // null unless a camera
  const std::vector<OwnedMediaType>& MediaTypes() const { return mediaTypes_; }
  // True when `key` is the device path or, failing that, the friendly name.
  bool Matches(const std::string& key) const;

  // ---- Presence ------------------------------------------------------------------------------------
  std::uint64_t Session() const;
  bool Present() const;
  void Unplug();
  void Replug();

  // ---- Admission of a call from an object made in `session` ---------------------------------------
  // kErrorNoDevice for an unplugged device or an object of an earlier session; the result of a
  // matching injected fault (used up by this call); otherwise kOk.
  Result Admit(std::uint64_t session, SimulatedCall call, std::optional<PropertyFamily> family = std::nullopt,
               std::optional<std::int32_t> id = std::nullopt);
  // Presence only, for internal calls that tests do not script (the graph asking a pin for its type).
  Result CheckPresent(std::uint64_t session) const;
  // The same for QueryInterface, which also answers kNoInterface for a removed interface.
  Result AdmitInterface(std::uint64_t session, Iid iid);

  // ---- Scripting -----------------------------------------------------------------------------------
  void AddFault(const CallFault& fault);
  void ClearFaults();
  void SetInterfaceRemoved(Iid iid, bool removed);

  // ---- Driver behaviour of the property interfaces (video-processing amplifier, camera control) ----
  // Get: the value and the mode (1 automatic, 2 manual).
  Result GetProperty(PropertyFamily family, std::int32_t id, PropertyState& out) const;
  // Set: flags 2 stores the value (rounded to the step) in manual mode; a value outside the range is
  // refused with kInvalidArg and the old value kept. Flags 1 switches to automatic mode and leaves the
  // value to the driver, which keeps the last one. Other flags, or a mode the property lacks, answer
  // kInvalidArg. An id the camera lacks answers kErrorNotFound.
  Result SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags);
  Result GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) const;
  // Flash and stabilisation records; kErrorSetNotFound when the camera has no such set.
  Result GetKsRecord(PropertyFamily family, KsRecordProfile& out) const;
  Result SetKsRecord(PropertyFamily family, const KsRecordProfile& record);

  // Another program changes a property: no range or mode checks, only the property must exist. For the
  // flash and stabilisation families the value is the mode word and the flags the capability word.
  bool SetPropertyExternally(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags);
  std::optional<PropertyState> ReadProperty(PropertyFamily family, std::int32_t id) const;

  // ---- Formats and streaming -----------------------------------------------------------------------
  std::size_t CurrentFormatIndex() const;
  // Selects the offered media type `requested` matches: kErrorInvalidMediaType when none does,
  // kErrorNotStopped while the device streams.
  Result SelectFormat(const AmMediaType& requested);
  // One stream at a time per device: kErrorDeviceInUse when another owner streams.
  Result ClaimStream(const void* owner);
  void ReleaseStream(const void* owner);
  bool Streaming() const;

  // The picture the current property values give.
  PictureAdjustments Picture() const;

 private:
  struct KsRecordState {
    PropertyFamily family;
    KsRecordProfile record;
  };

  void RestorePowerOnState();  // with mutex_ held
  // The work of SetProperty and SetPropertyExternally (they take mutex_); the callers persist the change.
  Result ChangeProperty(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags);
  bool ChangePropertyExternally(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags);
  SavedCameraState SavedStateLocked() const;
  void ApplySavedStateLocked(const SavedCameraState& state);
  // Writes the state to the store, if there is one; called without mutex_ held, after each change.
  void Persist();
  int PropertyIndex(PropertyFamily family, std::int32_t id) const;
  KsRecordProfile* FindKsRecord(PropertyFamily family);
  const KsRecordProfile* FindKsRecord(PropertyFamily family) const;
  Result AdmitLocked(std::uint64_t session, SimulatedCall call, std::optional<PropertyFamily> family,
                     std::optional<std::int32_t> id, std::optional<Iid> iid);

  const DeviceIdentity identity_;
  const std::shared_ptr<const CameraProfile> profile_;
  const std::vector<OwnedMediaType> mediaTypes_;
  const std::shared_ptr<const SimulatedStateStore> store_;
  std::mutex persistMutex_;  // one write at a time, each of the state as it is when the write begins

  mutable std::mutex mutex_;
  bool present_ = true;
  std::uint64_t session_ = 1;
  std::vector<PropertyState> properties_;  // aligned with profile_->properties
  std::optional<KsRecordProfile> flash_;
  std::optional<KsRecordProfile> stabilization_;
  std::size_t currentFormat_ = 0;
  const void* streamOwner_ = nullptr;
  std::vector<CallFault> faults_;
  std::set<Iid> removedInterfaces_;
};

}  // namespace tavelo::platform::simulated
