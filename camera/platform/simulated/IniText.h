#pragma once

// A small reader for the INI text of profile files: "[Section]" headers, "Key=Value" lines, comment
// lines starting with ';' or '#', blank lines. Names, keys and values are trimmed; a comment is a whole
// line (a ';' inside a value is part of the value). Sections may repeat; the reader keeps them in order
// and leaves it to the caller to decide what a repeat means.

#include <string>
#include <string_view>
#include <vector>

namespace tavelo::platform::simulated {

struct IniEntry {
  std::string key;
  std::string value;
  int line = 0;
};

struct IniSection {
  std::string name;
  int line = 0;
  std::vector<IniEntry> entries;
};

struct IniSyntaxError {
  int line = 0;
  std::string what;
};

// Parses `text`; on a malformed line fills `error` and answers false.
bool ParseIniText(std::string_view text, std::vector<IniSection>& sections, IniSyntaxError& error);

}  // namespace tavelo::platform::simulated
