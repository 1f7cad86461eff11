#include "camera/platform/simulated/SimulatedEnumeration.h"

#include "camera/platform/common/Enumerators.h"
#include "camera/platform/media/CompressorCatalogue.h"
#include "camera/platform/simulated/DeviceObject.h"
#include "camera/platform/simulated/SimulatedCameraFilter.h"
#include "camera/platform/simulated/SimulatedMicrophone.h"

namespace tavelo::platform::simulated {
namespace {

class PropertyBag final : public IPropertyBag, private DeviceObject {
 public:
  PropertyBag(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : DeviceObject(std::move(device), session) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerDeviceInterfaces<IPropertyBag>(this, iid, out);
  }

  Result Read(const std::string& name, std::string& value) override {
    const Result admitted = Admit(SimulatedCall::ReadBagValue);
    if (Failed(admitted)) return admitted;
    const DeviceIdentity& identity = device_->Identity();
    if (name == "FriendlyName") {
      value = identity.friendlyName;
    } else if (name == "DevicePath" && !identity.devicePath.empty()) {
      value = identity.devicePath;
    } else if (name == "Description" && !identity.description.empty()) {
      value = identity.description;
    } else if (name == "WaveInID" && identity.waveInId) {
      value = std::to_string(*identity.waveInId);
    } else {
      return kErrorNotFound;
    }
    return kOk;
  }
};

class Moniker final : public IMoniker, private DeviceObject {
 public:
  Moniker(std::shared_ptr<SimulatedDevice> device, std::uint64_t session) : DeviceObject(std::move(device), session) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerDeviceInterfaces<IMoniker>(this, iid, out);
  }

  Result BindToStorage(std::shared_ptr<IPropertyBag>& out) override {
    out.reset();
    Result result = Admit(SimulatedCall::BindToStorage);
    if (Succeeded(result)) result = device_->AdmitInterface(session_, Iid::PropertyBag);
    if (Failed(result)) return result;
    out = std::make_shared<PropertyBag>(device_, session_);
    return kOk;
  }

  Result BindToObject(std::shared_ptr<IBaseFilter>& out) override {
    out.reset();
    Result result = Admit(SimulatedCall::BindToObject);
    if (Succeeded(result)) result = device_->AdmitInterface(session_, Iid::BaseFilter);
    if (Failed(result)) return result;
    if (device_->Identity().kind == DeviceKind::Camera) {
      out = std::make_shared<SimulatedCameraFilter>(device_, session_);
    } else {
      out = std::make_shared<SimulatedMicrophoneFilter>(device_, session_);
    }
    return kOk;
  }
};

}  // namespace

Result SystemDeviceEnumerator::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<ICreateDevEnum>(this, iid, out);
}

Result SystemDeviceEnumerator::CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>& out,
                                                     std::uint32_t) {
  // Compressors are the machine's encoders, the same for every backend.
  if (media::IsCompressorCategory(category)) return media::EnumerateCompressors(category, out);
  std::vector<std::shared_ptr<IMoniker>> monikers;
  for (const auto& device : devices_) {
    if (device->Category() != category || !device->Present()) continue;
    monikers.push_back(std::make_shared<Moniker>(device, device->Session()));
  }
  return EnumerateMonikers(std::move(monikers), out);
}

}  // namespace tavelo::platform::simulated
