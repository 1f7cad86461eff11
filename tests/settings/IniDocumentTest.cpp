// The INI rules on text: what a read finds, and what a write changes, case by case from the observed
// behaviour of the Windows profile functions; every line a write does not own keeps its text.
#include <gtest/gtest.h>

#include <optional>

#include "settings/IniDocument.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

struct ReadCase {
  const char* name;
  const char* text;
  const char* section;
  const char* key;
  std::optional<const char*> expected;
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, FindsWhatTheProfileFunctionsFind) {
  const ReadCase& c = GetParam();
  const TIniDocument document(QString::fromUtf8(c.text));
  const std::optional<QString> value = document.Value(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
  ASSERT_EQ(value.has_value(), c.expected.has_value());
  if (value) {
    EXPECT_EQ(*value, QString::fromUtf8(*c.expected));
  }
}

const ReadCase kReadCases[] = {
    {"Plain", "[Cam]\r\nBrightness=128\r\n", "Cam", "Brightness", "128"},
    {"NamesIgnoreAsciiCase", "[cam]\r\nwidth=5\r\n", "CAM", "WIDTH", "5"},
    {"LettersBeyondAsciiMatchExactly", "[Caméra]\r\nk=1\r\n", "CAMÉRA", "k", std::nullopt},
    {"AsciiPartOfANameStillFolds", "[Caméra]\r\nk=1\r\n", "caméra", "K", "1"},
    {"MissingSection", "[Cam]\r\nk=1\r\n", "Other", "k", std::nullopt},
    {"MissingKey", "[Cam]\r\nk=1\r\n", "Cam", "j", std::nullopt},
    {"EmptyValueIsEmptyNotMissing", "[Cam]\r\nk=\r\n", "Cam", "k", ""},
    {"BlanksAroundNameAndValueDropped", "[Cam]\r\n \tk \t=  v w \t\r\n", "Cam", "k", "v w"},
    {"SemicolonInsideAValueBelongsToIt", "[Cam]\r\nk=a ; b\r\n", "Cam", "k", "a ; b"},
    {"DoubleQuotesStripped", "[Cam]\r\nk=\" x \"\r\n", "Cam", "k", " x "},
    {"SingleQuotesStripped", "[Cam]\r\nk='x'\r\n", "Cam", "k", "x"},
    {"MismatchedQuotesKept", "[Cam]\r\nk=\"x'\r\n", "Cam", "k", "\"x'"},
    {"LoneQuoteKept", "[Cam]\r\nk=\"\r\n", "Cam", "k", "\""},
    {"EqualsInsideAValueBelongsToIt", "[Cam]\r\nk=a=b\r\n", "Cam", "k", "a=b"},
    {"OnlyTheFirstSectionIsSearched", "[A]\r\nk=1\r\n[a]\r\nk=2\r\nj=3\r\n", "A", "j", std::nullopt},
    {"FirstSectionWins", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", "a", "k", "1"},
    {"FirstKeyWins", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1"},
    {"HeaderNameEndsAtLastBracket", "[Cam] text\r\nk=1\r\n", "Cam", "k", "1"},
    {"BlanksInsideBracketsDropped", "[ Cam ]\r\nk=1\r\n", "Cam", "k", "1"},
    {"IndentedHeader", "  [Cam]\r\nk=1\r\n", "Cam", "k", "1"},
    {"UnclosedHeaderIsAnOrdinaryLine", "[A]\r\n[Broken\r\nk=1\r\n", "A", "k", "1"},
    {"UnclosedHeaderIsNoSection", "[A]\r\n[Broken\r\nk=1\r\n", "Broken", "k", std::nullopt},
    {"LastLineWithoutLineEnd", "[A]\r\nk=1", "A", "k", "1"},
    {"CommentLineIsNoEntry", "[A]\r\n;k=1\r\nk=2\r\n", "A", "k", "2"},
    {"EntriesBeforeTheFirstSectionBelongToNone", "k=1\r\n[A]\r\n", "A", "k", std::nullopt},
    {"LineFeedsOnly", "[A]\nk=1\n", "A", "k", "1"},
    {"CarriageReturnsOnly", "[A]\rk=1\r", "A", "k", "1"},
    {"MappedSectionNameFoundUnderTheSameMapping", "[Cam] X]\r\nk=1\r\n", "Cam]\nX", "k", "1"},
    {"BlanksAroundTheAskedNameDropped", "[Cam]\r\nk=1\r\n", "  Cam ", " k ", "1"},
    {"EmptySectionName", "[]\r\nk=1\r\n", "", "k", "1"},
};
INSTANTIATE_TEST_SUITE_P(Cases, IniReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniReadTest, ValuesAreCutTo2047Characters) {
  const QString longValue(5000, u'x');
  const TIniDocument document(QStringLiteral("[A]\r\nk=\"") + longValue + QStringLiteral("\"\r\n"));
  EXPECT_EQ(document.Value(u"A", u"k"), longValue.left(2047));
}

struct WriteCase {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
  friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, ChangesOnlyTheEntrysLine) {
  const WriteCase& c = GetParam();
  TIniDocument document(QString::fromUtf8(c.before));
  document.SetValue(QString::fromUtf8(c.section), QString::fromUtf8(c.key), QString::fromUtf8(c.value));
  EXPECT_EQ(document.Text(), QString::fromUtf8(c.after));
}

const WriteCase kWriteCases[] = {
    {"EmptyTextGetsSectionAndEntryWithCrLf", "", "Cam", "Brightness", "128", "[Cam]\r\nBrightness=128\r\n"},
    {"ExistingValueReplaced", "; top\r\n[Cam]\r\nBrightness=1\r\nGain=2\r\n", "Cam", "Brightness", "128",
     "; top\r\n[Cam]\r\nBrightness=128\r\nGain=2\r\n"},
    {"StoredSpellingKept", "[cam]\r\nbrightness=1\r\n", "CAM", "BRIGHTNESS", "5", "[cam]\r\nbrightness=5\r\n"},
    {"ReplacedLineLosesItsBlanks", "[A]\r\n  k = 1  \r\n", "A", "k", "5", "[A]\r\nk=5\r\n"},
    {"NewKeyAfterTheLastLineOfItsSection", "[A]\r\nx=1\r\n; note\r\n[B]\r\ny=2\r\n", "A", "k", "5",
     "[A]\r\nx=1\r\n; note\r\nk=5\r\n[B]\r\ny=2\r\n"},
    {"NewSectionAtTheEndWithoutBlankLine", "[A]\r\nx=1\r\n", "B", "k", "5", "[A]\r\nx=1\r\n[B]\r\nk=5\r\n"},
    {"NewKeyAfterAnUnendedLastLine", "[A]\r\nx=1", "A", "k", "5", "[A]\r\nx=1\r\nk=5\r\n"},
    {"NewSectionAfterAnUnendedLastLine", "[A]\r\nx=1", "B", "k", "5", "[A]\r\nx=1\r\n[B]\r\nk=5\r\n"},
    {"ReplacedUnendedLastLineStaysUnended", "[A]\r\nk=1", "A", "k", "5", "[A]\r\nk=5"},
    {"LineFeedFileKeepsLineFeeds", "[A]\nx=1\n", "B", "k", "5", "[A]\nx=1\n[B]\nk=5\n"},
    {"NewLinesTakeTheFirstLineEnd", "[A]\nx=1\r\n", "A", "k", "5", "[A]\nx=1\r\nk=5\n"},
    {"FirstOfTwoSectionsUpdated", "[A]\nk=1\n[a]\nk=2\n", "a", "K", "9", "[A]\nk=9\n[a]\nk=2\n"},
    {"FirstOfTwoKeysUpdated", "[A]\nk=1\nK=2\n", "A", "k", "9", "[A]\nk=9\nK=2\n"},
    {"KeyMissingFromTheFirstOfTwoSectionsGoesThere", "[A]\nx=1\n[A]\nk=2\n", "A", "k", "9",
     "[A]\nx=1\nk=9\n[A]\nk=2\n"},
    {"OddLinesKept", "junk before\r\n[A]\r\n[Broken\r\nno equals\r\n\r\n", "A", "k", "1",
     "junk before\r\n[A]\r\n[Broken\r\nno equals\r\n\r\nk=1\r\n"},
    {"HeaderWithTrailingTextKept", "[Cam] text\r\nk=1\r\n", "cam", "k", "2", "[Cam] text\r\nk=2\r\n"},
    {"CommentedKeyIsNotTheKey", "[A]\r\n;k=1\r\n", "A", "k", "2", "[A]\r\n;k=1\r\nk=2\r\n"},
    {"SectionNameWithBracketAndLineBreakMapped", "", "Cam]\r\nX", "k", "1", "[Cam]  X]\r\nk=1\r\n"},
    {"LineBreakInAValueWrittenAsBlank", "", "A", "k", "a\nb", "[A]\r\nk=a b\r\n"},
    {"EmptyValue", "[A]\r\nk=1\r\n", "A", "k", "", "[A]\r\nk=\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Cases, IniWriteTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniWriteTest, WhatIsWrittenReadsBack) {
  TIniDocument document(u"; hand-written\n[Other]\nk=x\n");
  const QString names[] = {QStringLiteral("Cam]1"), QStringLiteral("Cam\n2"), QStringLiteral(" Caméra ")};
  for (int i = 0; i < 3; ++i) document.SetValue(names[i], u"Brightness", QString::number(i));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(document.Value(names[i], u"brightness"), QString::number(i));
  EXPECT_EQ(document.Value(u"other", u"K"), QStringLiteral("x"));
}

// Whatever a file holds, parsing and joining it again gives the same text: the lines a write does not
// touch can only keep their bytes if nothing is lost on the way in.
TEST(IniDocumentTest, TextSurvivesParsingUnchanged) {
  const QString texts[] = {
      QString(),
      QStringLiteral("no line end"),
      QStringLiteral("\r\n\r\n\n\r\r"),
      QStringLiteral("[A]\r\nk=1\n\rmixed\r\r\n"),
      QStringLiteral("[A\t]  \r\n  ; c \r\n=\r\n[=]\r\n"),
      QChar(0) + QStringLiteral("[A]") + QChar(0) + QStringLiteral("=\x01\r\n") + QChar(0xD800) +
          QStringLiteral("x\r\n"),
  };
  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(TIniDocument(text).Text(), text);
  }
}

}  // namespace
}  // namespace tavelo::settingstest
