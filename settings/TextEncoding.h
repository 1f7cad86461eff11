#pragma once

// The bytes of a settings file and its text. Files travel to and from Windows, whose profile functions
// read a file without a byte-order mark in the ANSI code page (Windows-1252 on Western systems) and one
// with a UTF-16LE mark as UTF-16. Decoding and encoding are exact inverses for every encoding, so lines
// that a write does not touch keep their bytes.

#include <QByteArray>
#include <QString>

enum class TTextEncoding {
  Windows1252,     // no byte-order mark; also every plain ASCII file and every new file
  Utf8,            // no byte-order mark, valid UTF-8 beyond ASCII (written here or by an editor)
  Utf8WithBom,     // kept as found, though Windows would see the mark as part of line 1
  Utf16LeWithBom,  // any Unicode text, read back exactly on Windows
};

struct TDecodedText {
  QString Text;
  TTextEncoding Encoding;
};

// UTF-16LE when the file starts with its mark (a stray odd last byte is dropped); UTF-8 when the bytes,
// after an optional UTF-8 mark, are valid UTF-8 (a marked file that is not reads as Windows-1252, mark
// included, as Windows reads it); otherwise Windows-1252.
TDecodedText DecodeText(const QByteArray& bytes);

// The file's bytes for `text`, which always read back as `text`: when `encoding` can't promise that (a
// character Windows-1252 lacks, bytes that would be taken for UTF-8), UTF-16LE with its mark is written
// instead and `encoding` updated to it.
QByteArray EncodeText(const QString& text, TTextEncoding& encoding);

// Each of the 256 bytes decodes to its own character; the five bytes the code page leaves undefined
// become the C1 controls of the same number, as Windows maps them.
QChar Windows1252ToUnicode(unsigned char byte);
// The byte for `ch`, or -1 when Windows-1252 has none.
int UnicodeToWindows1252(QChar ch);
