// File bytes and text: which encoding a file is read in, that decoding and encoding lose no byte, and
// what a write does when the text no longer fits the file's encoding.
#include <gtest/gtest.h>

#include <set>

#include "settings/TextEncoding.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

struct DetectionCase {
  const char* name;
  QByteArray bytes;
  TTextEncoding encoding;
  QString text;
  friend void PrintTo(const DetectionCase& c, std::ostream* os) { *os << c.name; }
};

class EncodingDetectionTest : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(EncodingDetectionTest, ReadsTheFileAsWindowsWouldOrAsItsWriterMeant) {
  const DetectionCase& c = GetParam();
  const TDecodedText decoded = DecodeText(c.bytes);
  EXPECT_EQ(decoded.Encoding, c.encoding);
  EXPECT_EQ(decoded.Text, c.text);
}

const DetectionCase kDetectionCases[] = {
    {"EmptyIsWindows1252", QByteArray(), TTextEncoding::Windows1252, QString()},
    {"AsciiIsWindows1252", "[Cam]\r\n", TTextEncoding::Windows1252, QStringLiteral("[Cam]\r\n")},
    {"ValidUtf8", "Cam\xC3\xA9ra", TTextEncoding::Utf8, QStringLiteral("Caméra")},
    {"Windows1252Letter", "Cam\xE9ra", TTextEncoding::Windows1252, QStringLiteral("Caméra")},
    {"EuroSignIsWindows1252", "\x80", TTextEncoding::Windows1252, QStringLiteral("€")},
    {"UndefinedByteKeepsItsNumber", "\x81\x9D", TTextEncoding::Windows1252, QStringLiteral("\u0081\u009D")},
    {"Utf8Bom", "\xEF\xBB\xBF[Cam]", TTextEncoding::Utf8WithBom, QStringLiteral("[Cam]")},
    {"BomBeforeInvalidUtf8ReadsAsWindows", "\xEF\xBB\xBF\xE9", TTextEncoding::Windows1252, QStringLiteral("ï»¿é")},
    {"OverlongUtf8IsNotUtf8", "\xC0\xAF", TTextEncoding::Windows1252, QStringLiteral("À¯")},
    {"EncodedSurrogateIsNotUtf8", "\xED\xA0\x80", TTextEncoding::Windows1252, QStringLiteral("í\u00A0€")},
    {"TruncatedUtf8IsNotUtf8", "a\xC3", TTextEncoding::Windows1252, QStringLiteral("aÃ")},
    {"Utf16LeBom", Bytes("\xFF\xFE[\0A\0]\0\x3A\x04"), TTextEncoding::Utf16LeWithBom, QStringLiteral("[A]к")},
    {"Utf16OddLastByteDropped",
     Bytes("\xFF\xFE"
           "A\0B"),
     TTextEncoding::Utf16LeWithBom, QStringLiteral("A")},
    {"NulBytesAreText", Bytes("a\0b"), TTextEncoding::Windows1252, QString(QChar(u'a')) + QChar(0) + QChar(u'b')},
};
INSTANTIATE_TEST_SUITE_P(Cases, EncodingDetectionTest, ::testing::ValuesIn(kDetectionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Windows1252Test, EveryByteHasItsOwnCharacterAndComesBack) {
  std::set<char16_t> seen;
  for (int byte = 0; byte < 256; ++byte) {
    const QChar ch = Windows1252ToUnicode(static_cast<unsigned char>(byte));
    EXPECT_TRUE(seen.insert(ch.unicode()).second) << byte;
    EXPECT_EQ(UnicodeToWindows1252(ch), byte);
  }
  EXPECT_EQ(UnicodeToWindows1252(QChar(0x0080)), -1);  // the C1 control the euro sign took the place of
  EXPECT_EQ(UnicodeToWindows1252(QChar(0x043A)), -1);
}

// Reading and writing again gives the file's own bytes in every encoding, odd content included.
TEST(TextRoundTripTest, DecodingThenEncodingKeepsEveryByte) {
  QByteArray every1252Byte;
  for (int byte = 1; byte < 256; ++byte) every1252Byte.append(static_cast<char>(byte));
  const QByteArray files[] = {
      every1252Byte,
      Bytes("[A]\r\nk=\0\x01\xFF\n"),
      "[Cam\xC3\xA9ra]\nk=\xF0\x9F\x93\xB7\n",
      "\xEF\xBB\xBF[Cam\xC3\xA9ra]\r\n",
      Bytes("\xFF\xFE[\0\x00\xD8]\0\r\0"),  // a lone surrogate survives too
  };
  for (const QByteArray& bytes : files) {
    SCOPED_TRACE(bytes.toHex().toStdString());
    TDecodedText decoded = DecodeText(bytes);
    const TTextEncoding found = decoded.Encoding;
    EXPECT_EQ(EncodeText(decoded.Text, decoded.Encoding), bytes);
    EXPECT_EQ(decoded.Encoding, found);
  }
}

TEST(TextEncodeTest, Windows1252ThatCannotHoldTheTextBecomesUtf16) {
  TTextEncoding encoding = TTextEncoding::Windows1252;
  EXPECT_EQ(EncodeText(QStringLiteral("[Café]"), encoding), QByteArray("[Caf\xE9]"));
  EXPECT_EQ(encoding, TTextEncoding::Windows1252);

  const QString text = QStringLiteral("[Камера]\r\n");
  const QByteArray bytes = EncodeText(text, encoding);
  EXPECT_EQ(encoding, TTextEncoding::Utf16LeWithBom);
  EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
  EXPECT_EQ(DecodeText(bytes).Text, text);

  // Bytes that another reader would take for UTF-8 or a byte-order mark can't stay Windows-1252 either.
  for (const QString& lookalike : {QStringLiteral("[Ã©]"), QStringLiteral("ÿþ[A]")}) {
    encoding = TTextEncoding::Windows1252;
    const QByteArray written = EncodeText(lookalike, encoding);
    EXPECT_EQ(encoding, TTextEncoding::Utf16LeWithBom);
    EXPECT_EQ(DecodeText(written).Text, lookalike);
  }

  for (TTextEncoding unicode : {TTextEncoding::Utf8, TTextEncoding::Utf8WithBom}) {
    encoding = unicode;
    const QByteArray utf8 = EncodeText(text, encoding);
    EXPECT_EQ(encoding, unicode);
    EXPECT_EQ(DecodeText(utf8).Text, text);
    EXPECT_EQ(DecodeText(utf8).Encoding, unicode);
  }
}

}  // namespace
}  // namespace tavelo::settingstest
