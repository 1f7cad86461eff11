#include "camera/platform/simulated/IniText.h"

namespace tavelo::platform::simulated {
namespace {

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool ParseIniText(std::string_view text, std::vector<IniSection>& sections, IniSyntaxError& error) {
  sections.clear();
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // UTF-8 byte-order mark
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    const std::string_view rawLine = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    const std::string_view line = Trim(rawLine);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;

    if (line.front() == '[') {
      if (line.back() != ']') {
        error = {lineNumber, "section header without closing ']'"};
        return false;
      }
      const std::string_view name = Trim(line.substr(1, line.size() - 2));
      if (name.empty()) {
        error = {lineNumber, "empty section name"};
        return false;
      }
      sections.push_back({std::string(name), lineNumber, {}});
      continue;
    }

    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      error = {lineNumber, "expected 'Key=Value', '[Section]' or a comment"};
      return false;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) {
      error = {lineNumber, "missing key before '='"};
      return false;
    }
    if (sections.empty()) {
      error = {lineNumber, "'" + std::string(key) + "' appears before any section"};
      return false;
    }
    sections.back().entries.push_back({std::string(key), std::string(Trim(line.substr(equals + 1))), lineNumber});
  }
  return true;
}

}  // namespace tavelo::platform::simulated
