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
// The whole text as a decimal number such as "7.5"; nothing otherwise.
std::optional<double> ParseDecimal(std::string_view text);
// Splits at commas and/or whitespace, dropping empty pieces: "30, 15 7.5" -> {"30", "15", "7.5"}.
std::vector<std::string_view> SplitList(std::string_view text);

}  // namespace tavelo::platform::simulated
