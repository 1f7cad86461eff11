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
    case kNotImplemented: return "This capture system cannot do that.";
    case kErrorFileTypeNotSupported: return "Capture files can be written as AVI or ASF only.";
    case kErrorBadFileName: return "The capture file needs a file name in a folder that exists.";
    case kErrorVideoNeedsCompressor:
      return "The capture file's type cannot hold the camera's video as it comes; choose a video compressor.";
    case kErrorAudioNeedsCompressor:
      return "The capture file's type cannot hold this sound as it comes; choose an audio compressor.";
    case kErrorDiskFull: return "The disk is full: the recording was stopped, and what was recorded is kept.";
    case kErrorFileWrite: return "The capture file could not be written.";
    case kErrorCompressorFailed: return "The compressor cannot take this stream.";
    default: return "";
  }
}

}  // namespace tavelo::platform
