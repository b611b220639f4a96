#pragma once
// Who holds a serial port that would not open, so the technician hears "busy, held by X" rather
// than a permission problem that sends them off installing udev rules.

#include <QString>

namespace quorvin {

struct PortHolder {
  bool busy = false;  // another process has the port open or locked
  QString who;        // "name (pid N)" when the system tells, else empty
};

// Looks at `location` (a device path) after an open failed. Never raises.
[[nodiscard]] PortHolder FindPortHolder(const QString& location);

}  // namespace quorvin
