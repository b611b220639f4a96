#include "host/FileOpen.h"

namespace quorvin {

// A named pipe's open on Windows never waits for a writer, so the plain open is already safe.
bool OpenForReading(QFile& file) { return file.open(QIODevice::ReadOnly); }

}  // namespace quorvin
