#pragma once
// The serial ports the system has, in the order it lists them (the window's port list keeps that
// order). One file per platform: QSerialPortInfo on Linux, the registry's SERIALCOMM key on Windows.

#include <QString>
#include <vector>

namespace quorvin {

struct SerialPortInfo {
  QString name;         // what the port list shows and --port takes: ttyUSB0, COM5
  QString location;     // what SerialPort::Open takes
  QString description;  // the driver's words, where the system has them
};

[[nodiscard]] std::vector<SerialPortInfo> AvailableSerialPorts();

}  // namespace quorvin
