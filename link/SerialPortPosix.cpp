#include "link/SerialPort.h"

#include <QSerialPort>
#include <QSerialPortInfo>

#include "link/PortHolder.h"

#ifndef Q_OS_WIN
#include <poll.h>
#endif

namespace quorvin {

namespace {

// A port that accepts no bytes at all for this long is stuck (a UART always drains, flow control
// is off); 1 ms per byte on top covers the wire time of a slow line.
constexpr int kWriteStuckMs = 2000;

bool LineHungUp(QSerialPort& port) {
#ifdef Q_OS_WIN
  return port.error() == QSerialPort::ResourceError;
#else
  if (port.error() == QSerialPort::ResourceError) return true;
  if (port.handle() < 0) return false;
  pollfd p{static_cast<int>(port.handle()), POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
#endif
}

}  // namespace

CSerialException::CSerialException(quint32 error, QString text, SerialFault fault)
    : m_dwError(error), m_text(std::move(text)), m_utf8(m_text.toStdString()), m_fault(fault) {}

bool CSerialException::GetErrorMessage(QString& text, unsigned* helpContext) const {
  if (helpContext) *helpContext = 0;
  text = m_text;
  return !text.isEmpty();
}

QString CSerialException::GetErrorText() const {
  QString text;
  (void)GetErrorMessage(text);
  return text;
}

void ThrowSerialException(quint32 error, const QString& text, SerialFault fault) {
  throw CSerialException(error, text, fault);
}

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() { Close(); }

bool CSerialPort::IsOpen() const { return m_port != nullptr && m_port->isOpen(); }

void CSerialPort::ThrowFromPort() {
  const auto code = static_cast<quint32>(m_port->error());
  // A line that hung up (adapter unplugged, device gone) reads as end of file, and the port then
  // reports whatever error number was left over from an earlier call; name what happened instead.
  const bool hungUp = LineHungUp(*m_port);
  const QString text = hungUp
                           ? QStringLiteral("The serial port is no longer available (device removed or line hung up)")
                           : m_port->errorString();
  m_port->clearError();
  ThrowSerialException(code, text, hungUp ? SerialFault::HungUp : SerialFault::Other);
}

void CSerialPort::Open(const QString& location, qint32 speed) {
  Close();
  m_port = std::make_unique<QSerialPort>();
  m_port->setPortName(location);
  if (!m_port->open(QIODevice::ReadWrite)) {
    const auto error = m_port->error();
    const QString text = m_port->errorString();
    m_port.reset();  // the device never opened: the port stays closed
    SerialFault fault = SerialFault::Other;
    if (error == QSerialPort::DeviceNotFoundError) fault = SerialFault::NotFound;
    if (error == QSerialPort::PermissionError) {
      // Qt says "permission" for a port another program holds (its lock file, or an exclusive
      // open) as well as for one we may not use; only the first is cured by waiting.
      const PortHolder holder = FindPortHolder(location);
      fault = holder.busy ? SerialFault::Busy : SerialFault::PermissionDenied;
      if (holder.busy) {
        CSerialException busy(static_cast<quint32>(error),
                              holder.who.isEmpty() ? QStringLiteral("The port is busy: another program holds it")
                                                   : QStringLiteral("The port is busy: %1 holds it").arg(holder.who),
                              fault);
        busy.m_holder = holder.who;
        throw busy;
      }
    }
    ThrowSerialException(static_cast<quint32>(error), text, fault);
  }
  m_bFlag = false;
  // Settings go on after the open, so a refused one leaves the port open as a driver would.
  // RTS and DTR are not touched: they stay as the driver has them.
  if (!m_port->setBaudRate(speed)) ThrowFromPort();
  if (!m_port->setDataBits(QSerialPort::Data8)) ThrowFromPort();
  if (!m_port->setParity(QSerialPort::NoParity)) ThrowFromPort();
  if (!m_port->setStopBits(QSerialPort::OneStop)) ThrowFromPort();
  if (!m_port->setFlowControl(QSerialPort::NoFlowControl)) ThrowFromPort();
  // Bytes waiting from before the open answer nothing this operation asks; taken for a reply
  // they would end it early.
  (void)m_port->clear(QSerialPort::Input);
}

void CSerialPort::Close() {
  if (!m_port) return;
  if (m_port->isOpen()) m_port->close();
  m_port.reset();
  m_bFlag = false;
}

void CSerialPort::Write(const char* data, qint64 count) {
  if (!IsOpen()) ThrowSerialException(QSerialPort::NotOpenError, QStringLiteral("The port is not open"));
  qint64 total = 0;
  while (total < count) {
    const qint64 written = m_port->write(data + total, count - total);
    if (written < 0) ThrowFromPort();
    total += written;
  }
  const int waitMs = kWriteStuckMs + static_cast<int>(qMin<qint64>(count, 1 << 20));
  while (m_port->bytesToWrite() > 0) {
    if (!m_port->waitForBytesWritten(waitMs)) ThrowFromPort();
  }
}

qint64 CSerialPort::Read(char* buffer, qint64 max, int waitMs) {
  if (!IsOpen()) ThrowSerialException(QSerialPort::NotOpenError, QStringLiteral("The port is not open"));
  if (max <= 0) return 0;
  if (m_port->bytesAvailable() == 0 && !m_port->waitForReadyRead(waitMs)) {
    if (m_port->error() != QSerialPort::TimeoutError && m_port->error() != QSerialPort::NoError) ThrowFromPort();
    m_port->clearError();
    return 0;
  }
  const qint64 got = m_port->read(buffer, max);
  if (got < 0) ThrowFromPort();
  return got;
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
  const QSerialPortInfo info(item);
  const QString location = info.isNull() ? QStringLiteral("/dev/") + item : info.systemLocation();
  return {location, location};
}

SerialTarget ResolveSerialTarget(const QString& item) {
#ifdef Q_OS_WIN
  return ResolveSerialTarget(item, true);
#else
  return ResolveSerialTarget(item, false);
#endif
}

}  // namespace quorvin
