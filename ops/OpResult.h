#pragma once
// What an operation reports back to its front end, beyond the boxes it has shown: quorvinctl turns
// it into an exit status and --json output, the window ignores it.

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QtGlobal>

namespace quorvin {

enum class Outcome {
  Success,
  Failed,        // the device refused, did not answer, or the link failed
  QuietEnd,      // the serial transfer's quiet end (status 0x66, or another status then silence)
  FileError,     // the chosen file could not be read or written, or is too large
  InvalidInput,  // e.g. a frequency out of range: nothing was sent
  NotStarted,    // nothing was done (empty speed field, no serial port listed, USB-only command)
  Interrupted,   // the host asked the operation to stop
};

// Why a link could not be used, when that is what ended the operation; decides quorvinctl's exit
// status without looking at any text.
enum class LinkFault {
  None,
  NotFound,          // no repeater on the USB link, or no such serial port
  PermissionDenied,  // it exists but this user may not open it
  Busy,              // another process holds it
  HidUnavailable,    // the system's HID layer could not start: no USB device can be used
  Ambiguous,         // several repeaters attached and none chosen (or the choice fits several)
};

// What exactly went wrong, the same on both links; Outcome says how bad it is.
enum class Fault {
  None,
  NotSent,          // a request or packet could not be written
  NoReply,          // no (valid) reply within the time allowed
  Refused,          // the device answered with a refusal or another reply than the one awaited
  BadReply,         // a reply that is malformed or whose checksum is wrong
  PacketMissing,    // a read-back packet did not come in time
  PacketError,      // not a sound read-back packet
  OutOfSequence,    // a read-back packet out of its numbered order, or with another count
  PortFailure,      // the serial port failed or went away during the operation
  FileUnreadable,   // the chosen file could not be opened or read
  FileTooLarge,     // the file or data exceed what the link can number
  FileEmpty,        // nothing to send
  FileNotWritable,  // the output path cannot take the file: found before anything was asked
  FileWriteFailed,  // the data arrived but the file could not be written; an earlier file is intact
  OutOfRange,       // an input value the device cannot take
  Mismatch,         // what the device holds differs from what was sent
};

struct OpResult {
  Outcome outcome = Outcome::Failed;
  QString version;       // version read
  qint32 frequency = 0;  // frequency read
  qint64 bytes = 0;      // bytes sent or received
  // A verify: the bytes the device gave back, and where they first differ from the file (-1: nowhere).
  qint64 verifiedBytes = -1;
  qint64 firstDifference = -1;
  qint64 differingBytes = 0;
  Fault fault = Fault::None;
  QString detail;  // the reason in English with its context ("packet 12 of 340: ..."), for logs and --json
  LinkFault linkFault = LinkFault::None;

  [[nodiscard]] bool Ok() const { return outcome == Outcome::Success; }
};

// Words for scripts, the same in every language and on both links: --json, the history.
[[nodiscard]] QString OutcomeName(Outcome o);
[[nodiscard]] QString FaultName(Fault f);  // empty for Fault::None

// What a front end knows about a run beyond its result, for its line in the history.
struct HistoryFacts {
  QString program;    // "quorvinctl", "quorvin-setup"
  QString operation;  // "upgrade", "backup read", ...
  QString link;       // "usb", "serial"
  QString unit;       // the repeater, when known (its path or port)
  QString file;       // a file sent or written
  QString sha256;     // of that file, as sent or as written
  QDateTime started;
  qint64 ms = 0;
};
[[nodiscard]] QJsonObject HistoryEntry(const HistoryFacts& facts, const OpResult& r);

}  // namespace quorvin
