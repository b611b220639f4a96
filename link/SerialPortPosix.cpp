#include <poll.h>

#include <QSerialPort>

#include "host/PortHolder.h"
#include "link/SerialPort.h"

namespace quorvin {

namespace {

// A port that accepts no bytes at all for this long is stuck (a UART always drains, flow control
// is off); 1 ms per byte on top covers the wire time of a slow line.
constexpr int kWriteStuckMs = 2000;

bool LineHungUp(QSerialPort& port) {
  if (port.error() == QSerialPort::ResourceError) return true;
  if (port.handle() < 0) return false;
  pollfd p{static_cast<int>(port.handle()), POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

}  // namespace

struct SerialPort::Port : QSerialPort {};

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const { return m_port != nullptr && m_port->isOpen(); }

void SerialPort::ThrowFromPort() {
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

void SerialPort::Open(const QString& location, qint32 speed) {
  Close();
  m_port = std::make_unique<Port>();
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
        throw SerialError(static_cast<quint32>(error),
                          holder.who.isEmpty() ? QStringLiteral("The port is busy: another program holds it")
                                               : QStringLiteral("The port is busy: %1 holds it").arg(holder.who),
                          fault, holder.who);
      }
    }
    ThrowSerialException(static_cast<quint32>(error), text, fault);
  }
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

void SerialPort::Close() {
  if (!m_port) return;
  if (m_port->isOpen()) m_port->close();
  m_port.reset();
}

void SerialPort::Write(const char* data, qint64 count) {
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

qint64 SerialPort::Read(char* buffer, qint64 max, int waitMs) {
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

}  // namespace quorvin
