#include "link/HidLocation.h"

namespace quorvin {

// Windows names no port chain beside hidapi's path; a repeater without a unique serial number is
// then told apart by its path, which the identity falls back to.
QString UsbLocationOf(const QString&) { return {}; }

}  // namespace quorvin
