#pragma once

// Helpers of the settings tests: files as bytes, and readable failure output for Qt strings.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace tavelo::settingstest {

inline QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
  return file.readAll();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Byte strings with embedded NULs and high bytes, written as C literals.
template <std::size_t N>
QByteArray Bytes(const char (&literal)[N]) {
  return QByteArray(literal, N - 1);
}

}  // namespace tavelo::settingstest
