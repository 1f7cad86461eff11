#pragma once

// Result codes of the capture platform layer.
//
// Every platform call answers a 32-bit code: success when the sign bit is clear, failure when it is set.
// The layout follows the usual severity/facility/code scheme so that codes from different sources
// (the layer itself, Win32-style "not found" codes, errno values of the Linux backend) never collide.

#include <cstdint>
#include <string>

namespace tavelo::platform {

using Result = std::int32_t;

constexpr Result MakeFailure(std::uint32_t facility, std::uint32_t code) {
  return static_cast<Result>(0x80000000u | ((facility & 0x7FFu) << 16) | (code & 0xFFFFu));
}

constexpr bool Succeeded(Result r) { return r >= 0; }
constexpr bool Failed(Result r) { return r < 0; }

// Successes.
constexpr Result kOk = 0;
constexpr Result kFalse = 1;  // "nothing (more)": end of an enumeration, empty category

// Generic failures.
constexpr Result kNotImplemented = static_cast<Result>(0x80004001u);
constexpr Result kNoInterface = static_cast<Result>(0x80004002u);
constexpr Result kNullPointer = static_cast<Result>(0x80004003u);
constexpr Result kFail = static_cast<Result>(0x80004005u);
constexpr Result kUnexpected = static_cast<Result>(0x8000FFFFu);
constexpr Result kOutOfMemory = static_cast<Result>(0x8007000Eu);
constexpr Result kInvalidArg = static_cast<Result>(0x80070057u);
constexpr Result kClassNotAvailable = static_cast<Result>(0x80040111u);
constexpr Result kClassNotRegistered = static_cast<Result>(0x80040154u);

// The two codes that mean "this property (set) does not exist on this device".
constexpr Result kErrorNotFound = static_cast<Result>(0x80070490u);     // the property is not supported
constexpr Result kErrorSetNotFound = static_cast<Result>(0x80070492u);  // the property set is not supported
constexpr Result kErrorInsufficientBuffer = static_cast<Result>(0x8007007Au);
constexpr Result kErrorMoreData = static_cast<Result>(0x800700EAu);

// Media-layer failures (facility 4, the media facility).
constexpr Result kErrorInvalidMediaType = static_cast<Result>(0x80040200u);
constexpr Result kErrorNotConnected = static_cast<Result>(0x80040209u);
constexpr Result kErrorWrongState = static_cast<Result>(0x80040227u);
constexpr Result kErrorNotStopped = static_cast<Result>(0x80040224u);
constexpr Result kErrorCannotRender = static_cast<Result>(0x80040218u);
constexpr Result kErrorNoFrameYet = static_cast<Result>(0x8004025Fu);  // nothing buffered yet
constexpr Result kErrorDeviceInUse = static_cast<Result>(0x80040228u);
constexpr Result kErrorNoDevice = static_cast<Result>(0x80040256u);    // the device went away
constexpr Result kErrorNoPropertyPages = static_cast<Result>(0x80040265u);
// Capture files.
constexpr Result kErrorFileTypeNotSupported = static_cast<Result>(0x80040290u);
constexpr Result kErrorBadFileName = static_cast<Result>(0x80040291u);
constexpr Result kErrorVideoNeedsCompressor = static_cast<Result>(0x80040292u);
constexpr Result kErrorAudioNeedsCompressor = static_cast<Result>(0x80040293u);
constexpr Result kErrorDiskFull = static_cast<Result>(0x80040294u);
constexpr Result kErrorFileWrite = static_cast<Result>(0x80040295u);
constexpr Result kErrorCompressorFailed = static_cast<Result>(0x80040296u);
constexpr Result kStillTransitioning = 0x00040237;                       // success: state change under way

// errno values of the Linux backend keep their number in a facility of their own.
constexpr std::uint32_t kFacilityErrno = 0x0FA;
constexpr Result ResultFromErrno(int err) { return MakeFailure(kFacilityErrno, static_cast<std::uint32_t>(err)); }
constexpr bool IsErrnoResult(Result r) {
  return Failed(r) && ((static_cast<std::uint32_t>(r) >> 16) & 0x7FFu) == kFacilityErrno;
}
constexpr int ErrnoOfResult(Result r) { return static_cast<int>(static_cast<std::uint32_t>(r) & 0xFFFFu); }

// A failed open() of a device node keeps its errno apart from those of requests on an open node:
// "permission denied" at open means the user may not use the device at all, on a request only that
// this one setting is locked.
constexpr std::uint32_t kFacilityOpenErrno = 0x0FB;
constexpr Result ResultFromOpenErrno(int err) { return MakeFailure(kFacilityOpenErrno, static_cast<std::uint32_t>(err)); }

// What a failure says about the device as a whole, whichever backend answered it. Gone: the device was
// unplugged (every later call fails the same way). Access denied: the user may not open it.
bool IsDeviceGone(Result code);
bool IsAccessDenied(Result code);

// The system's message for a code, as a general error report would show it; never empty.
std::string SystemErrorMessage(Result code);

// "0x80004005" form used in messages and logs.
std::string FormatResult(Result code);

}  // namespace tavelo::platform
