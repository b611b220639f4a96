#include "link/SerialPort.h"

#include "link/SerialPortList.h"

// What the serial link shares between the platforms: its exception and the naming of ports. The
// port itself is SerialPortPosix.cpp or SerialPortWin.cpp.

namespace quorvin {

SerialError::SerialError(quint32 code, QString text, SerialFault fault, QString holder)
    : m_code(code),
      m_text(std::move(text)),
      m_utf8(m_text.toStdString()),
      m_fault(fault),
      m_holder(std::move(holder)) {}

void ThrowSerialException(quint32 error, const QString& text, SerialFault fault) {
  throw SerialError(error, text, fault);
}

qint32 ParseDecimal(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  qint64 value = 0;
  for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i].unicode() - u'0');
    if (value > qint64(1) << 31) value = qint64(1) << 31;  // saturate, no overflow
  }
  if (negative) value = -value;
  return static_cast<qint32>(qBound(qint64{INT32_MIN}, value, qint64{INT32_MAX}));
}

qint32 PortNumberFromItem(const QString& item) { return ParseDecimal(item.mid(3)); }

SerialTarget ResolveSerialTarget(const QString& item, bool windowsNaming) {
  if (windowsNaming) {
    const qint32 number = PortNumberFromItem(item);
    return {QStringLiteral("\\\\.\\COM%1").arg(number), QString::number(number)};
  }
  if (item.startsWith(u'/')) return {item, item};
  QString location = QStringLiteral("/dev/") + item;
  for (const SerialPortInfo& port : AvailableSerialPorts()) {
    if (port.name == item) location = port.location;
  }
  return {location, location};
}

}  // namespace quorvin
