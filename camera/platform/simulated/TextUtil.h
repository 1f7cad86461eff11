#pragma once

// Locale-independent text helpers for profile files.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo::platform::simulated {

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);
// The whole text as a 32-bit integer (optional sign, decimal digits); nothing otherwise.
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::int64_t> ParseInt64(std::string_view text);
// A decimal number written with at most six places, such as "7.5", as the exact fraction 75/10.
struct DecimalFraction {
  std::uint64_t numerator = 0;
  std::uint64_t denominator = 1;  // a power of ten
};
// The whole text as such a number (digits, optionally a point and more digits); nothing otherwise.
std::optional<DecimalFraction> ParseDecimalFraction(std::string_view text);
// Splits at commas and/or whitespace, dropping empty pieces: "30, 15 7.5" -> {"30", "15", "7.5"}.
std::vector<std::string_view> SplitList(std::string_view text);

}  // namespace tavelo::platform::simulated
