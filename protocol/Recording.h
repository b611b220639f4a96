#pragma once
// A recording of what crossed a link: every report or serial chunk, its direction and when, for
// support to see what happened at a customer's site and for the virtual repeater to play back.
// A plain text file, one item a line:
//   quorvin-recording 1          the format and its version
//   tool 1.0.0                   the tool that recorded it
//   link usb                     "usb" (65-byte reports, report ID first) or "serial" (chunks)
//   <ms> > <hex>                 the host wrote these bytes, <ms> after the recording began
//   <ms> < <hex>                 the device sent these
// Lines starting with # are comments. Times never go backwards and stay within a week of the
// start. On a usb link every event is one whole report, so each is kReportSize bytes.

#include <QByteArray>
#include <QString>
#include <vector>

namespace quorvin {

inline constexpr int kRecordingVersion = 1;
// The latest event time a recording may hold: a week. No run takes that long, and later times
// would not fit once added to a clock reading.
inline constexpr qint64 kMaxRecordingMs = 7LL * 24 * 3600 * 1000;

// Which way bytes crossed a link: from the host to the device, or back.
enum class TraceDir { Out, In };

struct RecordedEvent {
  qint64 ms = 0;
  bool fromHost = true;
  QByteArray bytes;
};

struct Recording {
  QString tool;
  QString link;  // "usb" or "serial"
  std::vector<RecordedEvent> events;
};

[[nodiscard]] QByteArray RecordingHeader(const QString& tool, const QString& link);
[[nodiscard]] QByteArray RecordingLine(const RecordedEvent& event);

// False, with `error` naming the byte offset and what is wrong there, for anything that is not a
// whole recording of this version (a truncated last line included).
[[nodiscard]] bool ParseRecording(const QByteArray& text, Recording& out, QString* error);

}  // namespace quorvin
