#include "host/SerialComm.h"
#include "link/SerialPort.h"
#include "link/SerialPortList.h"

namespace quorvin {

std::vector<SerialPortInfo> AvailableSerialPorts() {
  std::vector<SerialPortInfo> ports;
  for (const SerialCommEntry& p : SerialCommPorts())
    ports.push_back({p.port, QStringLiteral("\\\\.\\") + p.port, p.device});
  return ports;
}

SerialTarget ResolveSerialTarget(const QString& item) { return ResolveSerialTarget(item, true); }

}  // namespace quorvin
