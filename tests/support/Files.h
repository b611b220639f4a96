#pragma once
// Test files: a byte pattern that differs by seed, and whole-file writes and reads, for the unit,
// widget and end-to-end tests alike.

#include <QByteArray>
#include <QString>

namespace quorvin::test {

// n bytes that look random: no stretch a packet long comes twice, so a packet sent twice, left out
// or put in the wrong place shows. Another seed gives other bytes; the same seed the same ones.
[[nodiscard]] QByteArray Pattern(qsizetype n, int seed = 7);
// Writes the whole file; false when it could not be.
[[nodiscard]] bool WriteFile(const QString& path, const QByteArray& bytes);
// The whole file; empty when it is missing or cannot be read (ask QFileInfo where that matters).
[[nodiscard]] QByteArray ReadFile(const QString& path);

}  // namespace quorvin::test
