#include <QSerialPortInfo>

#include "link/SerialPortList.h"

namespace quorvin {

std::vector<SerialPortInfo> AvailableSerialPorts() {
  std::vector<SerialPortInfo> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    ports.push_back({info.portName(), info.systemLocation(), info.description()});
  return ports;
}

}  // namespace quorvin
