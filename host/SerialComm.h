#pragma once
// The COM ports Windows lists (built on Windows only, from SerialCommWin.cpp): every serial driver
// enters its ports under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (value: the driver's device, data:
// COMn), and this is the list the system's own tools show, in the same order.

#include <QString>
#include <vector>

namespace quorvin {

struct SerialCommEntry {
  QString port;    // COM3
  QString device;  // \Device\Serial0
};

[[nodiscard]] std::vector<SerialCommEntry> SerialCommPorts();

}  // namespace quorvin
