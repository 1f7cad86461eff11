#include "camera/platform/simulated/SimulatedCameraFilter.h"

#include <cstring>

#include "camera/platform/graph/Enumerators.h"

namespace tavelo::platform::simulated {
namespace {

constexpr std::uint32_t kKsRecordBytes = 8;

// One of the two property interfaces of a camera filter, as a tear-off of it.
template <class Interface, PropertyFamily kFamily>
class PropertyTearOff final : public Interface, private DeviceObject {
 public:
  PropertyTearOff(std::shared_ptr<Unknown> owner, std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : DeviceObject(std::move(device), session), owner_(std::move(owner)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    if (iid == Interface::kIid) return this->template AnswerDeviceInterfaces<Interface>(this, iid, out);
    return owner_->QueryInterface(iid, out);
  }

  Result GetRange(std::int32_t property, std::int32_t& min, std::int32_t& max, std::int32_t& delta,
                  std::int32_t& defaultValue, std::int32_t& capsFlags) override {
    const Result admitted = Admit(SimulatedCall::GetRange, kFamily, property);
    if (Failed(admitted)) return admitted;
    PropertyProfile range;
    const Result result = device_->GetPropertyRange(kFamily, property, range);
    if (Succeeded(result)) {
      min = range.min;
      max = range.max;
      delta = range.step;
      defaultValue = range.defaultValue;
      capsFlags = range.capabilities;
    }
    return result;
  }

  Result Get(std::int32_t property, std::int32_t& value, std::int32_t& flags) override {
    const Result admitted = Admit(SimulatedCall::Get, kFamily, property);
    if (Failed(admitted)) return admitted;
    PropertyState state;
    const Result result = device_->GetProperty(kFamily, property, state);
    if (Succeeded(result)) {
      value = state.value;
      flags = state.flags;
    }
    return result;
  }

  Result Set(std::int32_t property, std::int32_t value, std::int32_t flags) override {
    const Result admitted = Admit(SimulatedCall::Set, kFamily, property);
    if (Failed(admitted)) return admitted;
    return device_->SetProperty(kFamily, property, value, flags);
  }

 private:
  const std::shared_ptr<Unknown> owner_;
};

using VideoProcAmpTearOff = PropertyTearOff<IAMVideoProcAmp, PropertyFamily::VideoProcAmp>;
using CameraControlTearOff = PropertyTearOff<IAMCameraControl, PropertyFamily::CameraControl>;

std::optional<PropertyFamily> KsFamilyOf(const Guid& propSet) {
  if (propSet == guids::PropSetIdVidcapCameraControlFlash) return PropertyFamily::Flash;
  if (propSet == guids::PropSetIdVidcapCameraControlVideoStabilization) return PropertyFamily::VideoStabilization;
  return std::nullopt;
}

}  // namespace

SimulatedCameraFilter::SimulatedCameraFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
    : DeviceObject(std::move(device), session), capturePin_(std::make_shared<SimulatedCapturePin>(device_, session)) {}

Result SimulatedCameraFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  if (iid == Iid::AMVideoProcAmp || iid == Iid::AMCameraControl) {
    const Result admitted = device_->AdmitInterface(session_, iid);
    if (Failed(admitted)) return admitted;
    const PropertyFamily family =
        iid == Iid::AMVideoProcAmp ? PropertyFamily::VideoProcAmp : PropertyFamily::CameraControl;
    if (!device_->Profile()->HasFamily(family)) return kNoInterface;
    if (family == PropertyFamily::VideoProcAmp) {
      out = std::static_pointer_cast<IAMVideoProcAmp>(
          std::make_shared<VideoProcAmpTearOff>(shared_from_this(), device_, session_));
    } else {
      out = std::static_pointer_cast<IAMCameraControl>(
          std::make_shared<CameraControlTearOff>(shared_from_this(), device_, session_));
    }
    return kOk;
  }
  return AnswerDeviceInterfaces<IBaseFilter, IKsPropertySet, ISpecifyPropertyPages, IAMVideoControl>(this, iid, out);
}

Result SimulatedCameraFilter::EnumPins(std::shared_ptr<IEnumPins>& out) {
  out.reset();
  const Result admitted = Admit(SimulatedCall::EnumPins);
  if (Failed(admitted)) return admitted;
  out = std::make_shared<PinEnumerator>(std::vector<std::shared_ptr<IPin>>{capturePin_},
                                        [device = device_, session = session_] { return device->CheckPresent(session); });
  return kOk;
}

Result SimulatedCameraFilter::QueryFilterInfo(FilterInfo& out) {
  const Result admitted = Admit(SimulatedCall::QueryFilterInfo);
  if (Failed(admitted)) return admitted;
  out = membership_.Info(device_->Identity().friendlyName);
  return kOk;
}

Result SimulatedCameraFilter::JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  // Leaving a graph always works, so a graph can drop a camera that has gone away.
  if (graph != nullptr) {
    const Result present = device_->CheckPresent(session_);
    if (Failed(present)) return present;
  }
  membership_.Join(graph, name);
  return kOk;
}

Result SimulatedCameraFilter::ChangeState(FilterState state) {
  const Result admitted = Admit(SimulatedCall::StateChange);
  if (Failed(admitted)) return admitted;
  membership_.SetState(state);
  return kOk;
}

Result SimulatedCameraFilter::Run() { return ChangeState(FilterState::Running); }
Result SimulatedCameraFilter::Pause() { return ChangeState(FilterState::Paused); }
Result SimulatedCameraFilter::Stop() { return ChangeState(FilterState::Stopped); }

Result SimulatedCameraFilter::GetState(std::uint32_t, FilterState& out) {
  const Result present = device_->CheckPresent(session_);
  if (Succeeded(present)) out = membership_.State();
  return present;
}

Result SimulatedCameraFilter::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t,
                                  void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  const std::optional<PropertyFamily> family = KsFamilyOf(propSet);
  const Result admitted = Admit(SimulatedCall::KsGet, family, static_cast<std::int32_t>(id));
  if (Failed(admitted)) return admitted;
  if (!family) return kErrorSetNotFound;
  KsRecordProfile record;
  const Result found = device_->GetKsRecord(*family, record);
  if (Failed(found)) return found;
  if (id != 0) return kErrorNotFound;
  if (propertyData == nullptr || dataLength < kKsRecordBytes) {
    bytesReturned = kKsRecordBytes;
    return kErrorMoreData;
  }
  const std::uint32_t words[2] = {record.mode, record.capabilities};
  std::memcpy(propertyData, words, kKsRecordBytes);
  bytesReturned = kKsRecordBytes;
  return kOk;
}

Result SimulatedCameraFilter::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t,
                                  const void* propertyData, std::uint32_t dataLength) {
  const std::optional<PropertyFamily> family = KsFamilyOf(propSet);
  const Result admitted = Admit(SimulatedCall::KsSet, family, static_cast<std::int32_t>(id));
  if (Failed(admitted)) return admitted;
  if (!family) return kErrorSetNotFound;
  KsRecordProfile current;
  const Result found = device_->GetKsRecord(*family, current);
  if (Failed(found)) return found;
  if (id != 0) return kErrorNotFound;
  if (propertyData == nullptr || dataLength < kKsRecordBytes) return kErrorInsufficientBuffer;
  std::uint32_t words[2];
  std::memcpy(words, propertyData, kKsRecordBytes);
  return device_->SetKsRecord(*family, {words[0], words[1]});
}

Result SimulatedCameraFilter::GetPages(std::vector<Guid>& pages) {
  pages.clear();
  const Result admitted = Admit(SimulatedCall::GetPages);
  if (Failed(admitted)) return admitted;
  pages.push_back(guids::CameraSettingsPage);
  return kOk;
}

}  // namespace tavelo::platform::simulated
