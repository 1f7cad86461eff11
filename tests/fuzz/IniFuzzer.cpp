// libFuzzer target over the settings file reader and writer. An input is one line of requests,
// "section|key|value|other section|other key", then the bytes of a file. For every input:
//   - decoding and encoding the untouched file gives its bytes back (so untouched lines keep them);
//   - reads give bounded values, and numbers held into a range convert to int without undefined behaviour;
//   - a write reads back as written, leaves another entry as it was, and its bytes read back as its text.
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "settings/IniDocument.h"
#include "settings/IniNumbers.h"
#include "settings/TextEncoding.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "settings fuzzer: %s\n", what);
  std::abort();
}

bool IsBlank(QChar ch) { return ch == u' ' || ch == u'\t'; }

// What a read gives for a written value: line breaks became blanks, blanks at the ends are dropped,
// matching quotes are stripped, and the reader's buffer cuts it.
QString ExpectedReadBack(QString value) {
  for (QChar& ch : value)
    if (ch == u'\r' || ch == u'\n') ch = u' ';
  QStringView view(value);
  while (!view.isEmpty() && IsBlank(view.front())) view = view.mid(1);
  while (!view.isEmpty() && IsBlank(view.back())) view.chop(1);
  if (view.size() >= 2 && view.front() == view.back() && (view.front() == u'"' || view.front() == u'\''))
    view = view.mid(1, view.size() - 2);
  return view.left(TIniDocument::kMaxValueLength).toString();
}

// A key as the writer stores and looks it up: line breaks become blanks, blanks at the ends go.
QString StoredKey(QString key) {
  for (QChar& ch : key)
    if (ch == u'\r' || ch == u'\n') ch = u' ';
  QStringView view(key);
  while (!view.isEmpty() && IsBlank(view.front())) view = view.mid(1);
  while (!view.isEmpty() && IsBlank(view.back())) view.chop(1);
  return view.toString();
}

// Keys the writer accepts: no '=', not read as a comment or a header.
bool UsableKey(const QString& key) {
  const QString stored = StoredKey(key);
  return !stored.contains(u'=') && !stored.startsWith(u';') && !stored.startsWith(u'[');
}

bool SameName(const QString& a, const QString& b) {
  const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (fold(a[i].unicode()) != fold(b[i].unicode())) return false;
  return true;
}

void CheckNumbers(const std::optional<QString>& value) {
  if (!value) return;
  Require(value->size() <= TIniDocument::kMaxValueLength, "value longer than the reader's buffer");
  (void)ParseProfileInteger(*value, 0);
  const double held = HoldReal(ParseReal(*value), 0, -2147483648.0, 2147483647.0);
  Require(held >= -2147483648.0 && held <= 2147483647.0, "held value outside its range");
  (void)static_cast<std::int32_t>(held);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const qsizetype newline = input.indexOf('\n');
  const QByteArray requestLine = newline < 0 ? QByteArray() : input.left(newline);
  const QByteArray fileBytes = newline < 0 ? input : input.mid(newline + 1);
  QList<QString> fields;
  for (const QByteArray& field : requestLine.split('|')) fields.append(QString::fromUtf8(field));
  while (fields.size() < 5) fields.append(QString());
  const QString &section = fields[0], &key = fields[1], &value = fields[2], &otherSection = fields[3],
                &otherKey = fields[4];

  TDecodedText decoded = DecodeText(fileBytes);
  const TTextEncoding found = decoded.Encoding;
  TIniDocument document(decoded.Text);
  Require(document.Text() == decoded.Text, "parsing changed the text");
  TTextEncoding encoding = found;
  QByteArray expectedBytes = fileBytes;
  if (found == TTextEncoding::Utf16LeWithBom && fileBytes.size() % 2 != 0) expectedBytes.chop(1);
  Require(EncodeText(document.Text(), encoding) == expectedBytes, "untouched file changed its bytes");
  Require(encoding == found, "untouched file changed its encoding");

  CheckNumbers(document.Value(section, key));
  const std::optional<QString> otherBefore = document.Value(otherSection, otherKey);
  CheckNumbers(otherBefore);

  if (!UsableKey(key)) return 0;
  document.SetValue(section, key, value);
  const std::optional<QString> readBack = document.Value(section, key);
  Require(readBack && *readBack == ExpectedReadBack(value), "written value does not read back");
  const bool sameEntry = SameName(TIniDocument::SectionName(section), TIniDocument::SectionName(otherSection)) &&
                         SameName(StoredKey(key), StoredKey(otherKey));
  if (!sameEntry) Require(document.Value(otherSection, otherKey) == otherBefore, "write changed another entry");

  const QString text = document.Text();
  const QByteArray written = EncodeText(text, encoding);
  Require(DecodeText(written).Text == text, "written bytes read back as other text");
  return 0;
}
