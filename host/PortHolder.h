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
// Windows: whether the error code of a failed open of a COM port means another program holds it.
// A COM port is opened exclusively, and Windows refuses a second open with ERROR_ACCESS_DENIED or
// ERROR_SHARING_VIOLATION, whatever the user's rights (PortHolderWin.cpp only).
[[nodiscard]] bool PortBusyCode(unsigned long code);

}  // namespace quorvin
