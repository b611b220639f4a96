#include <shlobj.h>
#include <windows.h>

#include <QDir>

#include "host/DeviceLock.h"

namespace quorvin {

namespace {

// The byte that is locked lies far past the pid at the start: Windows locks are mandatory, and the
// holder's pid must stay readable by whoever finds the lock taken.
constexpr DWORD kLockOffsetHigh = 0x100;

std::wstring Native(const QString& path) { return QDir::toNativeSeparators(path).toStdWString(); }

qint64 ReadHolder(HANDLE h) {
  char buf[32] = {};
  DWORD got = 0;
  OVERLAPPED at{};
  if (!::ReadFile(h, buf, sizeof buf - 1, &got, &at) || got == 0) return 0;
  bool ok = false;
  const qint64 pid = QByteArray(buf, static_cast<int>(got)).trimmed().toLongLong(&ok);
  if (!ok || pid <= 0) return 0;
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED ? pid : 0;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running ? pid : 0;
}

}  // namespace

QString DeviceLock::LockFolder() {
  // The machine's folder for every user's program data, as the system names it (never from the
  // environment, which differs between a service and a desktop session).
  PWSTR known = nullptr;
  QString folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &known)))
    folder = QDir::fromNativeSeparators(QString::fromWCharArray(known));
  ::CoTaskMemFree(known);
  if (folder.isEmpty()) folder = QStringLiteral("C:/ProgramData");
  return folder + QStringLiteral("/quorvin/locks");
}

LockResult DeviceLock::TryAcquire(const QString& name, qint64& holderPid, QString& detail) {
  Release();
  holderPid = 0;
  const QString path = LockPath(name);
  QDir().mkpath(LockFolder());
  const std::wstring native = Native(path);
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = ::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  // Another user's lock file: reading is all a lock needs.
  if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
    h = ::CreateFileW(native.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    detail = QStringLiteral("cannot open %1 (error %2)").arg(path).arg(::GetLastError());
    return LockResult::Failed;
  }
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    detail = QStringLiteral("%1 is not a regular file").arg(path);
    return LockResult::Failed;
  }
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) holderPid = ReadHolder(h);
    ::CloseHandle(h);
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return LockResult::Busy;
    detail = QStringLiteral("cannot lock %1 (error %2)").arg(path).arg(err);
    return LockResult::Failed;
  }
  // The pid only names the holder; the lock holds without it.
  const QByteArray pid = QByteArray::number(static_cast<qint64>(::GetCurrentProcessId())) + "\r\n";
  DWORD written = 0;
  OVERLAPPED start{};
  if (::WriteFile(h, pid.constData(), static_cast<DWORD>(pid.size()), &written, &start)) {
    LARGE_INTEGER end{};
    end.QuadPart = pid.size();
    if (::SetFilePointerEx(h, end, nullptr, FILE_BEGIN)) (void)::SetEndOfFile(h);
  }
  m_handle = reinterpret_cast<qintptr>(h);
  m_path = path;
  return LockResult::Acquired;
}

void DeviceLock::Release() {
  if (m_handle == kNone) return;
  // Closing lets the lock go. The file stays: on Windows it cannot go while another process has it
  // open, and the folder holds one small file per unit ever plugged in.
  ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  m_handle = kNone;
}

DeviceLock::~DeviceLock() { Release(); }

}  // namespace quorvin
