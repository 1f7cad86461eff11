#pragma once

// One INI settings file, opened for one command: read once when the object is made, then read entry by
// entry and written entry by entry. Each write replaces the whole file atomically, keeping the encoding
// and line ends it was found with (a new file is Windows-1252 with CRLF, or UTF-16LE with a byte-order
// mark when some character does not fit), so a file is complete after every entry.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "settings/IniDocument.h"
#include "settings/TextEncoding.h"

// A write that did not happen: the file is as it was before that entry.
class EIniFileError : public std::runtime_error {
 public:
  explicit EIniFileError(const QString& message) : std::runtime_error(message.toStdString()), FMessage(message) {}
  const QString& Message() const { return FMessage; }

 private:
  QString FMessage;
};

class TIniFile {
 public:
  // A missing or unreadable file reads as empty; an unreadable one is never written over.
  explicit TIniFile(QString fileName);

  const QString& FileName() const { return FFileName; }

  bool SectionExists(QStringView section) const { return FDocument.HasSection(section); }
  // A missing section or key gives the default; an empty value gives the empty string.
  QString ReadString(QStringView section, QStringView key, const QString& defaultValue) const;
  // As the profile functions read integers (ParseProfileInteger): an empty value gives the default too.
  std::int32_t ReadInteger(QStringView section, QStringView key, std::int32_t defaultValue) const;
  // Any non-zero integer is true.
  bool ReadBool(QStringView section, QStringView key, bool defaultValue) const;
  // Nothing for a missing entry or one that is not a number (ParseReal); may be infinite.
  std::optional<double> ReadReal(QStringView section, QStringView key) const;
  // The entry held into [min, max]; a missing entry or one that is not a number takes `defaultValue`.
  double ReadRealWithin(QStringView section, QStringView key, double defaultValue, double min, double max) const;

  // Each raises EIniFileError "Unable to write to <file name>" when the file can't be replaced.
  void WriteString(QStringView section, QStringView key, const QString& value);
  void WriteInteger(QStringView section, QStringView key, std::int32_t value);
  void WriteBool(QStringView section, QStringView key, bool value);    // "1" or "0"
  void WriteReal(QStringView section, QStringView key, double value);  // FormatReal

 private:
  QString FFileName;
  TIniDocument FDocument;
  TTextEncoding FEncoding = TTextEncoding::Windows1252;
  bool FUnreadable = false;
};
