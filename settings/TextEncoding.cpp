#include "settings/TextEncoding.h"

#include <array>

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeBom[] = "\xFF\xFE";

// Bytes 0x80 to 0x9F; the rest of the code page is Latin-1. 0x81, 0x8D, 0x8F, 0x90 and 0x9D are
// undefined and keep their C1 control, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAscii(const QByteArray& bytes) {
  for (char byte : bytes)
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  return true;
}

// Valid exactly when decoding and encoding again gives the same bytes: Qt's decoder replaces every
// malformed, overlong or surrogate sequence, so the comparison doubles as the strict check.
bool DecodeUtf8Exactly(const QByteArray& bytes, QString& text) {
  text = QString::fromUtf8(bytes);
  return text.toUtf8() == bytes;
}

QString DecodeUtf16Le(const QByteArray& bytes, qsizetype start) {
  const qsizetype units = (bytes.size() - start) / 2;
  QString text(units, Qt::Uninitialized);
  QChar* out = text.data();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData() + start);
  for (qsizetype i = 0; i < units; ++i) out[i] = QChar(static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
  return text;
}

QByteArray EncodeUtf16Le(const QString& text) {
  QByteArray bytes(kUtf16LeBom, 2);
  bytes.reserve(2 + 2 * text.size());
  for (QChar ch : text) {
    const char16_t unit = ch.unicode();
    bytes.append(static_cast<char>(unit & 0xFF));
    bytes.append(static_cast<char>(unit >> 8));
  }
  return bytes;
}

QString DecodeWindows1252(const QByteArray& bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = Windows1252ToUnicode(static_cast<unsigned char>(bytes[i]));
  return text;
}

bool EncodeWindows1252(const QString& text, QByteArray& bytes) {
  bytes.resize(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int byte = UnicodeToWindows1252(text[i]);
    if (byte < 0) return false;
    bytes[i] = static_cast<char>(byte);
  }
  return true;
}

}  // namespace

QChar Windows1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return QChar(kHighControls[byte - 0x80]);
  return QChar(static_cast<char16_t>(byte));
}

int UnicodeToWindows1252(QChar ch) {
  const char16_t unit = ch.unicode();
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == unit) return static_cast<int>(0x80 + i);
  return -1;
}

TDecodedText DecodeText(const QByteArray& bytes) {
  if (bytes.startsWith(kUtf16LeBom)) return {DecodeUtf16Le(bytes, 2), TTextEncoding::Utf16LeWithBom};
  QString text;
  if (bytes.startsWith(kUtf8Bom) && DecodeUtf8Exactly(bytes.mid(3), text)) return {text, TTextEncoding::Utf8WithBom};
  if (!IsAscii(bytes) && DecodeUtf8Exactly(bytes, text)) return {text, TTextEncoding::Utf8};
  return {DecodeWindows1252(bytes), TTextEncoding::Windows1252};
}

QByteArray EncodeText(const QString& text, TTextEncoding& encoding) {
  QByteArray bytes;
  switch (encoding) {
    case TTextEncoding::Utf16LeWithBom: return EncodeUtf16Le(text);
    case TTextEncoding::Utf8: bytes = text.toUtf8(); break;
    case TTextEncoding::Utf8WithBom: bytes = QByteArray(kUtf8Bom) + text.toUtf8(); break;
    case TTextEncoding::Windows1252:
      if (!EncodeWindows1252(text, bytes)) bytes.clear();
      break;
  }
  // Written bytes must read back as the same text. Windows-1252 fails when a character has no byte, or
  // when the bytes happen to form valid UTF-8 ("Ã©") or a byte-order mark ("ÿþ"); UTF-16 never fails.
  if (!text.isEmpty() && (bytes.isEmpty() || DecodeText(bytes).Text != text)) {
    encoding = TTextEncoding::Utf16LeWithBom;
    return EncodeUtf16Le(text);
  }
  return bytes;
}
