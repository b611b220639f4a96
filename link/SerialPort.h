#pragma once
// The serial link to the repeater: one port, 8 data bits, no parity, one stop bit, no flow control,
// raw bytes. Every failure of the port raises SerialError carrying the error code and the
// system's text, so the operation's top level can show what the operating system said.
//
// Each platform drives the port its own way: QSerialPort on Linux (SerialPortPosix.cpp), the Win32
// communications API on Windows (SerialPortWin.cpp).
//
// Thread use: the port behind a SerialPort is created by Open and destroyed by Close on the
// thread that calls them, and every read and write must come from that same thread. The window
// runs operations on a worker thread without an event loop, so all waits here are blocking ones.

#include <QString>
#include <QtGlobal>
#include <exception>
#include <memory>
#include <string>

namespace quorvin {

// How long the line must stay quiet, after bytes came, for a reply to count as complete.
//
// At 9600 bit/s a byte takes 1.04 ms on the wire, so a device sending back to back never leaves a
// gap near this. USB-serial adapters hold received bytes until their buffer fills or their
// latency timer runs out (16 ms by default on the common chips), so a reply can reach us in bursts
// up to ~16 ms apart, plus USB frame scheduling and a busy host. 50 ms is three latency periods
// and still short next to the 2000 and 3000 ms reply windows the device is given.
inline constexpr int kSerialSilenceMs = 50;
// How long one read waits for a first byte while nothing has come yet. Short, so the reply
// windows are checked (and a cancel request is seen) often; the windows themselves are measured
// by the caller.
inline constexpr int kSerialIdleWaitMs = 100;

// What kept a port from opening, as far as the system tells; the front ends pick their exit status
// and advice from it, never from the text.
enum class SerialFault { Other, NotFound, PermissionDenied, Busy, HungUp };

class SerialError : public std::exception {
 public:
  SerialError(quint32 code, QString text, SerialFault fault = SerialFault::Other, QString holder = {});

  // The error code the serial layer reported (QSerialPort::SerialPortError on Linux, the system's
  // error code on Windows).
  [[nodiscard]] quint32 Code() const { return m_code; }
  // The system's text for the error (empty when it gave none).
  [[nodiscard]] const QString& Text() const { return m_text; }
  [[nodiscard]] SerialFault Fault() const { return m_fault; }
  // For Busy: who holds the port ("name (pid N)"), when the system tells.
  [[nodiscard]] const QString& Holder() const { return m_holder; }
  [[nodiscard]] const char* what() const noexcept override { return m_utf8.c_str(); }

 private:
  quint32 m_code;
  QString m_text;
  std::string m_utf8;
  SerialFault m_fault;
  QString m_holder;
};

// Windows (SerialPortWin.cpp only): the error an open of the port at `location` raises when the
// system refused it with `code`.
[[nodiscard]] SerialError SerialOpenError(unsigned long code, const QString& location);

[[noreturn]] void ThrowSerialException(quint32 error, const QString& text, SerialFault fault = SerialFault::Other);

// The port's five operations are virtual so tests and fuzzers can stand a scripted line in for a
// real one and run the serial operations on a virtual clock.
class SerialPort {
 public:
  SerialPort();
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens the port at `location` (a device path, or \\.\COMn on Windows) at `speed` bit/s, 8N1,
  // no flow control; RTS and DTR stay as the driver has them. An open port is closed first.
  // Raises SerialError; when the device itself could not be opened the port is left closed,
  // when a setting was refused it stays open (Close or the next Open ends it).
  virtual void Open(const QString& location, qint32 speed);
  virtual void Close();
  [[nodiscard]] virtual bool IsOpen() const;

  // Writes all `count` bytes, writing the remainder after a short write. Raises on failure, or
  // when the line takes no bytes for longer than a healthy port ever would.
  virtual void Write(const char* data, qint64 count);
  // Waits up to waitMs for bytes when none are buffered, then returns what is there, at most
  // `max` bytes; 0 means nothing came within waitMs. Raises on failure.
  [[nodiscard]] virtual qint64 Read(char* buffer, qint64 max, int waitMs);

 private:
  [[noreturn]] void ThrowFromPort();

  struct Port;  // the platform's handle on the open port
  std::unique_ptr<Port> m_port;
};

// Where a port list item leads and how messages name it.
struct SerialTarget {
  QString location;  // what Open takes
  QString label;     // what stands after "Comm：" in a failure message
};

// Reads a decimal number the way atoi does: leading white space, an optional sign, digits up to
// the first non-digit; no digits give 0. Values past the 32-bit range saturate.
[[nodiscard]] qint32 ParseDecimal(const QString& text);
// The port number in a "COMn" item: the text after its first three characters, read as above.
[[nodiscard]] qint32 PortNumberFromItem(const QString& item);
// Windows naming (\\.\COMn, messages name n) or naming by system location (an absolute path is
// used as it stands, a bare name is looked up among the present ports).
[[nodiscard]] SerialTarget ResolveSerialTarget(const QString& item, bool windowsNaming);
// The naming of the platform this runs on.
[[nodiscard]] SerialTarget ResolveSerialTarget(const QString& item);

}  // namespace quorvin
