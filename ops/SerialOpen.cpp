#include "link/SerialPort.h"
#include "ops/SerialOps.h"

namespace quorvin {

namespace {

LinkFault LinkFaultOf(SerialFault fault) {
  switch (fault) {
    case SerialFault::NotFound:
      return LinkFault::NotFound;
    case SerialFault::PermissionDenied:
      return LinkFault::PermissionDenied;
    case SerialFault::Busy:
      return LinkFault::Busy;
    case SerialFault::HungUp:
    case SerialFault::Other:
      break;
  }
  return LinkFault::None;
}

// The system's words, except where we know better and can say it in the user's language.
QString OpenFailureText(const Language& lang, const CSerialException& e) {
  if (e.Fault() != SerialFault::Busy) return e.GetErrorText();
  if (e.m_holder.isEmpty())
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The port is busy: another program holds it."));
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The port is busy: %1 holds it.")).arg(e.m_holder);
}

}  // namespace

SerialOpen OpenSerialPort(CSerialPort& port, const SerialChoice& choice, Feedback& fb, const Language& lang,
                          QString* why, LinkFault* fault) {
  // No port listed means no selected item: there is nothing to open.
  if (choice.portItem.isEmpty()) return SerialOpen::NotStarted;
  if (choice.speedText.isEmpty()) return SerialOpen::NotStarted;

  const SerialTarget target = ResolveSerialTarget(choice.portItem);
  const qint32 speed = ParseDecimal(choice.speedText);
  try {
    port.Open(target.location, speed);
    return SerialOpen::Opened;
  } catch (const CSerialException& e) {
    if (why) *why = target.location + QStringLiteral(": ") + e.GetErrorText();
    if (fault) *fault = LinkFaultOf(e.Fault());
    fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Comm：%1\n")).arg(target.label) + OpenFailureText(lang, e),
                  MsgIcon::None);
  } catch (...) {
    if (why) *why = target.location;
    fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Can not open comm !")), MsgIcon::None);
  }
  // A port that opened but refused a setting is of no use; it is not left open behind the box.
  port.Close();
  return SerialOpen::Failed;
}

}  // namespace quorvin
