#pragma once

// What a simulated camera is: its identity, its properties with their driver ranges and start values,
// its optional flash and stabilisation records, and its video formats. Read from a profile file
// (ProfileParser.h) and never changed afterwards; the live values sit in SimulatedDevice.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "camera/platform/Guid.h"
#include "camera/platform/simulated/SimulatedTypes.h"

namespace tavelo::platform::simulated {

struct PropertyProfile {
  PropertyFamily family = PropertyFamily::VideoProcAmp;
  std::int32_t id = 0;
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::int32_t step = 1;
  // The driver's word, reported as it is. Some older cameras report one outside the range (57343 for
  // a 0..255 control); everything that needs a value it could take uses DefaultInRange.
  std::int32_t defaultValue = 0;
  std::int32_t value = 0;         // the value at power-on
  std::int32_t capabilities = 0;  // kPropertyFlagsAuto | kPropertyFlagsManual
  std::int32_t flags = 0;         // the mode at power-on (normally one of the capability bits)

  // The default held into [min, max].
  std::int32_t DefaultInRange() const;
};

// The 8-byte record of the flash and video-stabilisation property sets.
using KsRecordProfile = KsRecord;

// Whether a driver takes `record` for the set: a mode the set has (flash Off/On/Auto, stabilisation
// Off/High/Medium/Low/Auto) and a capability word of automatic or manual.
bool KsRecordAcceptable(PropertyFamily family, const KsRecordProfile& record);

struct FormatProfile {
  Guid subtype;
  std::uint32_t compression = 0;  // biCompression: a four-character code, 0 for uncompressed RGB
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;
  std::vector<std::int64_t> frameIntervals;  // 100 ns units, one media type each, in file order
  bool extendedHeader = false;                // offered with the video-info-2 header
};

struct CameraProfile {
  std::string sourceName;  // file the profile came from, for messages
  std::string friendlyName;
  std::string devicePath;
  std::string description;  // may be empty: the property bag then has no Description value
  std::vector<PropertyProfile> properties;
  std::optional<KsRecordProfile> flash;
  std::optional<KsRecordProfile> stabilization;
  std::vector<FormatProfile> formats;

  const PropertyProfile* FindProperty(PropertyFamily family, std::int32_t id) const;
  bool HasFamily(PropertyFamily family) const;
};

}  // namespace tavelo::platform::simulated
