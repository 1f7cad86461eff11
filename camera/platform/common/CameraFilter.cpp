#include "camera/platform/common/CameraFilter.h"

#include <cstring>

#include "camera/platform/common/PropertyTearOff.h"
#include "camera/platform/common/RangedControls.h"

namespace tavelo::platform {
namespace {

constexpr std::uint32_t kKsRecordBytes = sizeof(KsRecord);
static_assert(kKsRecordBytes == 8);

std::optional<PropertyFamily> KsFamilyOf(const Guid& propSet) {
  if (propSet == guids::PropSetIdVidcapCameraControlFlash) return PropertyFamily::Flash;
  if (propSet == guids::PropSetIdVidcapCameraControlVideoStabilization) return PropertyFamily::VideoStabilization;
  return std::nullopt;
}

}  // namespace

CameraFilter::CameraFilter(std::string friendlyName, std::shared_ptr<CapturePin> capturePin)
    : FilterBase(std::move(friendlyName), {capturePin}), capturePin_(std::move(capturePin)) {}

Result CameraFilter::AdmitInterface(Iid) { return kOk; }

bool CameraFilter::HasPropertyFamily(PropertyFamily) { return true; }

Result CameraFilter::AdmitCameraCall(CameraCall, std::optional<PropertyFamily>, std::uint32_t) { return kOk; }

Result CameraFilter::GetKsRecord(PropertyFamily, KsRecord&) { return kErrorSetNotFound; }

Result CameraFilter::SetKsRecord(PropertyFamily, const KsRecord&) { return kErrorSetNotFound; }

Result CameraFilter::DescribeDeviceControls(std::vector<ControlClass>& out) {
  return DescribeRangedControls(*this, [this](PropertyFamily family) { return HasPropertyFamily(family); }, out);
}

Result CameraFilter::GetDeviceControl(std::uint32_t id, std::int64_t& value) { return GetRangedControl(*this, id, value); }

Result CameraFilter::SetDeviceControl(std::uint32_t id, std::int64_t value) { return SetRangedControl(*this, id, value); }

void CameraFilter::OnStop() { capturePin_->StopStreaming(); }

Result CameraFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  const Result admitted = AdmitInterface(iid);
  if (Failed(admitted)) return admitted;
  if (IsPropertyInterface(iid)) {
    if (!HasPropertyFamily(PropertyFamilyOf(iid))) return kNoInterface;
    return MakePropertyTearOff(iid, shared_from_this(), *this, out);
  }
  if (iid == Iid::ControlEvents) {
    std::shared_ptr<IControlEvents> events = ControlEvents();
    if (!events) return kNoInterface;
    out = std::move(events);
    return kOk;
  }
  return AnswerInterfaces<IBaseFilter, IKsPropertySet, ISpecifyPropertyPages, IAMVideoControl, IDeviceControls>(
      this, iid, out);
}

Result CameraFilter::FindKsRecord(CameraCall call, const Guid& propSet, std::uint32_t id, PropertyFamily& family,
                                  KsRecord& record) {
  const std::optional<PropertyFamily> found = KsFamilyOf(propSet);
  const Result admitted = AdmitCameraCall(call, found, id);
  if (Failed(admitted)) return admitted;
  if (!found) return kErrorSetNotFound;
  if (const Result r = GetKsRecord(*found, record); Failed(r)) return r;
  if (id != 0) return kErrorNotFound;
  family = *found;
  return kOk;
}

Result CameraFilter::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, void* propertyData,
                         std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  PropertyFamily family = PropertyFamily::Flash;
  KsRecord record;
  if (const Result found = FindKsRecord(CameraCall::KsGet, propSet, id, family, record); Failed(found)) return found;
  bytesReturned = kKsRecordBytes;
  if (propertyData == nullptr || dataLength < kKsRecordBytes) return kErrorMoreData;
  const std::uint32_t words[2] = {record.mode, record.capabilities};
  std::memcpy(propertyData, words, kKsRecordBytes);
  return kOk;
}

Result CameraFilter::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, const void* propertyData,
                         std::uint32_t dataLength) {
  PropertyFamily family = PropertyFamily::Flash;
  KsRecord current;
  if (const Result found = FindKsRecord(CameraCall::KsSet, propSet, id, family, current); Failed(found)) return found;
  if (propertyData == nullptr || dataLength < kKsRecordBytes) return kErrorInsufficientBuffer;
  std::uint32_t words[2];
  std::memcpy(words, propertyData, kKsRecordBytes);
  return SetKsRecord(family, {words[0], words[1]});
}

Result CameraFilter::GetPages(std::vector<Guid>& pages) {
  pages.clear();
  const Result admitted = AdmitCameraCall(CameraCall::GetPages, std::nullopt, 0);
  if (Failed(admitted)) return admitted;
  pages.push_back(guids::CameraSettingsPage);
  return kOk;
}

}  // namespace tavelo::platform
