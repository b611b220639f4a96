#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/StationView.h"

namespace quorvin::cli {

StdinRead ReadStandardInput(QByteArray& into, int waitMs) {
  pollfd p{STDIN_FILENO, POLLIN, 0};
  const int ready = ::poll(&p, 1, waitMs);
  if (ready == 0 || (ready < 0 && errno == EINTR)) return StdinRead::Nothing;
  char chunk[256];
  const ssize_t n = ready < 0 ? -1 : ::read(STDIN_FILENO, chunk, sizeof chunk);
  if (n < 0 && errno == EINTR) return StdinRead::Nothing;
  if (n <= 0) return StdinRead::End;
  into.append(chunk, n);
  return StdinRead::Data;
}

}  // namespace quorvin::cli
