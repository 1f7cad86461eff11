#include "camera/platform/common/MediaErrorText.h"

namespace tavelo::platform {

std::string MediaErrorText(Result code) {
  switch (code) {
    case kErrorInvalidMediaType: return "The video format is not valid for this camera.";
    case kErrorNotConnected: return "The filter is not connected to a video stream.";
    case kErrorWrongState: return "The operation is not possible in the current state.";
    case kErrorNotStopped: return "The operation needs the capture graph to be stopped.";
    case kErrorCannotRender: return "The video stream cannot be connected to the requested filters.";
    case kErrorNoFrameYet: return "No video frame has arrived yet.";
    case kErrorDeviceInUse: return "The camera is in use by another program.";
    case kErrorNoDevice: return "The camera was disconnected.";
    case kErrorNoPropertyPages: return "The object has no property pages.";
    case kStillTransitioning: return "The state change is still in progress.";
    // The only unimplemented service of the shared graph objects is the capture file.
    case kNotImplemented: return "This capture system cannot do that yet (for example, write a capture file).";
    default: return "";
  }
}

}  // namespace tavelo::platform
