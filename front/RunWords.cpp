#include "front/RunWords.h"

namespace quorvin {

QString OutcomeName(Outcome o) {
  switch (o) {
    case Outcome::Success:
      return QStringLiteral("success");
    case Outcome::Failed:
      return QStringLiteral("failed");
    case Outcome::QuietEnd:
      return QStringLiteral("quiet-end");
    case Outcome::FileError:
      return QStringLiteral("file-error");
    case Outcome::InvalidInput:
      return QStringLiteral("invalid-input");
    case Outcome::NotStarted:
      return QStringLiteral("not-started");
    case Outcome::Interrupted:
      return QStringLiteral("interrupted");
  }
  return {};
}

QString FaultName(Fault f) {
  switch (f) {
    case Fault::None:
      return {};
    case Fault::NotSent:
      return QStringLiteral("not-sent");
    case Fault::NoReply:
      return QStringLiteral("no-reply");
    case Fault::Refused:
      return QStringLiteral("refused");
    case Fault::BadReply:
      return QStringLiteral("bad-reply");
    case Fault::PacketMissing:
      return QStringLiteral("packet-missing");
    case Fault::PacketError:
      return QStringLiteral("packet-error");
    case Fault::OutOfSequence:
      return QStringLiteral("out-of-sequence");
    case Fault::PortFailure:
      return QStringLiteral("port-failure");
    case Fault::FileUnreadable:
      return QStringLiteral("file-unreadable");
    case Fault::FileTooLarge:
      return QStringLiteral("file-too-large");
    case Fault::FileEmpty:
      return QStringLiteral("file-empty");
    case Fault::FileNotWritable:
      return QStringLiteral("file-not-writable");
    case Fault::FileWriteFailed:
      return QStringLiteral("file-write-failed");
    case Fault::OutOfRange:
      return QStringLiteral("out-of-range");
    case Fault::Mismatch:
      return QStringLiteral("mismatch");
  }
  return {};
}

QString OutcomeCode(const OpResult& r) {
  if (r.outcome == Outcome::Failed || r.outcome == Outcome::NotStarted) {
    switch (r.linkFault) {
      case LinkFault::None:
        break;
      case LinkFault::NotFound:
        return QStringLiteral("no-device");
      case LinkFault::PermissionDenied:
        return QStringLiteral("permission-denied");
      case LinkFault::Busy:
        return QStringLiteral("busy");
      case LinkFault::HidUnavailable:
        return QStringLiteral("hid-unavailable");
      case LinkFault::Ambiguous:
        return QStringLiteral("ambiguous-device");
    }
  }
  // The outcome's own name, but for the two that read better as a result: a success is "ok" and a
  // failure with no link fault behind it is the device's.
  if (r.outcome == Outcome::Success) return QStringLiteral("ok");
  if (r.outcome == Outcome::Failed) return QStringLiteral("device-failed");
  return OutcomeName(r.outcome);
}

QJsonObject HistoryEntry(const HistoryFacts& f, const OpResult& r) {
  QJsonObject e{{QStringLiteral("time"), f.started.toUTC().toString(Qt::ISODateWithMs)},
                {QStringLiteral("program"), f.program},
                {QStringLiteral("operation"), f.operation},
                {QStringLiteral("outcome"), OutcomeName(r.outcome)},
                {QStringLiteral("code"), OutcomeCode(r)},
                {QStringLiteral("ms"), f.ms}};
  if (!f.link.isEmpty()) e[QStringLiteral("link")] = f.link;
  if (!f.unit.isEmpty()) e[QStringLiteral("unit")] = f.unit;
  if (!f.location.isEmpty()) e[QStringLiteral("location")] = f.location;
  if (r.fault != Fault::None) e[QStringLiteral("fault")] = FaultName(r.fault);
  if (!r.version.isEmpty()) e[QStringLiteral("version")] = r.version;
  if (!f.file.isEmpty()) {
    e[QStringLiteral("file")] = f.file;
    if (!f.sha256.isEmpty()) e[QStringLiteral("sha256")] = f.sha256;
  }
  if (r.bytes > 0) e[QStringLiteral("bytes")] = r.bytes;
  return e;
}

}  // namespace quorvin
