#include "ops/FaultTexts.h"

#include <QSysInfo>

namespace quorvin {

namespace {
// The system's reason is added on its own line; it is in the system's language, not ours.
QString WithReason(QString text, const QString& reason) {
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
  return text;
}

QString TooLargeText(const Language& lang, const QString& path, qint64 maxBytes) {
  if (path.isEmpty())
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The data are too large: at most %1 bytes can be sent."))
        .arg(maxBytes);
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file %1 is too large: at most %2 bytes can be sent."))
      .arg(path)
      .arg(maxBytes);
}

}  // namespace

QString FileReadMessage(const Language& lang, FileRead status, const QString& path, qint64 maxBytes,
                        const QString& reason) {
  switch (status) {
    case FileRead::Ok:
      return {};
    case FileRead::TooLarge:
      return TooLargeText(lang, path, maxBytes);
    case FileRead::CannotOpen:
      return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cannot open the file %1.")).arg(path), reason);
    case FileRead::ReadFailed:
      return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading the file %1 failed.")).arg(path), reason);
  }
  return {};
}

QString OutputRefusalText(const Language& lang, OutputRefusal refusal, const QString& reason) {
  switch (refusal) {
    case OutputRefusal::None:
      return {};
    case OutputRefusal::EmptyPath:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "No file name was given."));
    case OutputRefusal::NotRegularFile:
      return lang.Text(QT_TRANSLATE_NOOP(
          "quorvin",
          "What stands at this path is not a regular file (a device, pipe, socket or folder); it is not replaced."));
    case OutputRefusal::NameTooLong:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file name is too long."));
    case OutputRefusal::CannotCreate:
      return reason;
  }
  return {};
}

QString NotRegularFileText(const Language& lang) {
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "not a regular file (a pipe, device, socket or folder stands there)"));
}

QString FileProblemText(const Language& lang, const FileProblem& problem) {
  switch (problem.kind) {
    case FileProblem::Kind::None:
      return {};
    case FileProblem::Kind::NotRegular:
      return NotRegularFileText(lang);
    case FileProblem::Kind::Refused:
      return OutputRefusalText(lang, problem.refusal, problem.reason);
    case FileProblem::Kind::System:
      break;
  }
  return problem.reason;
}

QString FileWriteMessage(const Language& lang, const QString& path, const QString& reason) {
  QString text = lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cannot write the file %1.")).arg(path);
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;  // the system's words, on their own line
  return text;
}

QString DiscoveryFaultText(const Language& lang, DiscoveryFault fault) {
  switch (fault) {
    case DiscoveryFault::None:
      return {};
    case DiscoveryFault::PathError:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Find the path device error !"));
    case DiscoveryFault::AttributeError:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "To track the status of the equipment error !"));
    case DiscoveryFault::OpenFailed:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Unable to open communication port !"));
    case DiscoveryFault::AccessDenied:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Unable to open communication port !")) + QLatin1Char('\n') +
             (QSysInfo::kernelType() == QLatin1String("linux")
                  ? lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                                "No permission to use the device: the udev rule belongs in %1 "
                                                "(quorvinctl udev-rule prints it); with it in place, plug the "
                                                "repeater in again."))
                        .arg(QStringLiteral(QUORVIN_UDEV_RULE_PATH))
                  : lang.Text(QT_TRANSLATE_NOOP("quorvin", "No permission to use the device.")));
    case DiscoveryFault::LayerUnavailable:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                         "The USB HID layer of this system could not start: USB devices "
                                         "cannot be used. The serial port still can."));
  }
  return {};
}

QString FaultCauseText(const Language& lang, Fault fault) {
  switch (fault) {
    case Fault::None:
      return {};
    case Fault::NotSent:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "a request could not be sent to the repeater"));
    case Fault::NoReply:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the repeater gave no valid reply in time"));
    case Fault::Refused:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the repeater refused the request"));
    case Fault::BadReply:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "a reply from the repeater was damaged"));
    case Fault::PacketMissing:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "a packet of the read-back did not arrive"));
    case Fault::PacketError:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "a packet of the read-back was damaged"));
    case Fault::OutOfSequence:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the read-back's packets came out of order"));
    case Fault::PortFailure:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the serial port failed or went away"));
    case Fault::FileUnreadable:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the file could not be read"));
    case Fault::FileTooLarge:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the data are too large for the link"));
    case Fault::FileEmpty:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "there is nothing to send"));
    case Fault::FileNotWritable:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the file cannot be written there"));
    case Fault::FileWriteFailed:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "the file could not be written"));
    case Fault::OutOfRange:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "a value the repeater cannot take"));
    case Fault::Mismatch:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "what the repeater holds differs from what was sent"));
  }
  return {};
}

}  // namespace quorvin
