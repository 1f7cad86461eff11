#include "camera/platform/simulated/SimulatedDevice.h"

#include <algorithm>

#include "camera/platform/simulated/FormatMediaTypes.h"
#include "camera/platform/simulated/PictureModel.h"

namespace tavelo::platform::simulated {
namespace {

DeviceIdentity IdentityOf(const CameraProfile& profile) {
  DeviceIdentity identity;
  identity.kind = DeviceKind::Camera;
  identity.friendlyName = profile.friendlyName;
  identity.devicePath = profile.devicePath;
  identity.description = profile.description;
  return identity;
}

bool IsRangedFamily(PropertyFamily family) {
  return family == PropertyFamily::VideoProcAmp || family == PropertyFamily::CameraControl;
}

std::int32_t RoundToStep(const PropertyProfile& p, std::int32_t value) {
  const std::int64_t offset = static_cast<std::int64_t>(value) - p.min;
  std::int64_t rounded = p.min + (offset + p.step / 2) / p.step * p.step;
  if (rounded > p.max) rounded -= p.step;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(rounded, p.min, p.max));
}

}  // namespace

SimulatedDevice::SimulatedDevice(std::shared_ptr<const CameraProfile> profile,
                                 std::shared_ptr<const SimulatedStateStore> store)
    : identity_(IdentityOf(*profile)),
      profile_(std::move(profile)),
      mediaTypes_(BuildMediaTypes(profile_->formats)),
      store_(std::move(store)) {
  RestorePowerOnState();
  if (store_) {
    SavedCameraState state = SavedStateLocked();
    if (store_->Load(*profile_, mediaTypes_.size(), state)) ApplySavedStateLocked(state);
  }
}

SimulatedDevice::SimulatedDevice(DeviceIdentity identity) : identity_(std::move(identity)) {}

const Guid& SimulatedDevice::Category() const {
  switch (identity_.kind) {
    case DeviceKind::Camera: return guids::VideoInputDeviceCategory;
    case DeviceKind::AudioCapture: return guids::AudioInputDeviceCategory;
  }
  return guids::VideoInputDeviceCategory;
}

bool SimulatedDevice::Matches(const std::string& key) const {
  return (!identity_.devicePath.empty() && identity_.devicePath == key) || identity_.friendlyName == key;
}

void SimulatedDevice::RestorePowerOnState() {
  properties_.clear();
  if (profile_ == nullptr) return;
  for (const PropertyProfile& p : profile_->properties) properties_.push_back({p.value, p.flags});
  flash_ = profile_->flash;
  stabilization_ = profile_->stabilization;
  currentFormat_ = 0;
}

SavedCameraState SimulatedDevice::SavedStateLocked() const {
  return SavedCameraState{properties_, flash_, stabilization_, currentFormat_};
}

void SimulatedDevice::ApplySavedStateLocked(const SavedCameraState& state) {
  properties_ = state.properties;
  flash_ = state.flash;
  stabilization_ = state.stabilization;
  currentFormat_ = state.format;
}

void SimulatedDevice::Persist() {
  if (!store_ || profile_ == nullptr) return;
  std::lock_guard writing(persistMutex_);
  SavedCameraState state;
  {
    std::lock_guard lock(mutex_);
    state = SavedStateLocked();
  }
  store_->Save(*profile_, state);
}

// ---- Presence ----------------------------------------------------------------------------------------

std::uint64_t SimulatedDevice::Session() const {
  std::lock_guard lock(mutex_);
  return session_;
}

bool SimulatedDevice::Present() const {
  std::lock_guard lock(mutex_);
  return present_;
}

void SimulatedDevice::Unplug() {
  std::lock_guard lock(mutex_);
  if (!present_) return;
  present_ = false;
  ++session_;
  streamOwner_ = nullptr;
}

void SimulatedDevice::Replug() {
  {
    std::lock_guard lock(mutex_);
    if (present_) return;
    present_ = true;
    RestorePowerOnState();
  }
  Persist();  // the driver's memory went with the power
}

// ---- Admission ---------------------------------------------------------------------------------------

Result SimulatedDevice::AdmitLocked(std::uint64_t session, SimulatedCall call, std::optional<PropertyFamily> family,
                                    std::optional<std::int32_t> id, std::optional<Iid> iid) {
  if (!present_ || session != session_) return kErrorNoDevice;
  const auto matches = [&](const CallFault& f) {
    return f.call == call && (!f.family || f.family == family) && (!f.id || f.id == id) && (!f.iid || f.iid == iid);
  };
  const auto fault = std::find_if(faults_.begin(), faults_.end(), matches);
  if (fault == faults_.end()) return kOk;
  const Result result = fault->result;
  if (fault->times != kPersistentFault && --fault->times <= 0) faults_.erase(fault);
  return result;
}

Result SimulatedDevice::Admit(std::uint64_t session, SimulatedCall call, std::optional<PropertyFamily> family,
                              std::optional<std::int32_t> id) {
  std::lock_guard lock(mutex_);
  return AdmitLocked(session, call, family, id, std::nullopt);
}

Result SimulatedDevice::CheckPresent(std::uint64_t session) const {
  std::lock_guard lock(mutex_);
  return (present_ && session == session_) ? kOk : kErrorNoDevice;
}

Result SimulatedDevice::AdmitInterface(std::uint64_t session, Iid iid) {
  std::lock_guard lock(mutex_);
  const Result admitted = AdmitLocked(session, SimulatedCall::QueryInterface, std::nullopt, std::nullopt, iid);
  if (Failed(admitted)) return admitted;
  return removedInterfaces_.contains(iid) ? kNoInterface : kOk;
}

// ---- Scripting ---------------------------------------------------------------------------------------

void SimulatedDevice::AddFault(const CallFault& fault) {
  if (fault.times == 0 || fault.times < kPersistentFault) return;
  std::lock_guard lock(mutex_);
  faults_.push_back(fault);
}

void SimulatedDevice::ClearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

void SimulatedDevice::SetInterfaceRemoved(Iid iid, bool removed) {
  std::lock_guard lock(mutex_);
  if (removed) {
    removedInterfaces_.insert(iid);
  } else {
    removedInterfaces_.erase(iid);
  }
}

// ---- Properties --------------------------------------------------------------------------------------

int SimulatedDevice::PropertyIndex(PropertyFamily family, std::int32_t id) const {
  if (profile_ == nullptr) return -1;
  for (std::size_t i = 0; i < profile_->properties.size(); ++i) {
    if (profile_->properties[i].family == family && profile_->properties[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

KsRecordProfile* SimulatedDevice::FindKsRecord(PropertyFamily family) {
  std::optional<KsRecordProfile>& record = family == PropertyFamily::Flash ? flash_ : stabilization_;
  return record ? &*record : nullptr;
}

const KsRecordProfile* SimulatedDevice::FindKsRecord(PropertyFamily family) const {
  const std::optional<KsRecordProfile>& record = family == PropertyFamily::Flash ? flash_ : stabilization_;
  return record ? &*record : nullptr;
}

Result SimulatedDevice::GetProperty(PropertyFamily family, std::int32_t id, PropertyState& out) const {
  std::lock_guard lock(mutex_);
  const int index = IsRangedFamily(family) ? PropertyIndex(family, id) : -1;
  if (index < 0) return kErrorNotFound;
  out = properties_[static_cast<std::size_t>(index)];
  return kOk;
}

Result SimulatedDevice::SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags) {
  const Result result = ChangeProperty(family, id, value, flags);
  if (result == kOk) Persist();
  return result;
}

Result SimulatedDevice::ChangeProperty(PropertyFamily family, std::int32_t id, std::int32_t value,
                                          std::int32_t flags) {
  std::lock_guard lock(mutex_);
  const int index = IsRangedFamily(family) ? PropertyIndex(family, id) : -1;
  if (index < 0) return kErrorNotFound;
  const PropertyProfile& p = profile_->properties[static_cast<std::size_t>(index)];
  PropertyState& state = properties_[static_cast<std::size_t>(index)];
  if ((flags != kPropertyFlagsAuto && flags != kPropertyFlagsManual) || (flags & p.capabilities) == 0) {
    return kInvalidArg;
  }
  if (flags == kPropertyFlagsAuto) {
    state.flags = kPropertyFlagsAuto;
    return kOk;
  }
  if (value < p.min || value > p.max) return kInvalidArg;
  state = {RoundToStep(p, value), kPropertyFlagsManual};
  return kOk;
}

Result SimulatedDevice::GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) const {
  // The profile never changes, so no lock is needed.
  const int index = IsRangedFamily(family) ? PropertyIndex(family, id) : -1;
  if (index < 0) return kErrorNotFound;
  const PropertyProfile& p = profile_->properties[static_cast<std::size_t>(index)];
  out = PropertyRange{p.min, p.max, p.step, p.defaultValue, p.capabilities};
  return kOk;
}

Result SimulatedDevice::GetKsRecord(PropertyFamily family, KsRecordProfile& out) const {
  std::lock_guard lock(mutex_);
  const KsRecordProfile* record = IsRangedFamily(family) ? nullptr : FindKsRecord(family);
  if (record == nullptr) return kErrorSetNotFound;
  out = *record;
  return kOk;
}

Result SimulatedDevice::SetKsRecord(PropertyFamily family, const KsRecordProfile& record) {
  {
    std::lock_guard lock(mutex_);
    KsRecordProfile* stored = IsRangedFamily(family) ? nullptr : FindKsRecord(family);
    if (stored == nullptr) return kErrorSetNotFound;
    if (!KsRecordAcceptable(family, record)) return kInvalidArg;
    *stored = record;
  }
  Persist();
  return kOk;
}

bool SimulatedDevice::SetPropertyExternally(PropertyFamily family, std::int32_t id, std::int32_t value,
                                            std::int32_t flags) {
  const bool changed = ChangePropertyExternally(family, id, value, flags);
  if (changed) Persist();
  return changed;
}

bool SimulatedDevice::ChangePropertyExternally(PropertyFamily family, std::int32_t id, std::int32_t value,
                                                  std::int32_t flags) {
  std::lock_guard lock(mutex_);
  if (IsRangedFamily(family)) {
    const int index = PropertyIndex(family, id);
    if (index < 0) return false;
    properties_[static_cast<std::size_t>(index)] = {value, flags};
    return true;
  }
  KsRecordProfile* record = id == 0 ? FindKsRecord(family) : nullptr;
  if (record == nullptr) return false;
  *record = {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(flags)};
  return true;
}

std::optional<PropertyState> SimulatedDevice::ReadProperty(PropertyFamily family, std::int32_t id) const {
  std::lock_guard lock(mutex_);
  if (IsRangedFamily(family)) {
    const int index = PropertyIndex(family, id);
    if (index < 0) return std::nullopt;
    return properties_[static_cast<std::size_t>(index)];
  }
  const KsRecordProfile* record = id == 0 ? FindKsRecord(family) : nullptr;
  if (record == nullptr) return std::nullopt;
  return PropertyState{static_cast<std::int32_t>(record->mode), static_cast<std::int32_t>(record->capabilities)};
}

// ---- Formats and streaming ---------------------------------------------------------------------------

std::size_t SimulatedDevice::CurrentFormatIndex() const {
  std::lock_guard lock(mutex_);
  return currentFormat_;
}

Result SimulatedDevice::SelectFormat(const AmMediaType& requested) {
  const auto index = FindMatchingMediaType(mediaTypes_, requested);
  {
    std::lock_guard lock(mutex_);
    if (streamOwner_ != nullptr) return kErrorNotStopped;
    if (!index) return kErrorInvalidMediaType;
    currentFormat_ = *index;
  }
  Persist();
  return kOk;
}

Result SimulatedDevice::ClaimStream(const void* owner) {
  std::lock_guard lock(mutex_);
  if (!present_) return kErrorNoDevice;
  if (streamOwner_ != nullptr && streamOwner_ != owner) return kErrorDeviceInUse;
  streamOwner_ = owner;
  return kOk;
}

void SimulatedDevice::ReleaseStream(const void* owner) {
  std::lock_guard lock(mutex_);
  if (streamOwner_ == owner) streamOwner_ = nullptr;
}

bool SimulatedDevice::Streaming() const {
  std::lock_guard lock(mutex_);
  return streamOwner_ != nullptr;
}

PictureAdjustments SimulatedDevice::Picture() const {
  if (profile_ == nullptr) return {};
  std::vector<PropertyState> states;
  {
    std::lock_guard lock(mutex_);
    states = properties_;
  }
  return PictureFromProperties(*profile_, states);
}

}  // namespace tavelo::platform::simulated
