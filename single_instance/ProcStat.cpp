#include "single_instance/ProcStat.h"

#include <algorithm>
#include <charconv>

namespace tavelo::single_instance {

std::optional<std::uint64_t> StartTimeFromStat(std::string_view statLine) {
  const std::size_t close = statLine.rfind(')');
  if (close == std::string_view::npos) return std::nullopt;
  std::string_view rest = statLine.substr(close + 1);

  // After the command name come field 3 (state) onwards: the start time is the 20th of them.
  constexpr int kFieldsToSkip = 22 - 3;
  for (int field = 0;; ++field) {
    const std::size_t begin = rest.find_first_not_of(' ');
    if (begin == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(begin);
    const std::size_t end = std::min(rest.find(' '), rest.size());
    if (field == kFieldsToSkip) {
      std::string_view digits = rest.substr(0, end);
      if (!digits.empty() && digits.back() == '\n') digits.remove_suffix(1);
      std::uint64_t startTime = 0;
      const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), startTime);
      if (error != std::errc() || last != digits.data() + digits.size() || digits.empty()) return std::nullopt;
      return startTime;
    }
    rest.remove_prefix(end);
  }
}

}  // namespace tavelo::single_instance
