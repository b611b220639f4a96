#include "link/SerialPort.h"
#include "ops/SerialOps.h"

namespace quorvin {

SerialOpen OpenSerialPort(CSerialPort& port, const SerialChoice& choice, Feedback& fb, bool english,
                          QString* why) {
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
    fb.MessageBox(Tr(english, "端口：%1\n", "Comm：%1\n").arg(target.label) + e.GetErrorText(), MsgIcon::None);
  } catch (...) {
    if (why) *why = target.location;
    fb.MessageBox(Tr(english, "无法打开端口！", "Can not open comm !"), MsgIcon::None);
  }
  // A port that opened but refused a setting is of no use; it is not left open behind the box.
  port.Close();
  return SerialOpen::Failed;
}

}  // namespace quorvin
