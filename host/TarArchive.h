#pragma once
// A tar archive (POSIX ustar) of a few small files made in memory: what a support bundle needs,
// readable by tar on any system, with no library behind it.

#include <QByteArray>
#include <QString>

namespace quorvin {

class TarArchive {
 public:
  // Adds a regular file `name` (at most 100 bytes of name) with `data`, mode 0644.
  void Add(const QString& name, const QByteArray& data);
  // The archive, with its two closing zero blocks.
  [[nodiscard]] QByteArray Finish() const;

 private:
  QByteArray m_bytes;
};

}  // namespace quorvin
