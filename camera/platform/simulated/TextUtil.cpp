#include "camera/platform/simulated/TextUtil.h"

#include <charconv>

namespace tavelo::platform::simulated {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

template <class T>
std::optional<T> ParseWhole(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  T value{};
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) { return ParseWhole<std::int32_t>(text); }

std::optional<std::int64_t> ParseInt64(std::string_view text) { return ParseWhole<std::int64_t>(text); }

std::optional<DecimalFraction> ParseDecimalFraction(std::string_view text) {
  constexpr std::size_t kMostPlaces = 6;
  constexpr std::size_t kMostDigits = 15;  // the numerator times 10^7 stays within 64 bits
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view places = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() && places.empty()) return std::nullopt;
  if (places.size() > kMostPlaces || whole.size() + places.size() > kMostDigits) return std::nullopt;
  DecimalFraction fraction;
  for (std::string_view digits : {whole, places}) {
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      fraction.numerator = fraction.numerator * 10 + static_cast<std::uint64_t>(c - '0');
    }
  }
  for (std::size_t i = 0; i < places.size(); ++i) fraction.denominator *= 10;
  return fraction;
}

std::vector<std::string_view> SplitList(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const bool separator = i == text.size() || text[i] == ',' || text[i] == ' ' || text[i] == '\t';
    if (separator) {
      if (i > start) pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return pieces;
}

}  // namespace tavelo::platform::simulated
