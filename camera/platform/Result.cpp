#include "camera/platform/Result.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavelo::platform {

std::string FormatResult(Result code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

bool IsDeviceGone(Result code) { return code == kErrorNoDevice || code == ResultFromErrno(ENODEV); }

bool IsAccessDenied(Result code) { return code == ResultFromOpenErrno(EACCES) || code == ResultFromOpenErrno(EPERM); }

std::string SystemErrorMessage(Result code) {
  switch (code) {
    case kNotImplemented: return "Not implemented";
    case kNoInterface: return "No such interface supported";
    case kNullPointer: return "Invalid pointer";
    case kFail: return "Unspecified error";
    case kUnexpected: return "Catastrophic failure";
    case kOutOfMemory: return "Not enough memory resources are available to complete this operation";
    case kInvalidArg: return "The parameter is incorrect";
    case kClassNotAvailable: return "ClassFactory cannot supply requested class";
    case kClassNotRegistered: return "Class not registered";
    case kErrorNotFound: return "Element not found";
    case kErrorSetNotFound: return "The property set specified is not found on this device";
    case kErrorInsufficientBuffer: return "The data area passed to a system call is too small";
    case kErrorMoreData: return "More data is available";
    default: break;
  }
  if (IsErrnoResult(code)) {
    // strerror is not thread-safe; strerrordesc_np is, and never allocates.
    const char* text = strerrordesc_np(ErrnoOfResult(code));
    if (text != nullptr) return text;
  }
  return "Error " + FormatResult(code);
}

}  // namespace tavelo::platform
