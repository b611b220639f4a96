#include <windows.h>

#include <QCryptographicHash>
#include <QDir>

#include "link/DeviceLock.h"

namespace quorvin {

QString DeviceLock::LockPath(const QString& identity) {
  QString name;
  for (const QChar ch : identity)
    name += (ch.isLetterOrNumber() && ch.unicode() < 128) || ch == QLatin1Char('-') || ch == QLatin1Char('.')
                ? ch
                : QLatin1Char('_');
  const QByteArray hash = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  return QDir::tempPath() + QStringLiteral("/quorvin-") + name.right(60) + QLatin1Char('-') +
         QString::fromLatin1(hash) + QStringLiteral(".lock");
}

LockResult DeviceLock::TryAcquire(const QString& identity, qint64& holderPid, QString& detail) {
  Release();
  holderPid = 0;
  const QString path = QDir::toNativeSeparators(LockPath(identity));
  const HANDLE h =
      ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    detail = QStringLiteral("cannot open %1 (error %2)").arg(path).arg(::GetLastError());
    return LockResult::Failed;
  }
  OVERLAPPED at{};
  if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD err = ::GetLastError();
    ::CloseHandle(h);
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return LockResult::Busy;
    detail = QStringLiteral("cannot lock %1 (error %2)").arg(path).arg(err);
    return LockResult::Failed;
  }
  m_handle = reinterpret_cast<qintptr>(h);
  return LockResult::Acquired;
}

void DeviceLock::Release() {
  if (m_handle == kNone) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));  // closing lets the lock go
  m_handle = kNone;
}

DeviceLock::~DeviceLock() { Release(); }

}  // namespace quorvin
