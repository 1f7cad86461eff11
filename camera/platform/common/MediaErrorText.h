#pragma once

// Readable texts for the media-layer result codes of Result.h, as a backend's GetErrorText answers
// them. Codes that are not media codes (generic COM-style and Win32-style failures) have no text here:
// the caller then falls back to the system's message.

#include <string>

#include "camera/platform/Result.h"

namespace tavelo::platform {

std::string MediaErrorText(Result code);

}  // namespace tavelo::platform
