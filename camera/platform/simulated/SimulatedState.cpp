#include "camera/platform/simulated/SimulatedState.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "camera/platform/simulated/IniText.h"
#include "camera/platform/simulated/PropertyNames.h"
#include "camera/platform/simulated/TextUtil.h"

namespace tavelo::platform::simulated {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSection = "Camera";
// No state file is this large; anything larger is not one.
constexpr std::uintmax_t kMaxFileBytes = 64 * 1024;

bool Set(const char* variable) { return variable != nullptr && *variable != '\0'; }

// The XDG base directory variables count only when they hold an absolute path.
std::optional<fs::path> AbsoluteFolder(const char* variable) {
  if (!Set(variable)) return std::nullopt;
  fs::path folder(variable);
  if (!folder.is_absolute()) return std::nullopt;
  return folder;
}

// "sim://hd-webcam" -> "sim_hd-webcam": letters, digits, '.', '-' kept, every other run one '_'.
std::string FileStem(const std::string& devicePath) {
  std::string stem;
  for (const char c : devicePath) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '-';
    if (plain) stem += c;
    else if (stem.empty() || stem.back() != '_') stem += '_';
  }
  if (stem.empty() || stem.front() == '.') stem.insert(stem.begin(), '_');
  return stem;
}

// "140, 2" -> {140, 2}; nothing unless exactly two whole numbers.
std::optional<std::pair<std::int32_t, std::int32_t>> NumberPair(std::string_view text) {
  const std::vector<std::string_view> parts = SplitList(text);
  if (parts.size() != 2) return std::nullopt;
  const auto first = ParseInt32(parts[0]);
  const auto second = ParseInt32(parts[1]);
  if (!first || !second) return std::nullopt;
  return std::pair{*first, *second};
}

std::optional<std::string> ReadSmallFile(const fs::path& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  if (error || size > kMaxFileBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// A property's saved mode is taken when the property can be in it, or when it is the power-on mode
// (a profile may give a raw flags word such as 3).
bool ModeAcceptable(const PropertyProfile& property, std::int32_t flags) {
  const bool single = flags == kPropertyFlagsAuto || flags == kPropertyFlagsManual;
  return (single && (flags & property.capabilities) != 0) || flags == property.flags;
}

// One "Key=Value" of the file applied to `state`; false when the line cannot be a state line at all.
bool ApplyEntry(const CameraProfile& profile, std::size_t formatCount, const IniEntry& entry,
                SavedCameraState& state) {
  if (EqualsIgnoreCase(entry.key, "DevicePath")) return true;  // checked before
  if (EqualsIgnoreCase(entry.key, "Format")) {
    const auto index = ParseInt32(entry.value);
    if (!index) return false;
    if (*index >= 0 && static_cast<std::size_t>(*index) < formatCount) state.format = static_cast<std::size_t>(*index);
    return true;
  }
  const auto pair = NumberPair(entry.value);
  if (!pair) return false;
  for (const PropertyFamily family : {PropertyFamily::Flash, PropertyFamily::VideoStabilization}) {
    if (!EqualsIgnoreCase(entry.key, FamilyName(family))) continue;
    std::optional<KsRecordProfile>& record = family == PropertyFamily::Flash ? state.flash : state.stabilization;
    const KsRecordProfile saved{static_cast<std::uint32_t>(pair->first), static_cast<std::uint32_t>(pair->second)};
    if (record && pair->first >= 0 && pair->second >= 0 && KsRecordAcceptable(family, saved)) record = saved;
    return true;
  }
  const auto key = PropertyKeyFromName(entry.key);
  if (!key) return false;
  for (std::size_t i = 0; i < profile.properties.size() && i < state.properties.size(); ++i) {
    const PropertyProfile& property = profile.properties[i];
    if (property.family != key->family || property.id != key->id) continue;
    state.properties[i].value = std::clamp(pair->first, property.min, std::max(property.min, property.max));
    if (ModeAcceptable(property, pair->second)) state.properties[i].flags = pair->second;
  }
  return true;  // a property the camera lacks (its profile changed since) is passed over
}

std::string StateText(const CameraProfile& profile, const SavedCameraState& state) {
  std::ostringstream text;
  text << "; What the simulated camera's driver holds; deleting the file gives its power-on values.\n"
       << "[" << kSection << "]\n"
       << "DevicePath=" << profile.devicePath << "\n"
       << "Format=" << state.format << "\n";
  for (std::size_t i = 0; i < profile.properties.size() && i < state.properties.size(); ++i) {
    const std::string name = PropertyName(profile.properties[i].family, profile.properties[i].id);
    if (!name.empty()) text << name << "=" << state.properties[i].value << ", " << state.properties[i].flags << "\n";
  }
  if (state.flash) text << FamilyName(PropertyFamily::Flash) << "=" << state.flash->mode << ", "
                        << state.flash->capabilities << "\n";
  if (state.stabilization)
    text << FamilyName(PropertyFamily::VideoStabilization) << "=" << state.stabilization->mode << ", "
         << state.stabilization->capabilities << "\n";
  return text.str();
}

}  // namespace

std::optional<fs::path> SimulatedStateFolder(const StateFolderVariables& variables) {
  if (Set(variables.override)) {
    if (std::string_view(variables.override) == "off") return std::nullopt;
    return fs::path(variables.override);
  }
  const fs::path ending = fs::path("tavelo") / "simulated";
  if (const auto runtime = AbsoluteFolder(variables.runtimeDir)) return *runtime / ending;
  if (const auto cache = AbsoluteFolder(variables.cacheHome)) return *cache / ending;
  if (const auto home = AbsoluteFolder(variables.home)) return *home / ".cache" / ending;
  return std::nullopt;
}

std::optional<fs::path> SimulatedStateFolderFromEnvironment() {
  return SimulatedStateFolder({std::getenv("TAVELO_SIMULATED_STATE"), std::getenv("XDG_RUNTIME_DIR"),
                               std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")});
}

fs::path SimulatedStateStore::FileFor(const CameraProfile& profile) const {
  return folder_ / (FileStem(profile.devicePath) + ".state");
}

bool SimulatedStateStore::Load(const CameraProfile& profile, std::size_t formatCount, SavedCameraState& state) const {
  const std::optional<std::string> text = ReadSmallFile(FileFor(profile));
  if (!text) return false;
  std::vector<IniSection> sections;
  IniSyntaxError syntax;
  if (!ParseIniText(*text, sections, syntax)) return false;
  if (sections.size() != 1 || !EqualsIgnoreCase(sections.front().name, kSection)) return false;
  const std::vector<IniEntry>& entries = sections.front().entries;
  // Two cameras whose device paths differ only in punctuation share a file name; the path inside tells.
  const bool ours = std::any_of(entries.begin(), entries.end(), [&](const IniEntry& entry) {
    return EqualsIgnoreCase(entry.key, "DevicePath") && entry.value == profile.devicePath;
  });
  if (!ours) return false;
  SavedCameraState loaded = state;
  for (const IniEntry& entry : entries)
    if (!ApplyEntry(profile, formatCount, entry, loaded)) return false;
  state = std::move(loaded);
  return true;
}

void SimulatedStateStore::Save(const CameraProfile& profile, const SavedCameraState& state) const noexcept {
  try {
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) return;
    const fs::path file = FileFor(profile);
    // A name of this process's own, so two programs saving the same camera never share a half-written file.
    fs::path temporary = file;
    temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out << StateText(profile, state);
      out.close();
      if (!out) {
        fs::remove(temporary, error);
        return;
      }
    }
    fs::rename(temporary, file, error);
    if (error) fs::remove(temporary, error);
  } catch (...) {
    // Out of memory while building the text: the camera goes on without saving.
  }
}

}  // namespace tavelo::platform::simulated
