#include <QSaveFile>

#include "host/SaveFile.h"

namespace quorvin {

// QSaveFile writes an unnamed file where the system has them (O_TMPFILE on Linux) and links it
// into place with a rename, which replaces the earlier file atomically.
struct SaveFile::Twin {
  QSaveFile file;
};

SaveFile::SaveFile() : m_twin(std::make_unique<Twin>()) {}

SaveFile::~SaveFile() { Cancel(); }

bool SaveFile::Open(const QString& path) {
  m_twin->file.setFileName(path);
  return m_twin->file.open(QIODevice::WriteOnly);
}

bool SaveFile::IsOpen() const { return m_twin->file.isOpen(); }

QFileDevice& SaveFile::File() { return m_twin->file; }

bool SaveFile::Commit() { return m_twin->file.commit(); }

void SaveFile::Cancel() {
  if (!m_twin->file.isOpen()) return;
  m_twin->file.cancelWriting();
  // Closing an uncommitted save file removes its temporary twin.
  (void)m_twin->file.commit();
}

QString SaveFile::ErrorString() const { return m_twin->file.errorString(); }

}  // namespace quorvin
