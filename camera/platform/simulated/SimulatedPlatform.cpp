#include "camera/platform/simulated/SimulatedPlatform.h"

#include <map>

#include "camera/platform/media/MediaGraphObjects.h"
#include "camera/platform/common/MediaErrorText.h"
#include "camera/platform/simulated/ProfileSource.h"
#include "camera/platform/simulated/SimulatedDevice.h"
#include "camera/platform/simulated/SimulatedEnumeration.h"
#include "camera/platform/simulated/SimulatedState.h"

namespace tavelo::platform {

using simulated::DeviceIdentity;
using simulated::DeviceKind;
using simulated::SimulatedDevice;

SimulatedPlatform::SimulatedPlatform(std::vector<simulated::CameraProfile> cameras,
                                     std::shared_ptr<const simulated::SimulatedStateStore> store) {
  for (simulated::CameraProfile& camera : cameras) {
    devices_.push_back(std::make_shared<SimulatedDevice>(
        std::make_shared<const simulated::CameraProfile>(std::move(camera)), store));
  }
  devices_.push_back(std::make_shared<SimulatedDevice>(
      DeviceIdentity{DeviceKind::AudioCapture, kSimulatedMicrophoneName, "", "Simulated audio input", 0}));
}

SimulatedPlatform::~SimulatedPlatform() = default;

Result SimulatedPlatform::CreateInstance(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  if (clsid == guids::SystemDeviceEnum) {
    return std::make_shared<simulated::SystemDeviceEnumerator>(devices_)->QueryInterface(iid, out);
  }
  return media::CreateMediaGraphObject(clsid, iid, out);
}

std::string SimulatedPlatform::GetErrorText(Result code) const { return MediaErrorText(code); }

std::shared_ptr<SimulatedDevice> SimulatedPlatform::Find(const std::string& device) const {
  for (const auto& candidate : devices_) {
    if (candidate->Identity().devicePath == device && !device.empty()) return candidate;
  }
  for (const auto& candidate : devices_) {
    if (candidate->Matches(device)) return candidate;
  }
  return nullptr;
}

std::vector<std::string> SimulatedPlatform::CameraDevicePaths() const {
  std::vector<std::string> paths;
  for (const auto& device : devices_) {
    if (device->Identity().kind == DeviceKind::Camera) paths.push_back(device->Identity().devicePath);
  }
  return paths;
}

bool SimulatedPlatform::Unplug(const std::string& device) {
  const auto found = Find(device);
  if (found) found->Unplug();
  return found != nullptr;
}

bool SimulatedPlatform::Replug(const std::string& device) {
  const auto found = Find(device);
  if (found) found->Replug();
  return found != nullptr;
}

bool SimulatedPlatform::FailCall(const std::string& device, const CallFault& fault) {
  const auto found = Find(device);
  if (found) found->AddFault(fault);
  return found != nullptr;
}

bool SimulatedPlatform::ClearFaults(const std::string& device) {
  const auto found = Find(device);
  if (found) found->ClearFaults();
  return found != nullptr;
}

bool SimulatedPlatform::RemoveInterface(const std::string& device, Iid iid) {
  const auto found = Find(device);
  if (found) found->SetInterfaceRemoved(iid, true);
  return found != nullptr;
}

bool SimulatedPlatform::RestoreInterface(const std::string& device, Iid iid) {
  const auto found = Find(device);
  if (found) found->SetInterfaceRemoved(iid, false);
  return found != nullptr;
}

bool SimulatedPlatform::SetPropertyExternally(const std::string& device, PropertyFamily family, std::int32_t id,
                                              std::int32_t value, std::int32_t flags) {
  const auto found = Find(device);
  return found != nullptr && found->SetPropertyExternally(family, id, value, flags);
}

std::optional<PropertyState> SimulatedPlatform::ReadProperty(const std::string& device, PropertyFamily family,
                                                             std::int32_t id) const {
  const auto found = Find(device);
  if (!found) return std::nullopt;
  return found->ReadProperty(family, id);
}

std::optional<std::size_t> SimulatedPlatform::CurrentFormatIndex(const std::string& device) const {
  const auto found = Find(device);
  if (!found || found->MediaTypes().empty()) return std::nullopt;
  return found->CurrentFormatIndex();
}

bool SimulatedPlatform::IsStreaming(const std::string& device) const {
  const auto found = Find(device);
  return found != nullptr && found->Streaming();
}

std::vector<std::string> DefaultSimulatedProfiles() { return {"hd-autofocus.ini", "laptop.ini"}; }

std::shared_ptr<SimulatedPlatform> CreateSimulatedPlatform(const std::vector<std::string>& profileFiles,
                                                           std::string* error, const std::string& stateFolder) {
  const std::vector<std::string> entries = profileFiles.empty() ? DefaultSimulatedProfiles() : profileFiles;
  std::vector<simulated::CameraProfile> cameras;
  std::map<std::string, std::string> sourceOfPath;
  for (const std::string& entry : entries) {
    std::optional<simulated::CameraProfile> profile = simulated::LoadCameraProfile(entry, error);
    if (!profile) return nullptr;
    const auto [existing, inserted] = sourceOfPath.emplace(profile->devicePath, profile->sourceName);
    if (!inserted) {
      if (error != nullptr) {
        *error = profile->sourceName + ": DevicePath '" + profile->devicePath + "' is already used by " +
                 existing->second;
      }
      return nullptr;
    }
    cameras.push_back(std::move(*profile));
  }
  if (error != nullptr) error->clear();
  std::shared_ptr<const simulated::SimulatedStateStore> store;
  if (!stateFolder.empty()) store = std::make_shared<const simulated::SimulatedStateStore>(stateFolder);
  return std::make_shared<SimulatedPlatform>(std::move(cameras), std::move(store));
}

}  // namespace tavelo::platform
