#include "camera/platform/simulated/ProfileParser.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>

#include "camera/platform/common/FrameTime.h"
#include "camera/platform/simulated/IniText.h"
#include "camera/platform/simulated/PropertyNames.h"
#include "camera/platform/simulated/TextUtil.h"

namespace tavelo::platform::simulated {
namespace {

// Raised inside the parser only; ParseCameraProfile turns it into the caller's message.
struct ProfileError {
  int line = 0;
  std::string what;
};

struct SubtypeInfo {
  std::string_view name;
  Guid subtype;
  std::uint32_t compression;
  std::uint16_t bitCount;  // fixed for uncompressed layouts, a default for compressed ones
  bool compressed;
};

constexpr std::array kSubtypes{
    SubtypeInfo{"YUY2", guids::MediaSubtypeYUY2, MakeFourCC('Y', 'U', 'Y', '2'), 16, false},
    SubtypeInfo{"MJPG", guids::MediaSubtypeMJPG, MakeFourCC('M', 'J', 'P', 'G'), 24, true},
    SubtypeInfo{"RGB24", guids::MediaSubtypeRGB24, 0, 24, false},
    SubtypeInfo{"RGB32", guids::MediaSubtypeRGB32, 0, 32, false},
};

struct NamedNumber {
  std::string_view name;
  std::int64_t value;
};

constexpr std::array kFlagNames{NamedNumber{"Auto", kPropertyFlagsAuto}, NamedNumber{"Manual", kPropertyFlagsManual}};
constexpr std::array kFlashModes{NamedNumber{"Off", 0}, NamedNumber{"On", 1}, NamedNumber{"Auto", 2}};
constexpr std::array kStabilizationModes{NamedNumber{"Off", 0}, NamedNumber{"High", 1}, NamedNumber{"Medium", 2},
                                         NamedNumber{"Low", 3}, NamedNumber{"Auto", 4}};

// The keys of one section, each taken at most once; whatever is left over at the end is a mistake.
class SectionReader {
 public:
  explicit SectionReader(const IniSection& section) : section_(section) {
    std::set<std::string> seen;
    for (const IniEntry& entry : section.entries) {
      if (!seen.insert(ToLowerAscii(entry.key)).second) throw ProfileError{entry.line, "'" + entry.key + "' is given twice"};
    }
  }

  const IniEntry* Find(std::string_view key) {
    for (const IniEntry& entry : section_.entries) {
      if (EqualsIgnoreCase(entry.key, key)) {
        used_.insert(&entry);
        return &entry;
      }
    }
    return nullptr;
  }

  const IniEntry& Require(std::string_view key) {
    const IniEntry* entry = Find(key);
    if (entry == nullptr) {
      throw ProfileError{section_.line, "[" + section_.name + "] needs a value for '" + std::string(key) + "'"};
    }
    return *entry;
  }

  std::int32_t RequireInt(std::string_view key) { return ToInt(Require(key)); }

  std::optional<std::int32_t> OptionalInt(std::string_view key) {
    const IniEntry* entry = Find(key);
    if (entry == nullptr) return std::nullopt;
    return ToInt(*entry);
  }

  static std::int32_t ToInt(const IniEntry& entry) {
    const auto value = ParseInt32(entry.value);
    if (!value) throw ProfileError{entry.line, entry.key + " '" + entry.value + "' is not a whole number"};
    return *value;
  }

  // A number, or one of the names given (letter case ignored).
  template <std::size_t N>
  static std::int64_t ToNamedNumber(const IniEntry& entry, const std::array<NamedNumber, N>& names) {
    for (const NamedNumber& named : names) {
      if (EqualsIgnoreCase(entry.value, named.name)) return named.value;
    }
    if (const auto value = ParseInt64(entry.value)) return *value;
    std::string known;
    for (const NamedNumber& named : names) known += (known.empty() ? "" : ", ") + std::string(named.name);
    throw ProfileError{entry.line, entry.key + " '" + entry.value + "' is neither a number nor one of " + known};
  }

  void RejectUnknownKeys() const {
    for (const IniEntry& entry : section_.entries) {
      if (!used_.contains(&entry)) {
        throw ProfileError{entry.line, "unknown key '" + entry.key + "' in [" + section_.name + "]"};
      }
    }
  }

  int Line() const { return section_.line; }

 private:
  const IniSection& section_;
  std::set<const IniEntry*> used_;
};

// "Auto", "Manual", "Auto Manual", "Auto+Manual" or a number.
std::int32_t ParseCapabilities(const IniEntry& entry) {
  if (const auto number = ParseInt32(entry.value)) return *number;
  std::int32_t flags = 0;
  std::string words = entry.value;
  std::replace(words.begin(), words.end(), '+', ' ');
  for (std::string_view word : SplitList(words)) {
    const auto it = std::find_if(kFlagNames.begin(), kFlagNames.end(),
                                 [&](const NamedNumber& named) { return EqualsIgnoreCase(word, named.name); });
    if (it == kFlagNames.end()) {
      throw ProfileError{entry.line, "Capabilities '" + entry.value + "' should list Auto and/or Manual"};
    }
    flags |= static_cast<std::int32_t>(it->value);
  }
  return flags;
}

void CheckCapabilities(const IniEntry& entry, std::int32_t capabilities) {
  if (capabilities <= 0 || (capabilities & ~(kPropertyFlagsAuto | kPropertyFlagsManual)) != 0) {
    throw ProfileError{entry.line, "Capabilities must be Auto, Manual or both"};
  }
}

std::string RangeText(std::int32_t min, std::int32_t max) { return std::to_string(min) + ".." + std::to_string(max); }

PropertyProfile ReadProperty(const IniSection& section, PropertyKey key) {
  SectionReader reader(section);
  PropertyProfile property;
  property.family = key.family;
  property.id = key.id;
  property.min = reader.RequireInt("Min");
  property.max = reader.RequireInt("Max");
  property.step = reader.OptionalInt("Step").value_or(1);
  const IniEntry& defaultEntry = reader.Require("Default");
  property.defaultValue = SectionReader::ToInt(defaultEntry);
  const IniEntry* valueEntry = reader.Find("Value");
  property.value = valueEntry ? SectionReader::ToInt(*valueEntry) : 0;
  const IniEntry& capabilitiesEntry = reader.Require("Capabilities");
  property.capabilities = ParseCapabilities(capabilitiesEntry);
  CheckCapabilities(capabilitiesEntry, property.capabilities);

  if (property.min > property.max) {
    throw ProfileError{section.line, "Min " + std::to_string(property.min) + " is above Max " +
                                         std::to_string(property.max)};
  }
  if (property.step < 1) throw ProfileError{section.line, "Step must be at least 1"};
  // A Default outside the range is taken as it is: real cameras report such defaults. The power-on value
  // must be one the camera could hold, though.
  if (valueEntry == nullptr) property.value = property.DefaultInRange();
  if (property.value < property.min || property.value > property.max) {
    throw ProfileError{valueEntry ? valueEntry->line : defaultEntry.line, "Value " + std::to_string(property.value) + " lies outside " +
                                             RangeText(property.min, property.max)};
  }

  // The start mode: manual when the property can be manual, unless the file says otherwise. A number
  // is taken as the raw flags word, so a profile can imitate a driver that reports odd flags.
  if (const IniEntry* modeEntry = reader.Find("Mode")) {
    if (const auto raw = ParseInt32(modeEntry->value)) {
      property.flags = *raw;
    } else {
      property.flags = static_cast<std::int32_t>(SectionReader::ToNamedNumber(*modeEntry, kFlagNames));
      if ((property.flags & property.capabilities) == 0) {
        throw ProfileError{modeEntry->line, "Mode " + modeEntry->value + " is not among the Capabilities"};
      }
    }
  } else {
    property.flags = (property.capabilities & kPropertyFlagsManual) ? kPropertyFlagsManual : kPropertyFlagsAuto;
  }
  reader.RejectUnknownKeys();
  return property;
}

template <std::size_t N>
KsRecordProfile ReadKsRecord(const IniSection& section, const std::array<NamedNumber, N>& modes) {
  SectionReader reader(section);
  KsRecordProfile record;
  const IniEntry& modeEntry = reader.Require("Mode");
  const std::int64_t mode = SectionReader::ToNamedNumber(modeEntry, modes);
  if (mode < 0 || mode > modes.back().value) {
    throw ProfileError{modeEntry.line, "Mode " + modeEntry.value + " lies outside 0.." + std::to_string(modes.back().value)};
  }
  record.mode = static_cast<std::uint32_t>(mode);
  const IniEntry& capabilitiesEntry = reader.Require("Capabilities");
  const std::int64_t capabilities = SectionReader::ToNamedNumber(capabilitiesEntry, kFlagNames);
  if (capabilities != kPropertyFlagsAuto && capabilities != kPropertyFlagsManual) {
    throw ProfileError{capabilitiesEntry.line, "Capabilities must be Auto or Manual"};
  }
  record.capabilities = static_cast<std::uint32_t>(capabilities);
  reader.RejectUnknownKeys();
  return record;
}

std::vector<std::int64_t> ReadFrameIntervals(SectionReader& reader) {
  const IniEntry* rates = reader.Find("FrameRates");
  const IniEntry* intervals = reader.Find("FrameIntervals");
  if ((rates == nullptr) == (intervals == nullptr)) {
    throw ProfileError{reader.Line(), "[Format] needs exactly one of FrameRates (per second) and FrameIntervals "
                                      "(100 ns units)"};
  }
  std::vector<std::int64_t> result;
  if (rates != nullptr) {
    for (std::string_view piece : SplitList(rates->value)) {
      const auto fps = ParseDecimalFraction(piece);
      if (!fps || fps->numerator == 0 || fps->numerator > 10000 * fps->denominator) {
        throw ProfileError{rates->line, "frame rate '" + std::string(piece) + "' is not a positive number"};
      }
      // Seconds per frame are the rate turned over, converted as a camera's descriptor would be.
      result.push_back(FrameTimeOfInterval(fps->denominator, fps->numerator));
    }
  } else {
    for (std::string_view piece : SplitList(intervals->value)) {
      const auto interval = ParseInt64(piece);
      if (!interval || *interval < 0) {
        throw ProfileError{intervals->line, "frame interval '" + std::string(piece) + "' is not a whole number >= 0"};
      }
      result.push_back(*interval);
    }
  }
  if (result.empty()) throw ProfileError{(rates ? rates : intervals)->line, "no frame rate given"};
  return result;
}

FormatProfile ReadFormat(const IniSection& section) {
  SectionReader reader(section);
  FormatProfile format;
  const IniEntry& subtypeEntry = reader.Require("Subtype");
  const auto info = std::find_if(kSubtypes.begin(), kSubtypes.end(),
                                 [&](const SubtypeInfo& s) { return EqualsIgnoreCase(subtypeEntry.value, s.name); });
  if (info == kSubtypes.end()) {
    throw ProfileError{subtypeEntry.line, "Subtype '" + subtypeEntry.value + "' is not one of YUY2, MJPG, RGB24, RGB32"};
  }
  format.subtype = info->subtype;
  format.compression = info->compression;
  format.width = reader.RequireInt("Width");
  format.height = reader.RequireInt("Height");
  if (format.width < 2 || format.height < 2 || format.width > 8192 || format.height > 8192) {
    throw ProfileError{section.line, "Width and Height must lie in 2..8192"};
  }
  if (info->subtype == guids::MediaSubtypeYUY2 && format.width % 2 != 0) {
    throw ProfileError{section.line, "YUY2 needs an even Width"};
  }
  const IniEntry* bitCountEntry = reader.Find("BitCount");
  format.bitCount = info->bitCount;
  if (bitCountEntry != nullptr) {
    const std::int32_t bitCount = SectionReader::ToInt(*bitCountEntry);
    if (bitCount <= 0 || bitCount > 64 || (!info->compressed && bitCount != info->bitCount)) {
      throw ProfileError{bitCountEntry->line, "BitCount " + bitCountEntry->value + " does not suit " +
                                                  std::string(info->name)};
    }
    format.bitCount = static_cast<std::uint16_t>(bitCount);
  }
  format.frameIntervals = ReadFrameIntervals(reader);
  if (const IniEntry* header = reader.Find("Header")) {
    if (EqualsIgnoreCase(header->value, "VideoInfo2")) {
      format.extendedHeader = true;
    } else if (!EqualsIgnoreCase(header->value, "VideoInfo")) {
      throw ProfileError{header->line, "Header must be VideoInfo or VideoInfo2"};
    }
  }
  reader.RejectUnknownKeys();
  return format;
}

void ReadDevice(const IniSection& section, CameraProfile& profile) {
  SectionReader reader(section);
  profile.friendlyName = reader.Require("FriendlyName").value;
  profile.devicePath = reader.Require("DevicePath").value;
  if (const IniEntry* description = reader.Find("Description")) profile.description = description->value;
  if (profile.friendlyName.empty()) throw ProfileError{section.line, "FriendlyName is empty"};
  if (profile.devicePath.empty()) throw ProfileError{section.line, "DevicePath is empty"};
  reader.RejectUnknownKeys();
}

CameraProfile ReadProfile(const std::vector<IniSection>& sections) {
  CameraProfile profile;
  bool haveDevice = false;
  std::set<std::string> seenSections;
  for (const IniSection& section : sections) {
    const bool repeatable = EqualsIgnoreCase(section.name, "Format");
    if (!repeatable) {
      if (!seenSections.insert(ToLowerAscii(section.name)).second) {
        throw ProfileError{section.line, "[" + section.name + "] is given twice"};
      }
    }

    if (EqualsIgnoreCase(section.name, "Device")) {
      ReadDevice(section, profile);
      haveDevice = true;
    } else if (repeatable) {
      profile.formats.push_back(ReadFormat(section));
    } else if (EqualsIgnoreCase(section.name, "Flash")) {
      profile.flash = ReadKsRecord(section, kFlashModes);
    } else if (EqualsIgnoreCase(section.name, "VideoStabilization")) {
      profile.stabilization = ReadKsRecord(section, kStabilizationModes);
    } else if (const auto key = PropertyKeyFromName(section.name)) {
      profile.properties.push_back(ReadProperty(section, *key));
    } else {
      throw ProfileError{section.line, "unknown section [" + section.name + "]"};
    }
  }
  if (!haveDevice) throw ProfileError{0, "the [Device] section is missing"};
  return profile;
}

}  // namespace

std::optional<CameraProfile> ParseCameraProfile(std::string_view text, const std::string& sourceName,
                                                std::string* error) {
  const auto fail = [&](int line, const std::string& what) -> std::optional<CameraProfile> {
    if (error != nullptr) *error = sourceName + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what;
    return std::nullopt;
  };
  std::vector<IniSection> sections;
  IniSyntaxError syntax;
  if (!ParseIniText(text, sections, syntax)) return fail(syntax.line, syntax.what);
  try {
    CameraProfile profile = ReadProfile(sections);
    profile.sourceName = sourceName;
    return profile;
  } catch (const ProfileError& e) {
    return fail(e.line, e.what);
  }
}

}  // namespace tavelo::platform::simulated
