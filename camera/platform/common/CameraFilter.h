#pragma once

// The filter of a bound camera, the same in every backend: FilterBase with one capture pin, the two
// property interfaces as tear-offs (PropertyTearOff.h) whose calls reach the backend through
// RangedPropertySource, the flash and video-stabilisation property sets (IKsPropertySet), the camera
// settings page with every control the device offers (IDeviceControls), and IAMVideoControl, which has
// no operations the component uses.
//
// A backend refuses calls through the admissions (a camera that has gone, a scripted fault, a removed
// interface) and keeps the kernel-streaming records, if its cameras have any.

#include <cstdint>
#include <memory>
#include <optional>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/CapturePin.h"
#include "camera/platform/common/FilterBase.h"
#include "camera/platform/common/RangedProperties.h"

namespace tavelo::platform {

enum class CameraCall { KsGet, KsSet, GetPages };

class CameraFilter : public FilterBase,
                     public IKsPropertySet,
                     public ISpecifyPropertyPages,
                     public IAMVideoControl,
                     public IDeviceControls,
                     protected RangedPropertySource {
 public:
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) final;

  // IKsPropertySet: property 0 of the flash and stabilisation sets, 8 bytes (mode word, capability
  // word); a short buffer answers kErrorMoreData (Get) or kErrorInsufficientBuffer (Set).
  Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) final;
  Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             const void* propertyData, std::uint32_t dataLength) final;

  // ISpecifyPropertyPages: the settings page built on the property interfaces.
  Result GetPages(std::vector<Guid>& pages) final;

  // IDeviceControls: what the backend's hooks below answer.
  Result DescribeControls(std::vector<ControlClass>& out) final { return DescribeDeviceControls(out); }
  Result GetControl(std::uint32_t id, std::int64_t& value) final { return GetDeviceControl(id, value); }
  Result SetControl(std::uint32_t id, std::int64_t value) final { return SetDeviceControl(id, value); }

 protected:
  CameraFilter(std::string friendlyName, std::shared_ptr<CapturePin> capturePin);

  virtual Result AdmitInterface(Iid iid);
  // A property interface is answered only for a family the camera has.
  virtual bool HasPropertyFamily(PropertyFamily family);
  // `family`: of the property set asked for, nothing for a set that is neither.
  virtual Result AdmitCameraCall(CameraCall call, std::optional<PropertyFamily> family, std::uint32_t id);
  // The record of the flash or stabilisation set; kErrorSetNotFound for a camera without it.
  virtual Result GetKsRecord(PropertyFamily family, KsRecord& out);
  virtual Result SetKsRecord(PropertyFamily family, const KsRecord& record);
  // Every control of the device. By default the properties of the two property interfaces
  // (RangedControls.h); a backend whose driver knows more controls describes them all.
  virtual Result DescribeDeviceControls(std::vector<ControlClass>& out);
  virtual Result GetDeviceControl(std::uint32_t id, std::int64_t& value);
  virtual Result SetDeviceControl(std::uint32_t id, std::int64_t value);
  // What IControlEvents answers: null (the default) for a camera that does not report outside changes.
  virtual std::shared_ptr<IControlEvents> ControlEvents() { return nullptr; }

  // A stopped filter delivers nothing, whoever started its pin's stream.
  void OnStop() override;

 private:
  // The record a Get or Set of the flash or stabilisation set is about, once admitted and checked.
  Result FindKsRecord(CameraCall call, const Guid& propSet, std::uint32_t id, PropertyFamily& family,
                      KsRecord& record);

  const std::shared_ptr<CapturePin> capturePin_;
};

}  // namespace tavelo::platform
