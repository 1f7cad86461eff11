#include "camera/platform/v4l2/V4l2Errors.h"

#include <cerrno>
#include <cstring>

namespace tavelo::platform::v4l2 {
namespace {

struct ErrnoText {
  int err;
  const char* text;
};

// What a failed request on an open camera means to the user.
constexpr ErrnoText kIoctlTexts[] = {
    {ENODEV, "The camera was disconnected"},
    {EBUSY, "The camera is in use by another program"},
    {EACCES, "The camera does not allow access to this setting now (it is read-only, or under automatic control)"},
    {ERANGE, "The value is outside the range the camera accepts"},
    {EINVAL, "The camera refused the request as invalid"},
    {EIO, "The camera did not carry out the request (input/output error)"},
    {EPIPE, "The camera refused the request"},
    {EPROTO, "The camera answered with a protocol error"},
    {ETIMEDOUT, "The camera did not answer in time"},
    {ENOMEM, "Not enough memory for the camera's buffers"},
    {ENOSPC, "Not enough USB bandwidth for this video format"},
    {ENOTTY, "The device does not support this request"},
    {EAGAIN, "The camera has no frame ready yet"},
};

// What a failed open() means.
constexpr ErrnoText kOpenTexts[] = {
    {EACCES, "Permission to open the camera was denied (the user may need to be in the \"video\" group)"},
    {EPERM, "Permission to open the camera was denied (the user may need to be in the \"video\" group)"},
    {EBUSY, "The camera is in use by another program"},
    {EMFILE, "The camera could not be opened: too many open files"},
    {ENFILE, "The camera could not be opened: too many open files"},
};

struct CodeText {
  Result code;
  const char* text;
};

// Codes of other sources that mean something particular when a camera answers them. The media codes
// (kErrorInvalidMediaType, kErrorWrongState ...) have their texts with the shared graph objects.
constexpr CodeText kCodeTexts[] = {
    {kErrorNotFound, "The camera does not have this property"},
    {kErrorSetNotFound, "The camera does not have this property set"},
    {kInvalidArg, "The camera cannot take this value or mode"},
};

template <std::size_t N>
const char* Find(const ErrnoText (&table)[N], int err) {
  for (const ErrnoText& entry : table)
    if (entry.err == err) return entry.text;
  return nullptr;
}

std::string Describe(int err) {
  const char* text = strerrordesc_np(err);
  return text != nullptr ? text : "Error " + std::to_string(err);
}

}  // namespace

Result ResultFromOpenFailure(int err) {
  if (err == ENOENT || err == ENODEV || err == ENXIO) return kResultDisconnected;
  return ResultFromOpenErrno(err);
}

Result ResultFromIoctlFailure(int err) {
  if (err == ENXIO) return kResultDisconnected;  // some USB paths answer ENXIO after an unplug
  return ResultFromErrno(err);
}

std::string V4l2ErrorText(Result code) {
  for (const CodeText& entry : kCodeTexts)
    if (entry.code == code) return entry.text;
  const auto facility = (static_cast<std::uint32_t>(code) >> 16) & 0x7FFu;
  if (Failed(code) && facility == kFacilityErrno) {
    const int err = ErrnoOfResult(code);
    if (const char* text = Find(kIoctlTexts, err)) return text;
    return "The camera refused the request: " + Describe(err);
  }
  if (Failed(code) && facility == kFacilityOpenErrno) {
    const int err = ErrnoOfResult(code);
    if (const char* text = Find(kOpenTexts, err)) return text;
    return "The camera could not be opened: " + Describe(err);
  }
  return {};
}

}  // namespace tavelo::platform::v4l2
