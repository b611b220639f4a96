#include "link/SocketBackend.h"

namespace quorvin {

// Windows has no sequenced-packet Unix sockets: the virtual link comes over TCP there.
std::unique_ptr<HidBackend> MakeUnixSocketBackend(const QString& path, QString* error) {
  if (error)
    *error = QStringLiteral(
                 "\"%1\": this system has no Unix sockets; name the simulator's TCP port instead, "
                 "tcp:127.0.0.1:PORT")
                 .arg(path);
  return nullptr;
}

}  // namespace quorvin
