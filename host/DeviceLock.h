#pragma once
// One process at a time drives a repeater: an advisory lock per repeater that holds for every
// process of every user on this machine, whatever their environment (a service, cron, sudo and a
// desktop session all meet the same lock), and that the system lets go when the holder ends
// however it ends (a crash included). Named by HidBackend::LockName, what stays the same while the
// unit is plugged in. Taken only by the run policy (front/UnitClaim); the link's reads and writes
// know nothing of it. One file per platform: DeviceLockPosix.cpp (flock), DeviceLockWin.cpp
// (LockFileEx).

#include <QString>

namespace quorvin {

enum class LockResult {
  Acquired,
  Busy,    // another process holds it
  Failed,  // the lock file could not be made or locked at all
};

class DeviceLock {
 public:
  DeviceLock() = default;
  ~DeviceLock();  // releases
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

  // Takes the lock named `name` without waiting. On Busy, `holderPid` is the holder's process id
  // when it left one and is still running (0 otherwise); on Failed, `detail` says why in English.
  [[nodiscard]] LockResult TryAcquire(const QString& name, qint64& holderPid, QString& detail);
  void Release();
  [[nodiscard]] bool Held() const { return m_handle != kNone; }

  // The machine-wide folder every lock lives in: fixed, never taken from the environment.
  [[nodiscard]] static QString LockFolder();
  // Where the lock `name` lives: a file in LockFolder() whose name any text can take safely.
  [[nodiscard]] static QString LockPath(const QString& name);

 private:
  static constexpr qintptr kNone = -1;
  qintptr m_handle = kNone;
  bool m_created = false;  // this process made the file, so it may take it away again
  QString m_path;
};

// The file name part of a lock: letters, digits, '-' and '.' kept, anything else (':' and '/'
// among them) '_', capped, and a hash of the whole name so two long names with one start differ.
[[nodiscard]] QString LockFileName(const QString& name);

}  // namespace quorvin
