#pragma once

// The graph objects every backend shares: filter graph, capture graph builder, sample grabber, null
// renderer and the windowless renderer (VideoMixingRenderer9 class). They reach a camera only through
// IFrameSource on its capture pin. The builder made here writes no files (no file maker): backends create
// graph objects through media::CreateMediaGraphObject, which adds that.
//
// The filter graph drives streaming: Run starts each connected capture pin, Pause and Stop stop it
// (waiting for the streaming thread), and releasing the graph stops everything it started.

#include <memory>

#include "camera/platform/Guid.h"
#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

// kClassNotRegistered for a class that is not a graph object; kNoInterface when the object lacks `iid`.
Result CreateGraphObject(const Guid& clsid, Iid iid, std::shared_ptr<void>& out);

}  // namespace tavelo::platform
