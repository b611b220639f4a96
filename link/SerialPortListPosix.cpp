#include <QSerialPortInfo>

#include "link/SerialPort.h"
#include "link/SerialPortList.h"

namespace quorvin {

std::vector<SerialPortInfo> AvailableSerialPorts() {
  std::vector<SerialPortInfo> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    ports.push_back({info.portName(), info.systemLocation(), info.description()});
  return ports;
}

SerialTarget ResolveSerialTarget(const QString& item) { return ResolveSerialTarget(item, false); }

}  // namespace quorvin
