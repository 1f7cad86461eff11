#include "settings/IniFile.h"

#include <QFile>
#include <QFileInfo>

#include "settings/AtomicFileWrite.h"
#include "settings/IniNumbers.h"

TIniFile::TIniFile(QString fileName) : FFileName(std::move(fileName)) {
  QFile file(FFileName);
  if (!QFileInfo::exists(FFileName)) return;
  if (!file.open(QIODevice::ReadOnly)) {
    FUnreadable = true;
    return;
  }
  TDecodedText decoded = DecodeText(file.readAll());
  if (file.error() != QFileDevice::NoError) {
    FUnreadable = true;
    return;
  }
  FDocument = TIniDocument(decoded.Text);
  FEncoding = decoded.Encoding;
}

QString TIniFile::ReadString(QStringView section, QStringView key, const QString& defaultValue) const {
  return FDocument.Value(section, key).value_or(defaultValue);
}

std::int32_t TIniFile::ReadInteger(QStringView section, QStringView key, std::int32_t defaultValue) const {
  const std::optional<QString> value = FDocument.Value(section, key);
  return value ? ParseProfileInteger(*value, defaultValue) : defaultValue;
}

bool TIniFile::ReadBool(QStringView section, QStringView key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::optional<double> TIniFile::ReadReal(QStringView section, QStringView key) const {
  const std::optional<QString> value = FDocument.Value(section, key);
  return value ? ParseReal(*value) : std::nullopt;
}

double TIniFile::ReadRealWithin(QStringView section, QStringView key, double defaultValue, double min,
                                double max) const {
  return HoldReal(ReadReal(section, key), defaultValue, min, max);
}

void TIniFile::WriteString(QStringView section, QStringView key, const QString& value) {
  const QString failure = QStringLiteral("Unable to write to %1").arg(FFileName);
  if (FUnreadable) throw EIniFileError(failure);
  // Changed on a copy, so a failed write leaves this object as it leaves the file.
  TIniDocument changed = FDocument;
  changed.SetValue(section, key, value);
  TTextEncoding encoding = FEncoding;
  const QByteArray bytes = EncodeText(changed.Text(), encoding);
  if (!ReplaceFileContents(FFileName, bytes)) throw EIniFileError(failure);
  FDocument = std::move(changed);
  FEncoding = encoding;
}

void TIniFile::WriteInteger(QStringView section, QStringView key, std::int32_t value) {
  WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(QStringView section, QStringView key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteReal(QStringView section, QStringView key, double value) {
  WriteString(section, key, FormatReal(value));
}
