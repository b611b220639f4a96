#include "host/Process.h"

namespace quorvin {

void TreatFileSizeLimitAsWriteError() {}

}  // namespace quorvin
