#include "sim/model/DeviceLog.h"

namespace quorvin {

QString HexByte(std::uint8_t b) {
  return QStringLiteral("0x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

void DeviceLog::Add(LogEntry entry) {
  if (m_sink) m_sink(entry);
  if (m_capacity == 0) return;
  if (m_entries.size() >= m_capacity) {
    m_entries.pop_front();
    ++m_dropped;
  }
  m_entries.push_back(std::move(entry));
}

void DeviceLog::AddNote(qint64 atMs, const QString& note, LogLink link) {
  LogEntry e;
  e.atMs = atMs;
  e.kind = LogKind::Note;
  e.link = link;
  e.note = note;
  Add(std::move(e));
}

void DeviceLog::Clear() {
  m_entries.clear();
  m_dropped = 0;
}

int DeviceLog::CountFromHost(unsigned char command) const {
  int n = 0;
  for (const auto& e : m_entries)
    if (e.kind == LogKind::FromHost && e.link == LogLink::Usb && e.bytes.size() > 4 &&
        static_cast<unsigned char>(e.bytes[4]) == command)
      ++n;
  return n;
}

namespace {
// A USB report carries zero padding after the frame; printing it would drown the trace.
qsizetype ShownLength(const LogEntry& e) {
  const QByteArray& b = e.bytes;
  if (e.link != LogLink::Usb || b.size() < 6) return b.size();
  if (static_cast<unsigned char>(b[1]) != 0x55 || static_cast<unsigned char>(b[2]) != 0xAA) return b.size();
  const qsizetype end = 7 + static_cast<unsigned char>(b[5]);
  return end <= b.size() ? end : b.size();
}
}  // namespace

QString DeviceLog::Format(const LogEntry& entry, qint64 originMs) {
  const QString when = QStringLiteral("%1 ms").arg(entry.atMs - originMs, 9);
  const QString link = entry.link == LogLink::Usb ? QStringLiteral("usb") : QStringLiteral("serial");
  if (entry.kind == LogKind::Note) return QStringLiteral("%1 %2 -- %3").arg(when, link, entry.note);
  const QString dir = entry.kind == LogKind::FromHost ? QStringLiteral("host>") : QStringLiteral("<dev ");
  QString line = QStringLiteral("%1 %2 %3 %4")
                     .arg(when, link, dir, QString::fromLatin1(entry.bytes.left(ShownLength(entry)).toHex(' ')));
  if (!entry.note.isEmpty()) line += QStringLiteral("  (") + entry.note + QLatin1Char(')');
  return line;
}

}  // namespace quorvin
