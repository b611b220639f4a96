#pragma once
// One process at a time drives a repeater: an advisory lock per repeater, keyed by its identity,
// that the system lets go when the holder ends however it ends (a crash included). Held around each
// operation by quorvinctl and the window; the link's reads and writes know nothing of it.
// One file per platform: DeviceLockPosix.cpp (flock), DeviceLockWin.cpp (LockFileEx).

#include <QString>
#include <memory>

namespace quorvin {

enum class LockResult {
  Acquired,
  Busy,    // another process holds it
  Failed,  // the lock file could not be made or locked at all
};

[[nodiscard]] inline QString LockKey(const QString& backendName, const QString& identity) {
  return backendName + QLatin1Char(' ') + identity;
}

class DeviceLock {
 public:
  DeviceLock() = default;
  ~DeviceLock();  // releases
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

  // Takes the lock of `identity` (a LockKey) without waiting. On Busy, `holderPid` is the holder's process id
  // when it left one in the file (0 otherwise); on Failed, `detail` says why in English.
  [[nodiscard]] LockResult TryAcquire(const QString& identity, qint64& holderPid, QString& detail);
  void Release();
  [[nodiscard]] bool Held() const { return m_handle != kNone; }

  // Where the lock of `identity` lives: the per-user runtime folder, a name any identity can take.
  [[nodiscard]] static QString LockPath(const QString& identity);

 private:
  static constexpr qintptr kNone = -1;
  qintptr m_handle = kNone;
};

}  // namespace quorvin
