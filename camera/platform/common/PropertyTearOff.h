#pragma once

// The two property interfaces of a camera filter. Their ids overlap (0 is brightness on one and pan on
// the other), so one object cannot be both: the filter answers each query with a new tear-off object.
// A tear-off is a part of its filter, as the platform's identity rule requires: it keeps the filter
// alive and answers every QueryInterface as the filter does, so QueryInterface(Iid::Unknown) on it
// gives the filter's identity, and so does every other interface.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/RangedProperties.h"

namespace tavelo::platform {

// The family behind a property interface, or nothing for any other interface.
bool IsPropertyInterface(Iid iid);
PropertyFamily PropertyFamilyOf(Iid iid);  // for a property interface

// A new tear-off of `owner` for `iid` (Iid::AMVideoProcAmp or Iid::AMCameraControl) whose calls go to
// `source`, which the owner keeps alive. kNoInterface for any other iid.
Result MakePropertyTearOff(Iid iid, const std::shared_ptr<Unknown>& owner, RangedPropertySource& source,
                           std::shared_ptr<void>& out);

}  // namespace tavelo::platform
