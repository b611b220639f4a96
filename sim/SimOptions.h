#pragma once
// quorvin-sim's command line as a table: each option names its value, explains itself for --help
// and applies itself to the set-up. A new link or fault is one more row.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "link/TcpAddress.h"
#include "sim/model/DeviceModel.h"

namespace quorvin {

inline constexpr int kMaxUnits = 64;

// What the options decide: the device model itself and how quorvin-sim serves it.
struct SimSetup {
  explicit SimSetup(DeviceModel& m) : model(m) {}
  DeviceModel& model;
  QString hidSocket;                 // --hid-socket PATH (a folder with --units)
  int units = 0;                     // --units N: N repeaters, DIR/1.sock .. DIR/N.sock; 0: one at PATH
  bool noSerial = false;             // --no-serial: the units say no serial number
  bool duplicateSerial = false;      // --duplicate-serial: units 1 and 2 say the same one
  QString serialNumber;              // --serial-number TEXT: what the unit (unit 1 with --units) says
  int replugEveryMs = 0;             // --replug-every MS
  std::optional<TcpAddress> hidTcp;  // --hid-tcp 127.0.0.1:PORT
  bool serial = false;               // --serial: a pseudo-terminal as the device's serial port
  bool trace = false;
  bool help = false;
};

struct SimOption {
  QString name;       // "--hid-socket"
  QString valueName;  // "PATH"; empty for a plain flag
  QString help;
  // Applies the option; on a bad value answers false with a message in `error`.
  std::function<bool(SimSetup&, const QString& value, QString& error)> apply;
};

[[nodiscard]] const std::vector<SimOption>& SimOptions();
// Parses arguments (without the program name); `--name VALUE` and `--name=VALUE` both work.
[[nodiscard]] bool ParseSimArgs(const QStringList& args, SimSetup& setup, QString& error);
[[nodiscard]] QString SimUsage();

}  // namespace quorvin
