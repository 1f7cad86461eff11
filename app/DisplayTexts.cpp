#include "app/DisplayTexts.h"

#include <QLocale>

#include <cmath>

QString FormatEntryText(const TFCameraFormat& format) {
  QString text = QString::number(format.Width) + QLatin1Char('x') + QString::number(format.Height) + QLatin1Char(' ');
  if (format.AvgTimePerFrame != 0) {
    text += QString::number(std::int64_t{10000000} / format.AvgTimePerFrame) + QStringLiteral("Hz ");
  }
  return text + QString::number(format.BitsPerPixel) + QStringLiteral("bpp");
}

QString FormatIconName(std::int32_t height) {
  if (height > 720) return QStringLiteral("res_1080");
  if (height == 720) return QStringLiteral("res_720");
  if (height > 500) return QStringLiteral("res_pal");
  if (height >= 480) return QStringLiteral("res_vga");
  return QStringLiteral("res_ega");
}

QString SliderValueText(double value) {
  // Whole numbers within the exactly representable range print as integers, never with an exponent.
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
    return QString::number(static_cast<qint64>(value));
  }
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

bool SameTextIgnoringAsciiCase(const QString& a, const QString& b) {
  if (a.size() != b.size()) return false;
  const auto fold = [](QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? static_cast<char16_t>(u - u'A' + u'a') : u;
  };
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}
