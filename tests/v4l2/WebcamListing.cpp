#include "tests/v4l2/WebcamListing.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace tavelo::v4l2test {
namespace {

enum class Section { Header, Controls, Formats };

[[noreturn]] void Fail(int lineNumber, const std::string& line, const std::string& what) {
  throw std::runtime_error("listing line " + std::to_string(lineNumber) + ": " + what + ": \"" + line + "\"");
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::uint32_t ControlType(const std::string& name) {
  static const std::map<std::string, std::uint32_t> kTypes = {
      {"int", V4L2_CTRL_TYPE_INTEGER},        {"bool", V4L2_CTRL_TYPE_BOOLEAN},
      {"menu", V4L2_CTRL_TYPE_MENU},          {"intmenu", V4L2_CTRL_TYPE_INTEGER_MENU},
      {"button", V4L2_CTRL_TYPE_BUTTON},      {"int64", V4L2_CTRL_TYPE_INTEGER64},
      {"bitmask", V4L2_CTRL_TYPE_BITMASK},    {"str", V4L2_CTRL_TYPE_STRING}};
  const auto it = kTypes.find(name);
  return it == kTypes.end() ? 0 : it->second;
}

std::uint32_t Flags(const std::string& list) {
  std::uint32_t flags = 0;
  std::stringstream stream(list);
  std::string flag;
  while (std::getline(stream, flag, ',')) {
    flag = Trim(flag);
    if (flag == "read-only") flags |= V4L2_CTRL_FLAG_READ_ONLY;
    else if (flag == "write-only") flags |= V4L2_CTRL_FLAG_WRITE_ONLY;
    else if (flag == "disabled") flags |= V4L2_CTRL_FLAG_DISABLED;
    else if (flag == "volatile") flags |= V4L2_CTRL_FLAG_VOLATILE;
    // "inactive" and "update" describe the current state; the fake works them out itself.
  }
  return flags;
}

// "30.000" fps -> 1/30 s; "7.500" -> 2/15 s.
v4l2_fract IntervalFromFps(const std::string& fps) {
  const auto thousandths = static_cast<std::uint32_t>(std::stod(fps) * 1000.0 + 0.5);
  const std::uint32_t divisor = std::gcd(1000u, thousandths);
  return v4l2_fract{1000u / divisor, thousandths / divisor};
}

// "0.033" s -> 33/1000 s.
v4l2_fract IntervalFromSeconds(const std::string& seconds) {
  const auto thousandths = static_cast<std::uint32_t>(std::stod(seconds) * 1000.0 + 0.5);
  const std::uint32_t divisor = std::gcd(1000u, thousandths);
  return v4l2_fract{thousandths / divisor, 1000u / divisor};
}

void ParseControlFields(FakeControl& control, const std::string& fields) {
  std::string rest = fields;
  const auto flagsAt = rest.find("flags=");
  if (flagsAt != std::string::npos) {
    control.flags = Flags(rest.substr(flagsAt + 6));
    rest = rest.substr(0, flagsAt);
  }
  std::stringstream stream(rest);
  std::string field;
  while (stream >> field) {
    const auto equals = field.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = field.substr(0, equals);
    const long long number = std::stoll(field.substr(equals + 1));
    if (key == "min") control.minimum = number;
    else if (key == "max") control.maximum = number;
    else if (key == "step") control.step = static_cast<std::uint64_t>(number);
    else if (key == "default") control.defaultValue = number;
    else if (key == "value") control.value = static_cast<std::int32_t>(number);
  }
  if (control.type == V4L2_CTRL_TYPE_BOOLEAN) {
    control.minimum = 0;
    control.maximum = 1;
    control.step = 1;
  }
}

}  // namespace

const FakeControl* FakeCameraModel::FindControl(const std::string& name) const {
  for (const FakeControl& control : controls)
    if (control.name == name) return &control;
  return nullptr;
}

const FakeControl* FakeCameraModel::FindControl(std::uint32_t id) const {
  for (const FakeControl& control : controls)
    if (control.id == id) return &control;
  return nullptr;
}

FakeCameraModel ParseWebcamListing(const std::string& text) {
  static const std::regex kHeader(R"(^([a-z-]+):\s*(.*)$)");
  static const std::regex kControl(R"(^\s*([a-z0-9_]+)\s+0x([0-9a-f]{8})\s+\(([a-z0-9]+)\)\s*:\s*(.*)$)");
  static const std::regex kMenuItem(R"(^\s*(\d+):\s*(.*)$)");
  static const std::regex kFormat(R"(^\s*\[\d+\]:\s*'(.{4})'\s*\((.*)\)\s*$)");
  static const std::regex kDiscreteSize(R"(^\s*Size: Discrete (\d+)x(\d+)\s*$)");
  static const std::regex kSizeRange(
      R"(^\s*Size: (Stepwise|Continuous) (\d+)x(\d+) - (\d+)x(\d+)(?: with step (\d+)/(\d+))?\s*$)");
  static const std::regex kDiscreteInterval(R"(^\s*Interval: Discrete [\d.]+s \(([\d.]+) fps\)\s*$)");
  static const std::regex kIntervalRange(
      R"(^\s*Interval: (Stepwise|Continuous) [\d.]+s - [\d.]+s(?: with step ([\d.]+)s)? \(([\d.]+)-([\d.]+) fps\)\s*$)");

  FakeCameraModel model;
  Section section = Section::Header;
  std::stringstream stream(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(stream, line)) {
    ++lineNumber;
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    if (trimmed.rfind("$ v4l2-ctl --list-ctrls", 0) == 0) {
      section = Section::Controls;
      continue;
    }
    if (trimmed.rfind("$ v4l2-ctl --list-formats-ext", 0) == 0) {
      section = Section::Formats;
      continue;
    }
    std::smatch match;
    switch (section) {
      case Section::Header: {
        if (!std::regex_match(trimmed, match, kHeader)) Fail(lineNumber, line, "expected \"key: value\"");
        const std::string key = match[1];
        const std::string value = Trim(match[2]);
        if (key == "card") model.card = value;
        else if (key == "driver") model.driver = value;
        else if (key == "bus") model.busInfo = value;
        else if (key == "by-id") model.byIdName = value;
        else if (key == "by-path") model.byPathName = value;
        else if (key == "metadata-node") model.metadataNode = value == "yes";
        else if (key == "multiplanar") model.multiPlanar = value == "yes";
        else Fail(lineNumber, line, "unknown header key");
        break;
      }
      case Section::Controls: {
        if (std::regex_match(line, match, kControl)) {
          FakeControl control;
          control.name = match[1];
          control.id = static_cast<std::uint32_t>(std::stoul(match[2], nullptr, 16));
          control.type = ControlType(match[3]);
          if (control.type == 0) Fail(lineNumber, line, "unknown control type");
          ParseControlFields(control, match[4]);
          model.controls.push_back(std::move(control));
        } else if (std::regex_match(line, match, kMenuItem)) {
          if (model.controls.empty()) Fail(lineNumber, line, "menu item without a control");
          model.controls.back().menu[static_cast<std::uint32_t>(std::stoul(match[1]))] = Trim(match[2]);
        }
        // Class headings ("User Controls", "Camera Controls") carry nothing.
        break;
      }
      case Section::Formats: {
        if (std::regex_match(line, match, kFormat)) {
          FakeFormat format;
          const std::string code = match[1];
          format.pixelFormat = v4l2_fourcc(code[0], code[1], code[2], code[3]);
          format.description = match[2];
          model.formats.push_back(std::move(format));
          break;
        }
        if (trimmed.rfind("ioctl:", 0) == 0 || trimmed.rfind("Type:", 0) == 0) break;
        if (model.formats.empty()) Fail(lineNumber, line, "size or interval before any format");
        FakeFormat& format = model.formats.back();
        if (std::regex_match(line, match, kDiscreteSize)) {
          format.sizes.push_back({static_cast<std::uint32_t>(std::stoul(match[1])),
                                  static_cast<std::uint32_t>(std::stoul(match[2])), {}});
        } else if (std::regex_match(line, match, kSizeRange)) {
          v4l2_frmsize_stepwise range{};
          range.min_width = static_cast<std::uint32_t>(std::stoul(match[2]));
          range.min_height = static_cast<std::uint32_t>(std::stoul(match[3]));
          range.max_width = static_cast<std::uint32_t>(std::stoul(match[4]));
          range.max_height = static_cast<std::uint32_t>(std::stoul(match[5]));
          range.step_width = match[6].matched ? static_cast<std::uint32_t>(std::stoul(match[6])) : 1;
          range.step_height = match[7].matched ? static_cast<std::uint32_t>(std::stoul(match[7])) : 1;
          format.sizeRange = range;
          format.continuousSizes = match[1] == "Continuous";
        } else if (std::regex_match(line, match, kDiscreteInterval)) {
          if (format.sizes.empty()) Fail(lineNumber, line, "interval before any size");
          format.sizes.back().intervals.push_back(IntervalFromFps(match[1]));
        } else if (std::regex_match(line, match, kIntervalRange)) {
          v4l2_frmival_stepwise range{};
          range.min = IntervalFromFps(match[4]);  // the fastest rate is the shortest interval
          range.max = IntervalFromFps(match[3]);
          range.step = match[2].matched ? IntervalFromSeconds(match[2]) : v4l2_fract{1, 1000};
          format.intervalRange = range;
          format.continuousIntervals = match[1] == "Continuous";
        } else {
          Fail(lineNumber, line, "unreadable format line");
        }
        break;
      }
    }
  }
  if (model.card.empty()) throw std::runtime_error("listing without a card name");
  return model;
}

namespace {
// Set by the build as an absolute path: __FILE__ may be relative to the build directory (a compiler cache
// rewrites it so), which would tie the listings to the directory a program happens to start in.
std::filesystem::path ProfileDirectory() { return TAVELO_WEBCAM_PROFILE_DIR; }
}  // namespace

FakeCameraModel LoadWebcamProfile(const std::string& name) {
  const auto path = ProfileDirectory() / (name + ".txt");
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::stringstream text;
  text << in.rdbuf();
  try {
    return ParseWebcamListing(text.str());
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(path.string() + ": " + error.what());
  }
}

std::vector<std::string> WebcamProfileNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ProfileDirectory()))
    if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tavelo::v4l2test
