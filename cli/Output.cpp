#include "cli/Output.h"

#include <QJsonDocument>
#include <cstdio>

#include "front/PrintableText.h"

namespace quorvin::cli {

void PrintOut(const QString& text) {
  const QByteArray b = (text + QLatin1Char('\n')).toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), stdout);
  std::fflush(stdout);
}

void PrintJson(const QJsonObject& o) { PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact))); }

QString Printable(const QString& text) { return PrintableText(text, /*doubleBackslash=*/true); }

}  // namespace quorvin::cli
