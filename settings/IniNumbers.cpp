#include "settings/IniNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool IsBlank(QChar ch) { return ch == u' ' || ch == u'\t'; }

int DigitValue(QChar ch) {
  const char16_t c = ch.unicode();
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

int PrefixBase(QChar ch) {
  switch (ch.toLatin1()) {
    case 'x':
    case 'X': return 16;
    case 'b':
    case 'B': return 2;
    case 'o':
    case 'O': return 8;
    default: return 0;
  }
}

QStringView TrimBlanks(QStringView text) {
  while (!text.isEmpty() && IsBlank(text.front())) text = text.mid(1);
  while (!text.isEmpty() && IsBlank(text.back())) text.chop(1);
  return text;
}

}  // namespace

std::int32_t ParseProfileInteger(QStringView text, std::int32_t defaultValue) {
  text = TrimBlanks(text);
  if (text.isEmpty()) return defaultValue;
  qsizetype i = 0;
  bool negative = false;
  if (text[i] == u'-' || text[i] == u'+') negative = text[i++] == u'-';
  if (i == text.size() || text[i] < u'0' || text[i] > u'9') return defaultValue;
  int base = 10;
  if (i + 1 < text.size() && text[i] == u'0' && PrefixBase(text[i + 1]) != 0) {
    base = PrefixBase(text[i + 1]);
    i += 2;
  }
  std::uint32_t magnitude = 0;  // unsigned, so the wrap the file format relies on is defined
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) break;
    magnitude = magnitude * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
  }
  if (negative) magnitude = 0u - magnitude;
  return static_cast<std::int32_t>(magnitude);
}

std::optional<double> ParseReal(QStringView text) {
  text = TrimBlanks(text);
  // Checked by hand first: from_chars would also take "inf", "nan" and hexadecimal forms.
  std::string ascii;
  ascii.reserve(static_cast<std::size_t>(text.size()));
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  if (negative) ascii.push_back('-');
  int mantissaDigits = 0;
  long long decimalExponent = 0;  // where the first significant digit sits, for telling overflow from underflow
  bool significant = false;
  bool separator = false;
  for (; i < text.size(); ++i) {
    const QChar ch = text[i];
    if (ch >= u'0' && ch <= u'9') {
      ++mantissaDigits;
      if (ch != u'0') significant = true;
      if (significant && !separator) ++decimalExponent;
      if (!significant && separator) --decimalExponent;
      ascii.push_back(static_cast<char>(ch.unicode()));
    } else if ((ch == u'.' || ch == u',') && !separator) {
      separator = true;
      ascii.push_back('.');
    } else {
      break;
    }
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ascii.push_back('e');
    ++i;
    bool exponentNegative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) exponentNegative = text[i++] == u'-';
    if (exponentNegative) ascii.push_back('-');
    long long exponent = 0;
    int exponentDigits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++exponentDigits) {
      ascii.push_back(static_cast<char>(text[i].unicode()));
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[i].unicode() - u'0');
    }
    if (exponentDigits == 0) return std::nullopt;
    decimalExponent += exponentNegative ? -exponent : exponent;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error == std::errc::result_out_of_range) {
    const double magnitude = decimalExponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
  }
  if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

QString FormatReal(double value) {
  constexpr double kExactIntegerLimit = 1e15;  // beyond it the integer form would show more than 15 digits
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < kExactIntegerLimit)
    return QString::number(static_cast<long long>(value));
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (error != std::errc()) return QStringLiteral("0");
  return QString::fromLatin1(buffer, end - buffer);
}

double HoldReal(std::optional<double> value, double defaultValue, double min, double max) {
  if (std::isnan(min) || std::isnan(max)) return 0.0;
  if (min > max) return min;
  const double result = value && !std::isnan(*value) ? *value : defaultValue;
  if (std::isnan(result)) return min;
  return std::clamp(result, min, max);
}
