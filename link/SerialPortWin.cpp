// The serial port on the Win32 communications API: \\.\COMn opened for exclusive, synchronous
// use, 8N1 without flow control, and reads that wait for a first byte at most as long as asked.

#include <windows.h>

#include "host/PortHolder.h"
#include "host/WindowsErrorText.h"
#include "link/SerialPort.h"

namespace quorvin {

namespace {

// A port that accepts no bytes at all for this long is stuck (a UART always drains, flow control
// is off); 1 ms per byte on top covers the wire time of a slow line.
constexpr DWORD kWriteStuckMs = 2000;
// Room for a whole reply and the largest packet we send, so the driver never drops bytes while
// an operation is between reads.
constexpr DWORD kQueueBytes = 4096;

// The codes a port reports once its device is gone: an unplugged USB adapter, a closed line.
bool LineGone(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_BROKEN_PIPE:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void ThrowNotOpen() { ThrowSerialException(ERROR_INVALID_HANDLE, QStringLiteral("The port is not open")); }

}  // namespace

struct SerialPort::Port {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD lastError = ERROR_SUCCESS;
  int readWaitMs = -1;  // the read time-out the driver has now; set only when it changes

  ~Port() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

SerialError SerialOpenError(unsigned long code, const QString& location) {
  // A COM port is opened exclusively: another program holding it shows as one of two codes.
  if (PortBusyCode(code)) {
    const PortHolder holder = FindPortHolder(location);
    return SerialError(code, QStringLiteral("The port is busy: another program holds it"), SerialFault::Busy,
                       holder.who);
  }
  const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
  return SerialError(code, WindowsErrorText(code), missing ? SerialFault::NotFound : SerialFault::Other);
}

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const { return m_port != nullptr && m_port->handle != INVALID_HANDLE_VALUE; }

void SerialPort::ThrowFromPort() {
  const DWORD code = m_port->lastError;
  if (LineGone(code)) {
    ThrowSerialException(code,
                         QStringLiteral("The serial port is no longer available (device removed or line hung up)"),
                         SerialFault::HungUp);
  }
  ThrowSerialException(code, WindowsErrorText(code));
}

void SerialPort::Open(const QString& location, qint32 speed) {
  Close();
  auto port = std::make_unique<Port>();
  port->handle = CreateFileW(reinterpret_cast<const wchar_t*>(location.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  if (port->handle == INVALID_HANDLE_VALUE) throw SerialOpenError(GetLastError(), location);
  m_port = std::move(port);
  // Settings go on after the open, so a refused one leaves the port open as a driver would.
  const HANDLE h = m_port->handle;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) {
    m_port->lastError = GetLastError();
    ThrowFromPort();
  }
  dcb.BaudRate = static_cast<DWORD>(speed);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  // RTS and DTR stay as the driver has them, unless it has them doing handshaking: that is flow
  // control, which this line does not use.
  if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
  if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
  if (speed <= 0 || !SetCommState(h, &dcb)) {
    m_port->lastError = speed <= 0 ? static_cast<DWORD>(ERROR_INVALID_PARAMETER) : GetLastError();
    ThrowFromPort();
  }
  (void)SetupComm(h, kQueueBytes, kQueueBytes);  // advice to the driver; it may keep its own sizes
  // Bytes waiting from before the open answer nothing this operation asks; taken for a reply
  // they would end it early.
  (void)PurgeComm(h, PURGE_RXCLEAR | PURGE_RXABORT);
}

void SerialPort::Close() { m_port.reset(); }

void SerialPort::Write(const char* data, qint64 count) {
  if (!IsOpen()) ThrowNotOpen();
  const HANDLE h = m_port->handle;
  qint64 total = 0;
  while (total < count) {
    const DWORD chunk = static_cast<DWORD>(qMin<qint64>(count - total, 1 << 20));
    // The write time-out bounds the whole call: a line that takes no bytes fails it, not hangs it.
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(h, &timeouts)) timeouts = {};
    timeouts.WriteTotalTimeoutMultiplier = 1;
    timeouts.WriteTotalTimeoutConstant = kWriteStuckMs;
    DWORD written = 0;
    if (!SetCommTimeouts(h, &timeouts) || !WriteFile(h, data + total, chunk, &written, nullptr)) {
      m_port->lastError = GetLastError();
      ThrowFromPort();
    }
    if (written == 0) {
      m_port->lastError = ERROR_TIMEOUT;
      ThrowFromPort();
    }
    total += written;
  }
  if (!FlushFileBuffers(h)) {
    m_port->lastError = GetLastError();
    ThrowFromPort();
  }
}

qint64 SerialPort::Read(char* buffer, qint64 max, int waitMs) {
  if (!IsOpen()) ThrowNotOpen();
  if (max <= 0) return 0;
  const HANDLE h = m_port->handle;
  waitMs = qMax(waitMs, 1);  // 0 would make the driver wait for ever (MAXDWORD, MAXDWORD, 0 is not allowed)
  if (m_port->readWaitMs != waitMs) {
    // Returns at once with what is buffered; when nothing is, returns with the first bytes to
    // come, or with none after waitMs.
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(h, &timeouts)) timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(waitMs);
    if (!SetCommTimeouts(h, &timeouts)) {
      m_port->lastError = GetLastError();
      ThrowFromPort();
    }
    m_port->readWaitMs = waitMs;
  }
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(qMin<qint64>(max, MAXDWORD / 2));
  if (!ReadFile(h, buffer, want, &got, nullptr)) {
    m_port->lastError = GetLastError();
    ThrowFromPort();
  }
  return static_cast<qint64>(got);
}

}  // namespace quorvin
