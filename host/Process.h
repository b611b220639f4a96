#pragma once
// What the programs ask of the process they run in, one file per platform.

namespace quorvin {

// A file-size limit (ulimit -f) is then a write error like a full disk, reported as such, where
// the default would end the process before it could say so. Nothing to do where no such limit
// exists.
void TreatFileSizeLimitAsWriteError();

}  // namespace quorvin
