#include "camera/platform/v4l2/V4l2DeviceList.h"

#include <fcntl.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace tavelo::platform::v4l2 {
namespace fs = std::filesystem;
namespace {

struct Node {
  unsigned number;
  fs::path path;
};

// "video12" -> 12; other names are not capture nodes.
std::optional<unsigned> NodeNumber(const std::string& name) {
  constexpr std::string_view kPrefix = "video";
  if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) return std::nullopt;
  unsigned number = 0;
  const char* first = name.data() + kPrefix.size();
  const char* last = name.data() + name.size();
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc() || end != last) return std::nullopt;
  return number;
}

std::vector<Node> ListNodes(const fs::path& directory) {
  std::vector<Node> nodes;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    if (const auto number = NodeNumber(it->path().filename().string())) nodes.push_back({*number, it->path()});
  }
  // Numeric order, so video2 comes before video10.
  std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) { return a.number < b.number; });
  return nodes;
}

std::string Text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

std::optional<std::string> ReadLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// The first link (in name order) in `linkDirectory` that leads to `node`.
std::optional<std::string> LinkTo(const fs::path& linkDirectory, const fs::path& node) {
  std::error_code error;
  std::vector<fs::path> links;
  for (fs::directory_iterator it(linkDirectory, error), end; !error && it != end; it.increment(error))
    if (it->is_symlink(error)) links.push_back(it->path());
  std::sort(links.begin(), links.end());
  for (const fs::path& link : links)
    if (fs::equivalent(link, node, error) && !error) return link.string();
  return std::nullopt;
}

// by-id names the device itself and survives moving it to another port; by-path survives re-plugging it
// into the same port and tells identical cameras apart. Either beats the node number, which the kernel
// hands out in plug order.
std::string StablePath(const fs::path& deviceDirectory, const fs::path& node) {
  for (const char* kind : {"by-id", "by-path"})
    if (auto link = LinkTo(deviceDirectory / "v4l" / kind, node)) return *link;
  return node.string();
}

// The identity of a node that could not be opened, from sysfs. Only the first node of a device
// (index 0) is taken: without QUERYCAP the capture node cannot be told from the metadata node, and
// uvcvideo registers the capture node first.
std::optional<V4l2DeviceIdentity> IdentityFromSysfs(const fs::path& sysfsDirectory, const Node& node) {
  if (sysfsDirectory.empty()) return std::nullopt;
  const fs::path entry = sysfsDirectory / node.path.filename();
  const auto name = ReadLine(entry / "name");
  if (!name) return std::nullopt;
  if (const auto index = ReadLine(entry / "index"); index && *index != "0") return std::nullopt;
  V4l2DeviceIdentity identity;
  identity.node = node.path.string();
  identity.friendlyName = *name;
  std::error_code error;
  const fs::path driver = fs::read_symlink(entry / "device" / "driver", error);
  if (!error) identity.description = driver.filename().string();
  return identity;
}

bool IsByIdPath(const fs::path& deviceDirectory, const std::string& path) {
  return path.rfind((deviceDirectory / "v4l" / "by-id").string() + "/", 0) == 0;
}

// Identical cameras without a serial number share one by-id name, and udev points it at whichever was
// plugged last, so it would follow the other camera after the next re-plug. A by-id link is kept only
// while no other camera of the same name is without one; otherwise each of them goes by its port.
void PreferPortPathsForTwins(const fs::path& deviceDirectory, std::vector<V4l2DeviceIdentity>& devices) {
  std::vector<std::size_t> ambiguous;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (!IsByIdPath(deviceDirectory, devices[i].devicePath)) continue;
    for (std::size_t j = 0; j < devices.size(); ++j)
      if (j != i && devices[j].friendlyName == devices[i].friendlyName &&
          !IsByIdPath(deviceDirectory, devices[j].devicePath)) {
        ambiguous.push_back(i);
        break;
      }
  }
  for (const std::size_t i : ambiguous)
    if (auto byPath = LinkTo(deviceDirectory / "v4l" / "by-path", devices[i].node)) devices[i].devicePath = *byPath;
}

}  // namespace

std::vector<V4l2DeviceIdentity> FindCaptureDevices(V4l2Syscalls& syscalls, const V4l2Locations& locations) {
  std::vector<V4l2DeviceIdentity> devices;
  const fs::path deviceDirectory(locations.deviceDirectory);
  for (const Node& node : ListNodes(deviceDirectory)) {
    const int fd = syscalls.Open(node.path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      if (err == ENOENT || err == ENODEV || err == ENXIO) continue;  // gone while we looked
      if (auto identity = IdentityFromSysfs(locations.sysfsDirectory, node)) {
        identity->devicePath = StablePath(deviceDirectory, node.path);
        devices.push_back(std::move(*identity));
      }
      continue;
    }
    v4l2_capability capability{};
    const bool answered = syscalls.Ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0;
    syscalls.Close(fd);
    if (!answered) continue;
    const std::uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? capability.device_caps
                                                                                     : capability.capabilities;
    const std::optional<V4l2CaptureType> capture = CaptureTypeOf(caps);
    if (!capture) continue;

    V4l2DeviceIdentity identity;
    identity.node = node.path.string();
    identity.capture = *capture;
    identity.friendlyName = Text(reinterpret_cast<const char*>(capability.card), sizeof capability.card);
    identity.devicePath = StablePath(deviceDirectory, node.path);
    identity.description = Text(reinterpret_cast<const char*>(capability.driver), sizeof capability.driver);
    const std::string bus = Text(reinterpret_cast<const char*>(capability.bus_info), sizeof capability.bus_info);
    if (!bus.empty()) identity.description += ", " + bus;
    devices.push_back(std::move(identity));
  }
  PreferPortPathsForTwins(deviceDirectory, devices);
  return devices;
}

}  // namespace tavelo::platform::v4l2
