#include "cli/Output.h"

#include <QJsonDocument>
#include <cstdio>

namespace quorvin::cli {

void PrintOut(const QString& text) {
  const QByteArray b = (text + QLatin1Char('\n')).toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), stdout);
  std::fflush(stdout);
}

void PrintJson(const QJsonObject& o) { PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact))); }

QString Printable(const QString& text) {
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
        if (c == U'\\') shown += QLatin1Char('\\');  // so that an escape in the text cannot pass for one of ours
        shown += QString::fromUcs4(&c, 1);
    }
  }
  return shown;
}

}  // namespace quorvin::cli
