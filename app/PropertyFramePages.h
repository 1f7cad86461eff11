#pragma once

// The capture platform's property frame, drawn by the window layer: the pages a request names become the
// frame's tabs. A camera settings page becomes one tab per control class of the device (IDeviceControls),
// a stream format page one tab of the stream's formats (IAMStreamConfig with the pin's media types).
// Page ids the frame does not know are skipped; a request that leaves no tab at all fails with
// kErrorNoPropertyPages, as a frame that cannot be created would.

#include <memory>
#include <vector>

#include "camera/CameraTypes.h"
#include "camera/platform/CapturePlatform.h"
#include "ui/PropertyFrameSources.h"

// The frame's tabs for `request`; `platform` gives the texts of the device's refusals.
std::vector<TPropertyFramePage> PropertyFramePages(tavelo::platform::CapturePlatform& platform,
                                                   const tavelo::platform::PropertyFrameRequest& request,
                                                   tavelo::platform::Result& result);

// Shows the frame modally (TPropertyFrame); what CapturePlatform::SetPropertyFrameHandler is given.
tavelo::platform::Result ShowPropertyFrame(tavelo::platform::CapturePlatform& platform,
                                           const tavelo::platform::PropertyFrameRequest& request);

// "YUY2  640x480  30 fps": what the stream tab lists for a format.
QString StreamFormatText(const TFCameraFormat& format);
