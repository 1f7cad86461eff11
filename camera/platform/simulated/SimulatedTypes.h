#pragma once

// Vocabulary shared by the simulated cameras and the tests that script them: property families, the
// calls a fault can be injected into, and the read-back of a property's live state.

#include <cstdint>
#include <optional>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/RangedProperties.h"

namespace tavelo::platform {

// Properties are named by PropertyFamily and id. The flash and stabilisation records count as
// properties with id 0 whose value is the record's mode word and whose flags are its capability word.

// Calls of the simulated objects that a fault can be attached to.
enum class SimulatedCall {
  QueryInterface,     // any object of the device; narrowed by CallFault::iid
  BindToStorage,      // moniker -> property bag
  BindToObject,       // moniker -> filter
  ReadBagValue,       // property bag Read
  EnumPins,
  QueryFilterInfo,
  GetPages,           // property pages of the filter or the pin
  StateChange,        // the filter's Run, Pause or Stop
  Get,                // IAMVideoProcAmp / IAMCameraControl, narrowed by family and id
  Set,
  GetRange,
  KsGet,              // IKsPropertySet of the filter (flash, stabilisation) or the pin (category)
  KsSet,
  EnumMediaTypes,
  GetFormat,
  SetFormat,
  StartStreaming,
};

// Repeat count meaning "until cleared".
constexpr int kPersistentFault = -1;

// One injected failure: the next `times` calls matching call/family/id/iid answer `result` instead of
// doing their work. Unset narrowing fields match anything. Built like
//   CallFault(SimulatedCall::Set, kErrorDeviceInUse).ForProperty(PropertyFamily::VideoProcAmp, 0).Times(2)
// or by filling in the fields of a default one.
struct CallFault {
  CallFault() = default;
  explicit CallFault(SimulatedCall call, Result result = kFail) : call(call), result(result) {}

  CallFault& ForFamily(PropertyFamily propertyFamily) {
    family = propertyFamily;
    return *this;
  }
  CallFault& ForProperty(PropertyFamily propertyFamily, std::int32_t propertyId) {
    family = propertyFamily;
    id = propertyId;
    return *this;
  }
  CallFault& ForInterface(Iid interfaceId) {
    iid = interfaceId;
    return *this;
  }
  CallFault& Times(int count) {
    times = count;
    return *this;
  }

  SimulatedCall call = SimulatedCall::Get;
  std::optional<PropertyFamily> family;  // Get/Set/GetRange/KsGet/KsSet
  std::optional<std::int32_t> id;        // property id
  std::optional<Iid> iid;                // QueryInterface
  Result result = kFail;
  int times = 1;  // or kPersistentFault
};

// A property's live value and mode flags as the driver holds them.
struct PropertyState {
  std::int32_t value = 0;
  std::int32_t flags = 0;
  friend bool operator==(const PropertyState&, const PropertyState&) = default;
};

}  // namespace tavelo::platform
