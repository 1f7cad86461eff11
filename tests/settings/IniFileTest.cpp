// Settings files on disk: the bytes of a new file, the encoding and line ends of an existing one kept
// through a write, typed reads with their defaults, and hostile files that load without harm and keep
// every byte the write does not own.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <limits>

#include "settings/IniFile.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

QByteArray Utf16LeWithBom(const QString& text) {
  QByteArray bytes("\xFF\xFE");
  for (QChar ch : text)
    bytes.append(static_cast<char>(ch.unicode() & 0xFF)).append(static_cast<char>(ch.unicode() >> 8));
  return bytes;
}

class IniFileTest : public ::testing::Test {
 protected:
  QString Path() const { return dir_.filePath(QStringLiteral("test.vcs")); }
  QTemporaryDir dir_;
};

TEST_F(IniFileTest, ANewFileIsWindows1252WithCrLfAsWindowsWritesIt) {
  TIniFile file(Path());
  file.WriteReal(u"Caméra", u"Brightness", 128);
  file.WriteReal(u"Caméra", u"Gamma", -5);
  file.WriteBool(u"Caméra", u"CheckBoxBrightness", true);
  file.WriteInteger(u"Caméra", u"PowerFrequency", -1);
  EXPECT_EQ(ReadBytes(Path()),
            QByteArray("[Cam\xE9ra]\r\nBrightness=128\r\nGamma=-5\r\nCheckBoxBrightness=1\r\nPowerFrequency=-1\r\n"));
}

TEST_F(IniFileTest, ANewFileThatWindows1252CannotHoldIsUtf16) {
  TIniFile file(Path());
  file.WriteInteger(u"Камера", u"k", 1);
  file.WriteInteger(u"Камера", u"j", 2);
  EXPECT_EQ(ReadBytes(Path()), Utf16LeWithBom(QStringLiteral("[Камера]\r\nk=1\r\nj=2\r\n")));
  EXPECT_EQ(TIniFile(Path()).ReadInteger(u"камера", u"K", 0), 0);  // beyond ASCII, letter case counts
  EXPECT_EQ(TIniFile(Path()).ReadInteger(u"Камера", u"K", 0), 1);
}

struct KeepCase {
  const char* name;
  QByteArray before;
  const char* section;
  const char* key;
  const char* value;
  QByteArray after;
  friend void PrintTo(const KeepCase& c, std::ostream* os) { *os << c.name; }
};

class IniFileKeepsItsFormTest : public IniFileTest, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(IniFileKeepsItsFormTest, WriteKeepsEncodingAndLineEnds) {
  const KeepCase& c = GetParam();
  ASSERT_TRUE(WriteBytes(Path(), c.before));
  TIniFile file(Path());
  file.WriteString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), QString::fromUtf8(c.value));
  EXPECT_EQ(ReadBytes(Path()).toHex(' ').toStdString(), c.after.toHex(' ').toStdString());
}

const KeepCase kKeepCases[] = {
    {"WrittenByWindows", "[Cam]\r\nBrightness=128\r\n", "CAM", "Gain", "3", "[Cam]\r\nBrightness=128\r\nGain=3\r\n"},
    {"Windows1252WithLineFeeds", "[Caf\xE9]\nk=1\n", "Café", "k", "2", "[Caf\xE9]\nk=2\n"},
    {"Utf8StaysUtf8", "[Caf\xC3\xA9]\n", "Café", "j", "ü", "[Caf\xC3\xA9]\nj=\xC3\xBC\n"},
    {"Utf8BomKept", "\xEF\xBB\xBF[A]\r\n", "A", "k", "é", "\xEF\xBB\xBF[A]\r\nk=\xC3\xA9\r\n"},
    {"Utf16StaysUtf16", Utf16LeWithBom(QStringLiteral("[A]\n")), "a", "k", "1",
     Utf16LeWithBom(QStringLiteral("[A]\nk=1\n"))},
    {"AsciiFileTakesUtf16ForCyrillic", "; c\n[A]\nk=1\n", "Камера", "k", "1",
     Utf16LeWithBom(QStringLiteral("; c\n[A]\nk=1\n[Камера]\nk=1\n"))},
    {"Windows1252FileTakesUtf16KeepingItsLetters", "[Caf\xE9]\r\n", "Камера", "k", "1",
     Utf16LeWithBom(QStringLiteral("[Café]\r\n[Камера]\r\nk=1\r\n"))},
    {"BinaryLinesKept", Bytes("\x01\0\xFF\r\n[A]\r\n\x80\x81=\r\n"), "A", "k", "1",
     Bytes("\x01\0\xFF\r\n[A]\r\n\x80\x81=\r\nk=1\r\n")},
};
INSTANTIATE_TEST_SUITE_P(Cases, IniFileKeepsItsFormTest, ::testing::ValuesIn(kKeepCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, TypedReadsAndTheirDefaults) {
  ASSERT_TRUE(WriteBytes(Path(),
                         "[Cam]\r\nTwo=2\r\nText=abc\r\nEmpty=\r\nComma=1,5\r\nHuge=1e400\r\nNaN=nan\r\n"
                         "Hex=0x10\r\nQuoted= \"7\" \r\nFraction=2.75\r\n"));
  const TIniFile file(Path());
  EXPECT_TRUE(file.ReadBool(u"Cam", u"Two", false));  // any non-zero number is ticked
  // Text with no number says nothing, so it gives the caller's default (the profile functions would read
  // 0 and untick); a settings file's "Auto" entries default to unticked, so text still reads as unticked.
  EXPECT_TRUE(file.ReadBool(u"Cam", u"Text", true));
  EXPECT_FALSE(file.ReadBool(u"Cam", u"Text", false));
  EXPECT_EQ(file.ReadInteger(u"Cam", u"Text", 670), 670);
  EXPECT_TRUE(file.ReadBool(u"Cam", u"Empty", true));
  EXPECT_TRUE(file.ReadBool(u"Cam", u"Missing", true));
  EXPECT_EQ(file.ReadInteger(u"Cam", u"Hex", 0), 16);
  EXPECT_EQ(file.ReadInteger(u"Cam", u"Quoted", 0), 7);
  EXPECT_EQ(file.ReadInteger(u"Cam", u"Fraction", 9), 2);
  EXPECT_EQ(file.ReadInteger(u"Cam", u"Empty", 5), 5);
  EXPECT_EQ(file.ReadInteger(u"Other", u"Two", 5), 5);
  EXPECT_EQ(file.ReadReal(u"Cam", u"Comma"), 1.5);
  EXPECT_EQ(file.ReadReal(u"Cam", u"Huge"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(file.ReadReal(u"Cam", u"NaN"), std::nullopt);
  EXPECT_EQ(file.ReadRealWithin(u"Cam", u"Huge", 0, -64, 64), 64);
  EXPECT_EQ(file.ReadRealWithin(u"Cam", u"NaN", 7, -64, 64), 7);
  EXPECT_EQ(file.ReadRealWithin(u"Cam", u"Text", 0, 10, 20), 10);
  EXPECT_EQ(file.ReadString(u"Cam", u"Empty", QStringLiteral("default")), QString());
  EXPECT_EQ(file.ReadString(u"Cam", u"Missing", QStringLiteral("default")), QStringLiteral("default"));
  EXPECT_EQ(TIniFile(dir_.filePath(QStringLiteral("none.vcs"))).ReadInteger(u"Cam", u"Two", 5), 5);
}

// 64 KiB lines, every byte value, tens of thousands of sections and absurd numbers: reads give safe
// values, and writes change only their own lines (a quadratic search would run into the test timeout).
TEST_F(IniFileTest, HostileFileLoadsSafelyAndKeepsItsBytes) {
  constexpr int kSections = 20000;
  QByteArray everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte.append(static_cast<char>(byte));
  const QByteArray head = QByteArray(65536, 'x') + "\r\n" + everyByte + "\r\n";
  QByteArray sections;
  for (int i = 0; i < kSections; ++i)
    sections += "[S" + QByteArray::number(i) + "]\r\nk=" + QByteArray::number(i) + "\r\n";
  const QByteArray cam = "[Cam]\r\nBrightness=" + QByteArray(65536, '9') + "\r\nGain=-1e308\r\nHue=nan\r\n";
  ASSERT_TRUE(WriteBytes(Path(), head + sections + cam));

  TIniFile file(Path());
  EXPECT_EQ(file.ReadString(u"Cam", u"Brightness", QString()).size(), 2047);
  EXPECT_EQ(file.ReadRealWithin(u"Cam", u"Brightness", 0, -64, 64), 64);
  EXPECT_EQ(file.ReadRealWithin(u"Cam", u"Gain", 0, 0, 100), 0);
  EXPECT_EQ(file.ReadRealWithin(u"Cam", u"Hue", 5, -180, 180), 5);
  EXPECT_EQ(file.ReadInteger(u"S19999", u"k", -1), 19999);

  file.WriteInteger(u"S0", u"k", 5);
  file.WriteReal(u"Cam", u"Brightness", 1);
  for (int i = 0; i < 33; ++i) file.WriteInteger(u"Cam", QStringLiteral("Key%1").arg(i), i);
  QByteArray expected = head + sections + "[Cam]\r\nBrightness=1\r\nGain=-1e308\r\nHue=nan\r\n";
  expected.replace(head.size(), 11, "[S0]\r\nk=5\r\n");
  for (int i = 0; i < 33; ++i) expected += "Key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
  EXPECT_TRUE(ReadBytes(Path()) == expected);
}

}  // namespace
}  // namespace tavelo::settingstest
