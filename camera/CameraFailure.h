#pragma once

// What a failed camera request means for whoever made it, whichever backend answered it. The window
// decides from this whether one setting was refused (the camera stays usable), the camera as a whole
// cannot be used, or it has gone and the camera list is out of date.

#include <QString>

#include <exception>

enum class TFCameraFailure {
  cfDisconnected,  // the camera was unplugged, or is no longer listed
  cfNoPermission,  // the user may not open the camera
  cfRefused,       // the driver refused this one request; the camera is still there
  cfOther,         // a check of the component, or no camera error at all
};

// The failure held by `error`; cfOther for an empty pointer.
TFCameraFailure CameraFailureOf(std::exception_ptr error);
