// Numbers in settings files: integers exactly as the profile functions read them, real numbers with
// either decimal separator and written the same under every locale, and the hold that makes hostile
// values safe to convert.
#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "settings/IniNumbers.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct IntegerCase {
  const char* text;
  std::int32_t expected;  // with default 77
};

TEST(ProfileIntegerTest, ReadsAsTheProfileFunctionsDo) {
  const IntegerCase cases[] = {
      {"128", 128},
      {"-5", -5},
      {"+7", 7},
      {"  42", 42},
      {"010", 10},
      {"0x1F", 31},
      {"0X1f", 31},
      {"-0x10", -16},
      {"0b101", 5},
      {"0B12", 1},
      {"0o17", 15},
      {"0o8", 0},
      {"12abc", 12},
      {"3.9", 3},
      // No number at all: the caller's default, where the profile functions would read 0.
      {"abc", 77},
      {"-", 77},
      {"- 5", 77},
      {"\xD9\xA3", 77},  // an Arabic-Indic digit
      {"0x", 0},
      {"0xG", 0},
      {"", 77},
      {"  \t ", 77},
      {"4294967295", -1},
      {"4294967296", 0},
      {"2147483648", std::numeric_limits<std::int32_t>::min()},
      {"99999999999", 1215752191},
      {"0xFFFFFFFF", -1},
      {"0x1FFFFFFFF", -1},
      {"-2147483649", 2147483647},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseProfileInteger(QString::fromUtf8(c.text), 77), c.expected);
  }
}

struct RealCase {
  const char* text;
  std::optional<double> expected;
};

TEST(RealNumberTest, ReadsEitherSeparatorAndNothingButANumber) {
  const RealCase cases[] = {
      {"128", 128},
      {"-5", -5},
      {"+3", 3},
      {"1.5", 1.5},
      {"1,5", 1.5},
      {" 2.25 \t", 2.25},
      {".5", 0.5},
      {"5.", 5},
      {"1e3", 1000},
      {"1E-3", 0.001},
      {"-2,5e+2", -250},
      {"1e308", 1e308},
      {"1e400", kInf},
      {"-1e400", -kInf},
      {"1e-400", 0},
      {"0e999999", 0},
      {"0.0001e400", kInf},
      {"", std::nullopt},
      {".", std::nullopt},
      {"-", std::nullopt},
      {"nan", std::nullopt},
      {"inf", std::nullopt},
      {"Infinity", std::nullopt},
      {"12abc", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1,2,3", std::nullopt},
      {"1.000,5", std::nullopt},
      {"0x10", std::nullopt},
      {"1e", std::nullopt},
      {"1e+", std::nullopt},
      {"1 2", std::nullopt},
      {"--1", std::nullopt},
  };
  for (const RealCase& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<double> value = ParseReal(QString::fromUtf8(c.text));
    ASSERT_EQ(value.has_value(), c.expected.has_value());
    if (value) {
      EXPECT_EQ(*value, *c.expected);
    }
  }
}

TEST(RealNumberTest, AThousandDigitsOverflowToInfinityNotAnError) {
  EXPECT_EQ(ParseReal(QStringLiteral("1") + QString(1000, u'0')), kInf);
  EXPECT_EQ(ParseReal(QStringLiteral("0.") + QString(1000, u'0') + QStringLiteral("1")), 0.0);
}

// The written form is the same whatever the user's locale, and reads back to the same number.
TEST(RealNumberTest, WritesWholeNumbersPlainAndFractionsWithAPoint) {
  const QLocale previousLocale;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const std::string previousC = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.UTF-8");  // where the system has it

  const struct {
    double value;
    const char* text;
  } cases[] = {
      {128, "128"},
      {-5, "-5"},
      {0, "0"},
      {-0.0, "0"},
      {0.5, "0.5"},
      {-2.25, "-2.25"},
      {1.0 / 3, "0.333333333333333"},
      {1e20, "1e+20"},
      {123456789012345, "123456789012345"},
      {static_cast<double>(0.1f), "0.100000001490116"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatReal(c.value), QString::fromLatin1(c.text));
    EXPECT_EQ(ParseReal(FormatReal(c.value)), std::stod(c.text));
  }

  std::setlocale(LC_ALL, previousC.c_str());
  QLocale::setDefault(previousLocale);
}

TEST(HoldRealTest, KeepsEveryResultInsideTheRange) {
  const struct {
    const char* name;
    std::optional<double> value;
    double defaultValue, min, max, expected;
  } cases[] = {
      {"InsideKept", 3.5, 0, -10, 10, 3.5},
      {"BelowHeld", -11, 0, -10, 10, -10},
      {"AboveHeld", 1e308, 0, -10, 10, 10},
      {"PlusInfinityHeld", kInf, 0, -10, 10, 10},
      {"MinusInfinityHeld", -kInf, 0, -10, 10, -10},
      {"NoNumberTakesTheDefault", std::nullopt, 4, -10, 10, 4},
      {"NaNTakesTheDefault", kNaN, 4, -10, 10, 4},
      {"DefaultOutsideIsHeldToo", std::nullopt, 0, 10, 20, 10},
      {"NaNDefaultGivesMin", std::nullopt, kNaN, 10, 20, 10},
      {"EmptyRangeGivesMin", 5, 0, 10, 0, 10},
      {"NaNBoundGivesZero", 5, 3, kNaN, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HoldReal(c.value, c.defaultValue, c.min, c.max), c.expected);
  }
}

}  // namespace
}  // namespace tavelo::settingstest
