#include "settings/IniDocument.h"

namespace {

bool IsBlank(QChar ch) { return ch == u' ' || ch == u'\t'; }
bool IsLineBreak(QChar ch) { return ch == u'\r' || ch == u'\n'; }

QStringView TrimBlanks(QStringView text) {
  while (!text.isEmpty() && IsBlank(text.front())) text = text.mid(1);
  while (!text.isEmpty() && IsBlank(text.back())) text.chop(1);
  return text;
}

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

// Letters beyond ASCII match only exactly, as on Windows.
bool SameName(QStringView a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i].unicode()) != FoldAscii(b[i].unicode())) return false;
  return true;
}

QString WithoutLineBreaks(QStringView text) {
  QString result = text.toString();
  for (QChar& ch : result)
    if (IsLineBreak(ch)) ch = u' ';
  return result;
}

}  // namespace

TIniDocument::TIniDocument(QStringView text) {
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (!IsLineBreak(text[i])) continue;
    TLineEnd end = text[i] == u'\n' ? TLineEnd::Lf : TLineEnd::Cr;
    if (end == TLineEnd::Cr && i + 1 < text.size() && text[i + 1] == u'\n') end = TLineEnd::CrLf;
    FLines.push_back(MakeLine(text.mid(start, i - start).toString(), end));
    if (end == TLineEnd::CrLf) ++i;
    start = i + 1;
  }
  if (start < text.size()) FLines.push_back(MakeLine(text.mid(start).toString(), TLineEnd::None));
}

QStringView TIniDocument::EndText(TLineEnd end) {
  switch (end) {
    case TLineEnd::CrLf: return u"\r\n";
    case TLineEnd::Lf: return u"\n";
    case TLineEnd::Cr: return u"\r";
    case TLineEnd::None: break;
  }
  return {};
}

TIniDocument::TLine TIniDocument::MakeLine(QString text, TLineEnd end) {
  TLine line;
  line.Text = std::move(text);
  line.End = end;
  const QStringView content = TrimBlanks(line.Text);
  if (content.startsWith(u'[')) {
    // The name ends at the last ']' ("[Cam] text" is "Cam"); without one the line is an ordinary line.
    const qsizetype close = content.lastIndexOf(u']');
    if (close > 0) {
      line.Kind = TLineKind::Section;
      line.Name = TrimBlanks(content.mid(1, close - 1)).toString();
      return line;
    }
  }
  if (content.startsWith(u';')) return line;
  line.EqualsAt = line.Text.indexOf(u'=');
  if (line.EqualsAt >= 0) {
    line.Kind = TLineKind::Entry;
    line.Name = TrimBlanks(QStringView(line.Text).left(line.EqualsAt)).toString();
  }
  return line;
}

QString TIniDocument::SectionName(QStringView name) {
  return TrimBlanks(WithoutLineBreaks(name)).toString();
}

QString TIniDocument::Text() const {
  qsizetype size = 0;
  for (const TLine& line : FLines) size += line.Text.size() + EndText(line.End).size();
  QString text;
  text.reserve(size);
  for (const TLine& line : FLines) text.append(line.Text).append(EndText(line.End));
  return text;
}

std::optional<TIniDocument::TSpan> TIniDocument::FindSection(QStringView name) const {
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (FLines[i].Kind != TLineKind::Section || !SameName(FLines[i].Name, name)) continue;
    std::size_t end = i + 1;
    while (end < FLines.size() && FLines[end].Kind != TLineKind::Section) ++end;
    return TSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> TIniDocument::FindKey(const TSpan& span, QStringView key) const {
  for (std::size_t i = span.Header + 1; i < span.End; ++i)
    if (FLines[i].Kind == TLineKind::Entry && SameName(FLines[i].Name, key)) return i;
  return std::nullopt;
}

std::optional<QString> TIniDocument::Value(QStringView section, QStringView key) const {
  const std::optional<TSpan> span = FindSection(SectionName(section));
  if (!span) return std::nullopt;
  const std::optional<std::size_t> index = FindKey(*span, TrimBlanks(WithoutLineBreaks(key)));
  if (!index) return std::nullopt;
  const TLine& line = FLines[*index];
  QStringView value = TrimBlanks(QStringView(line.Text).mid(line.EqualsAt + 1));
  if (value.size() >= 2 && value.front() == value.back() && (value.front() == u'"' || value.front() == u'\''))
    value = value.mid(1, value.size() - 2);
  return value.left(kMaxValueLength).toString();
}

bool TIniDocument::HasSection(QStringView section) const { return FindSection(SectionName(section)).has_value(); }

TIniDocument::TLineEnd TIniDocument::LineEnd() const {
  for (const TLine& line : FLines)
    if (line.End != TLineEnd::None) return line.End;
  return TLineEnd::CrLf;
}

void TIniDocument::SetValue(QStringView section, QStringView key, QStringView value) {
  const QString sectionName = SectionName(section);
  const QString keyName = TrimBlanks(WithoutLineBreaks(key)).toString();
  const QString valueText = WithoutLineBreaks(value);
  const TLineEnd lineEnd = LineEnd();

  const std::optional<TSpan> span = FindSection(sectionName);
  if (!span) {
    if (!FLines.empty() && FLines.back().End == TLineEnd::None) FLines.back().End = lineEnd;
    FLines.push_back(MakeLine(QLatin1Char('[') + sectionName + QLatin1Char(']'), lineEnd));
    FLines.push_back(MakeLine(keyName + QLatin1Char('=') + valueText, lineEnd));
    return;
  }
  if (const std::optional<std::size_t> index = FindKey(*span, keyName)) {
    TLine& line = FLines[*index];
    line = MakeLine(line.Name + QLatin1Char('=') + valueText, line.End);
    return;
  }
  // Only the text's last line can lack a line end, and the entry goes after it.
  if (FLines[span->End - 1].End == TLineEnd::None) FLines[span->End - 1].End = lineEnd;
  FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(span->End),
                MakeLine(keyName + QLatin1Char('=') + valueText, lineEnd));
}
