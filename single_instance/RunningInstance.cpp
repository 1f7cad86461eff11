#include "single_instance/RunningInstance.h"

namespace tavelo::single_instance {
namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

bool StartedBefore(const ProcessEntry& a, const ProcessEntry& b) {
  if (a.startTime != b.startTime) return a.startTime < b.startTime;
  return a.pid < b.pid;
}

}  // namespace

std::string BareImageName(std::string_view imagePath) {
  if (imagePath.ends_with(kDeletedSuffix)) imagePath.remove_suffix(kDeletedSuffix.size());
  const std::size_t slash = imagePath.rfind('/');
  if (slash != std::string_view::npos) imagePath.remove_prefix(slash + 1);
  return std::string(imagePath);
}

bool EarlierCopyRuns(const ProcessEntry& self, std::span<const ProcessEntry> processes) {
  const std::string ownName = BareImageName(self.imagePath);
  if (ownName.empty()) return false;
  for (const ProcessEntry& other : processes) {
    if (other.pid == self.pid || other.imagePath.empty()) continue;
    if (StartedBefore(other, self) && BareImageName(other.imagePath) == ownName) return true;
  }
  return false;
}

}  // namespace tavelo::single_instance
