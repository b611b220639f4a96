#pragma once
// What quorvinctl writes on standard output: lines of text and --json's one object.

#include <QJsonObject>
#include <QString>

namespace quorvin::cli {

void PrintOut(const QString& text);
void PrintJson(const QJsonObject& o);
// `text` for a line of plain output: control characters and other non-printables (a newline, an
// escape sequence, a bidirectional override) written as \xHH or \u{HHHH}, and a backslash doubled,
// so that text from a file can never draw a line of its own.
[[nodiscard]] QString Printable(const QString& text);

}  // namespace quorvin::cli
