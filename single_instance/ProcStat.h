#pragma once

// Reading /proc/PID/stat, the one line the kernel keeps about a process.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavelo::single_instance {

// Field 22 of a stat line, the process's start time in clock ticks since boot; nothing when the line is
// not a stat line. The command name (field 2) is in parentheses and may itself hold spaces and
// parentheses, so the fields are counted from the last ')'.
std::optional<std::uint64_t> StartTimeFromStat(std::string_view statLine);

}  // namespace tavelo::single_instance
