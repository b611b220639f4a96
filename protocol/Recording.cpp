#include "protocol/Recording.h"

#include <QList>
#include <algorithm>
#include <cctype>

#include "protocol/Frame.h"

namespace quorvin {

QByteArray RecordingHeader(const QString& tool, const QString& link) {
  return QByteArrayLiteral("quorvin-recording ") + QByteArray::number(kRecordingVersion) + "\ntool " + tool.toUtf8() +
         "\nlink " + link.toUtf8() + '\n';
}

QByteArray RecordingLine(const RecordedEvent& event) {
  return QByteArray::number(event.ms) + (event.fromHost ? " > " : " < ") + event.bytes.toHex() + '\n';
}

bool ParseRecording(const QByteArray& text, Recording& out, QString* error) {
  out = Recording();
  qsizetype offset = 0;
  int header = 0;  // how many of the three header lines have been read
  const auto fail = [&](const char* what) {
    if (error) *error = QStringLiteral("byte %1: %2").arg(offset).arg(QLatin1String(what));
    return false;
  };
  while (offset < text.size()) {
    const qsizetype end = text.indexOf('\n', offset);
    if (end < 0) return fail("the last line is cut short (no line end)");
    const QByteArray line = text.mid(offset, end - offset);
    if (line.startsWith('#') || line.isEmpty()) {
      offset = end + 1;
      continue;
    }
    if (header == 0) {
      if (line != "quorvin-recording " + QByteArray::number(kRecordingVersion))
        return fail("not a recording of this version (it must begin \"quorvin-recording 1\")");
    } else if (header == 1) {
      if (!line.startsWith("tool ")) return fail("\"tool VERSION\" expected");
      out.tool = QString::fromUtf8(line.mid(5));
    } else if (header == 2) {
      if (line != "link usb" && line != "link serial") return fail("\"link usb\" or \"link serial\" expected");
      out.link = QString::fromLatin1(line.mid(5));
    } else {
      const QList<QByteArray> parts = line.split(' ');
      bool ok = false;
      RecordedEvent e;
      e.ms = parts.size() == 3 ? parts[0].toLongLong(&ok) : 0;
      if (!ok || e.ms < 0) return fail("an event must read \"MS > HEX\" or \"MS < HEX\"");
      if (e.ms > kMaxRecordingMs) return fail("the time is more than a week after the start");
      if (!out.events.empty() && e.ms < out.events.back().ms) return fail("the time goes backwards");
      if (parts[1] != ">" && parts[1] != "<") return fail("the direction must be > or <");
      e.fromHost = parts[1] == ">";
      const QByteArray& hex = parts[2];
      if (hex.isEmpty() || hex.size() % 2 != 0 ||
          std::any_of(hex.begin(), hex.end(), [](char c) { return !std::isxdigit(static_cast<unsigned char>(c)); }))
        return fail("the bytes must be an even number of hex digits");
      e.bytes = QByteArray::fromHex(hex);
      if (out.link == QLatin1String("usb") && e.bytes.size() != static_cast<qsizetype>(kReportSize))
        return fail("a usb event must be one whole report of 65 bytes");
      out.events.push_back(std::move(e));
    }
    ++header;
    offset = end + 1;
  }
  if (header < 3) return fail("the header is incomplete");
  return true;
}

}  // namespace quorvin
