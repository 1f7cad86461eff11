#pragma once

// The text of an INI file as lines, with the rules for finding and changing one entry. A change touches
// only the line of its entry (or adds lines); every other line keeps its text and its line end, whatever
// it holds: comments, lines that are neither section nor entry, lines before the first section, sections
// that appear twice.
//
// Reading follows the Windows profile functions, so files written on either side mean the same: section
// and key names match regardless of ASCII letter case, only the first section of a name and the first key
// of a name in it count, blanks around names and values are not part of them, and a value in matching
// quotes comes back without them.

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

class TIniDocument {
 public:
  // Values are read up to this many characters, as through the profile functions' 2048-character buffer.
  static constexpr qsizetype kMaxValueLength = 2047;

  TIniDocument() = default;
  explicit TIniDocument(QStringView text);

  QString Text() const;

  // The value of `key` in `section`, or nothing when the section or key is missing.
  std::optional<QString> Value(QStringView section, QStringView key) const;
  // Whether a section of that name is there, even an empty one.
  bool HasSection(QStringView section) const;

  // Replaces the value of the first `key` in the first `section`, keeping the stored spelling of both
  // names; otherwise adds the entry after the last line of the section, or the section with the entry at
  // the end of the text. New lines take the line end the text already uses (CRLF in an empty text).
  // Keys are plain names: no '=' and not starting with '[' or ';'. A line break in a key or value is
  // written as a blank, so a write never breaks the file's lines.
  void SetValue(QStringView section, QStringView key, QStringView value);

  // How a section name is stored and looked up. A line break would end the header line, so it becomes a
  // blank; blanks at the ends are dropped, as readers drop them. A ']' stays: the name ends at the line's
  // last ']', here as in the profile functions, so "[USB Camera [HD]]" is that camera's section on both.
  static QString SectionName(QStringView name);

 private:
  enum class TLineKind : char { Other, Section, Entry };
  enum class TLineEnd : char { None, CrLf, Lf, Cr };  // None only on a last line
  struct TLine {
    QString Text;  // without its line end
    TLineEnd End = TLineEnd::None;
    TLineKind Kind = TLineKind::Other;
    QString Name;             // section name or key, blanks dropped
    qsizetype EqualsAt = -1;  // an entry's '='
  };
  struct TSpan {
    std::size_t Header;
    std::size_t End;  // the next section's header, or the end of the text
  };

  static TLine MakeLine(QString text, TLineEnd end);
  static QStringView EndText(TLineEnd end);
  std::optional<TSpan> FindSection(QStringView name) const;
  std::optional<std::size_t> FindKey(const TSpan& span, QStringView key) const;
  TLineEnd LineEnd() const;

  std::vector<TLine> FLines;
};
