#pragma once

// How the V4L2 backend reports failures: errno values become result codes of their own, so the camera
// component can tell a vanished camera from a busy one from a refused value, and each has a readable text.

#include <cerrno>
#include <cstdint>
#include <string>

#include "camera/platform/Result.h"

namespace tavelo::platform::v4l2 {

// Opening the node failed for a reason other than the device being gone (the facility is shared, so the
// layers above can tell "no permission" from a refused request without knowing this backend).
using platform::kFacilityOpenErrno;
using platform::ResultFromOpenErrno;

// The camera is gone: every call on its node answers this from then on.
constexpr Result kResultDisconnected = ResultFromErrno(ENODEV);

// The code for a failed open() of a node; ENOENT, ENODEV and ENXIO all mean the camera went away.
Result ResultFromOpenFailure(int err);

// The code for a failed ioctl. EINVAL on a control the driver does not know is decided by the caller
// (it means "not supported"), so it is not special here.
Result ResultFromIoctlFailure(int err);

// The readable text of an errno code, an open failure, or a not-supported / refused-value code; empty
// for others (the media codes' texts live with the graph objects).
std::string V4l2ErrorText(Result code);

}  // namespace tavelo::platform::v4l2
