#include <csignal>

#include "host/Process.h"

namespace quorvin {

void TreatFileSizeLimitAsWriteError() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace quorvin
