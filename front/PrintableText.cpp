#include "front/PrintableText.h"

#include <QList>
#include <algorithm>

namespace quorvin {

QString PrintableText(const QString& text, bool doubleBackslash) {
  // Most text is plain printable ASCII and is shown as it is, without a copy: a history of years
  // goes through here cell by cell.
  const bool plain = std::all_of(text.cbegin(), text.cend(), [doubleBackslash](QChar c) {
    return c.unicode() >= 0x20 && c.unicode() < 0x7f && !(doubleBackslash && c == QLatin1Char('\\'));
  });
  if (plain) return text;
  QString shown;
  shown.reserve(text.size());
  for (const char32_t c : text.toUcs4()) {
    switch (QChar::category(c)) {
      case QChar::Other_Control:
      case QChar::Other_Format:  // bidirectional overrides too: they would reorder what follows
      case QChar::Other_Surrogate:
      case QChar::Other_PrivateUse:
      case QChar::Other_NotAssigned:
      case QChar::Separator_Line:
      case QChar::Separator_Paragraph:
        shown += c < 0x100 ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'))
                           : QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
        break;
      default:
        if (doubleBackslash && c == U'\\') shown += QLatin1Char('\\');
        shown += QString::fromUcs4(&c, 1);
    }
  }
  return shown;
}

}  // namespace quorvin
