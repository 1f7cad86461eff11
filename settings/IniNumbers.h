#pragma once

// Numbers in settings files. Integers are read the way the Windows profile functions read them, so a file
// means the same on both systems; real numbers are written without regard to the user's regional settings
// and read with either decimal separator, so a file keeps its meaning when it moves between locales.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// Leading blanks, an optional sign, then decimal digits or a 0x, 0b or 0o prefix and digits of that base
// ("010" is ten). Reading stops at the first character that is not a digit ("12abc" is 12, "3.9" is 3)
// and wraps modulo 2^32 without an overflow check. Text with no number at all (empty, "abc", "-") gives
// `defaultValue`: the profile functions would read 0 there, but a caller's default is the safer reading of
// a value that says nothing, and every value that does start with a number reads as it does on Windows.
std::int32_t ParseProfileInteger(QStringView text, std::int32_t defaultValue);

// A decimal number with '.' or ',' as separator and an optional exponent, blanks around it allowed and
// nothing else. A value too large for a double reads as an infinity of its sign, too small as zero.
// Anything else (including "nan" and "inf") is no number.
std::optional<double> ParseReal(QStringView text);

// Shortest general form with at most 15 significant digits and '.' as separator; a whole number that an
// integer can hold is written as that integer ("128", "-5").
QString FormatReal(double value);

// `value` held into [min, max]; a missing or NaN value takes `defaultValue`, held into the range as well, so
// the result converts to any integer type that holds min and max without undefined behaviour. An empty
// range (min > max) gives min, a NaN bound 0.
double HoldReal(std::optional<double> value, double defaultValue, double min, double max);
