#pragma once

// The Video4Linux2 backend of the capture platform layer: real webcams on Linux.

#include <memory>
#include <string>

#include "camera/platform/CapturePlatform.h"
#include "camera/platform/v4l2/V4l2DeviceList.h"
#include "camera/platform/v4l2/V4l2Syscalls.h"

namespace tavelo::platform {

using v4l2::V4l2Syscalls;

// `syscalls` null means the kernel. Nodes are looked for as `deviceDirectory`/videoN, stable names under
// `deviceDirectory`/v4l/by-id and by-path. sysfs (for nodes that cannot be opened) is consulted only for
// the real "/dev"; the overloads with V4l2Locations name both places.
std::shared_ptr<CapturePlatform> CreateV4l2Platform(std::shared_ptr<V4l2Syscalls> syscalls,
                                                    std::string deviceDirectory = "/dev");
std::shared_ptr<CapturePlatform> CreateV4l2Platform(std::shared_ptr<V4l2Syscalls> syscalls,
                                                    v4l2::V4l2Locations locations);

// Whether at least one video capture node can be listed; the backend chooser's test.
bool V4l2HasCaptureDevice(std::shared_ptr<V4l2Syscalls> syscalls, std::string deviceDirectory = "/dev");
bool V4l2HasCaptureDevice(std::shared_ptr<V4l2Syscalls> syscalls, const v4l2::V4l2Locations& locations);

}  // namespace tavelo::platform
