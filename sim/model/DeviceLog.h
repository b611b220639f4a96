#pragma once
// Everything that crossed the virtual repeater's links, with the time it happened: tests read it,
// and `quorvin-sim --trace` prints it as it grows.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

namespace quorvin {

enum class LogKind { FromHost, ToHost, Note };
enum class LogLink { Usb, Serial };

struct LogEntry {
  qint64 atMs = 0;
  LogKind kind = LogKind::Note;
  LogLink link = LogLink::Usb;
  QByteArray bytes;  // the whole report or frame
  QString note;
};

// A byte as the notes name commands and statuses: "0xC2".
[[nodiscard]] QString HexByte(std::uint8_t b);

class DeviceLog {
 public:
  // Keeps the newest `capacity` entries: a sim left running must not grow without bound.
  explicit DeviceLog(std::size_t capacity = 100'000) : m_capacity(capacity) {}

  void Add(LogEntry entry);
  void AddNote(qint64 atMs, const QString& note, LogLink link = LogLink::Usb);
  [[nodiscard]] const std::deque<LogEntry>& Entries() const { return m_entries; }
  [[nodiscard]] std::size_t Dropped() const { return m_dropped; }
  void Clear();
  // Called for every entry as it is added (the --trace output).
  void SetSink(std::function<void(const LogEntry&)> sink) { m_sink = std::move(sink); }

  // How many reports the host sent that carried this command (USB link).
  [[nodiscard]] int CountFromHost(unsigned char command) const;

  // One line: time relative to originMs, direction, the frame's bytes in hex (a USB report is cut
  // after its checksum), and the note.
  [[nodiscard]] static QString Format(const LogEntry& entry, qint64 originMs);

 private:
  std::size_t m_capacity;
  std::size_t m_dropped = 0;
  std::deque<LogEntry> m_entries;
  std::function<void(const LogEntry&)> m_sink;
};

}  // namespace quorvin
