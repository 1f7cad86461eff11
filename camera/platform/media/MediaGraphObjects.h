#pragma once

// The graph objects with everything this folder adds: the capture graph builder gets the capture file
// maker (AVI and ASF through FFmpeg); every other class is the shared graph objects' (CreateGraphObject).
// A backend's CreateInstance hands every class but its device enumerator here.

#include <memory>

#include "camera/platform/Guid.h"
#include "camera/platform/Interfaces.h"

namespace tavelo::platform::media {

Result CreateMediaGraphObject(const Guid& clsid, Iid iid, std::shared_ptr<void>& out);

}  // namespace tavelo::platform::media
