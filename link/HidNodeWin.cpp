#include <cerrno>

#include "link/HidNode.h"

namespace quorvin {

// Windows names no port chain beside hidapi's path; a repeater without a unique serial number is
// then told apart by its path, which the identity falls back to.
QString UsbLocationOf(const QString&) { return {}; }

// Windows' paths are not files to look at: a removal shows in the next discovery instead.
bool HidNodeGone(const QByteArray&) { return false; }

bool HidAccessRefused(const QByteArray&, int openErrno) { return openErrno == EACCES || openErrno == EPERM; }

}  // namespace quorvin
