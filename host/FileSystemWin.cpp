#include <io.h>
#include <windows.h>

#include <QFileInfo>

#include "host/FileSystem.h"
#include "host/WindowsErrorText.h"

namespace quorvin::fs {

namespace {

// NTFS and FAT take at most 255 UTF-16 units in a name; Qt reaches longer paths through the
// \\?\ form, up to the system's limit of 32767.
constexpr qsizetype kNameMax = 255;
constexpr qsizetype kPathMax = 32767;

std::wstring Native(const QString& path) {
  return QFileInfo(path).absoluteFilePath().replace('/', '\\').toStdWString();
}

}  // namespace

PathState Inspect(const QString& path) {
  PathState state;
  // Asking for no access opens files another program has locked too; a device name (NUL, COM1)
  // opens as well and shows by its type, so it is never taken for a file to replace.
  const HANDLE h = CreateFileW(Native(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return state;
    // Something is there that we may not even look at: never a file we could replace.
    state.exists = true;
    return state;
  }
  state.exists = true;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info)) {
    state.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    state.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  }
  CloseHandle(h);
  return state;
}

bool NameFits(const QString& path) {
  return QFileInfo(path).fileName().size() <= kNameMax && QFileInfo(path).absoluteFilePath().size() < kPathMax;
}

bool SyncToDisk(int fd, QString* why) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (h != INVALID_HANDLE_VALUE && FlushFileBuffers(h)) return true;
  if (why)
    *why = WindowsErrorText(h == INVALID_HANDLE_VALUE ? static_cast<DWORD>(ERROR_INVALID_HANDLE) : GetLastError());
  return false;
}

// A replacement takes the folder's permissions and its writer as owner, as every Windows program's
// saved files do; there are no mode bits to carry over.
void TakeOverOwnerAndMode(int, const PathState&) {}

// NTFS journals the rename itself; a folder cannot be flushed by an ordinary user.
void SyncFolderOf(const QString&) {}

// Appenders take turns on a one-byte lock far past any real data, so readers are never blocked;
// a holder that keeps it longer than any append takes makes the append fail rather than wait.
constexpr DWORD kAppendLockHigh = 0x40000000;
constexpr int kAppendLockWaitMs = 2000;

static bool LockForAppend(HANDLE h) {
  for (int waited = 0;; waited += 5) {
    OVERLAPPED at{};
    at.OffsetHigh = kAppendLockHigh;
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return true;
    if (GetLastError() != ERROR_LOCK_VIOLATION || waited >= kAppendLockWaitMs) return false;
    Sleep(5);
  }
}

bool AppendWhole(const QString& path, const QByteArray& bytes, QString* why) {
  // Append access makes every write go to the end of the file as it is at that moment, as
  // O_APPEND does (Qt's append mode seeks to the end once, at the open, so two programs appending
  // at once would write over each other's lines); the lock keeps appenders from interleaving
  // where the system does not make a write atomic.
  const HANDLE h = CreateFileW(Native(path).c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (why) *why = WindowsErrorText(GetLastError());
    return false;
  }
  DWORD code = ERROR_SUCCESS;
  if (!LockForAppend(h)) {
    code = GetLastError() != ERROR_SUCCESS ? GetLastError() : static_cast<DWORD>(ERROR_LOCK_VIOLATION);
  } else {
    DWORD written = 0;
    const bool wrote = WriteFile(h, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == static_cast<DWORD>(bytes.size());
    if (!wrote) code = GetLastError() != ERROR_SUCCESS ? GetLastError() : static_cast<DWORD>(ERROR_HANDLE_DISK_FULL);
    if (wrote && !FlushFileBuffers(h)) code = GetLastError();
    OVERLAPPED at{};
    at.OffsetHigh = kAppendLockHigh;
    (void)UnlockFileEx(h, 0, 1, 0, &at);  // closing the handle would release it too
  }
  if (!CloseHandle(h) && code == ERROR_SUCCESS) code = GetLastError();
  if (code == ERROR_SUCCESS) return true;
  if (why) *why = WindowsErrorText(code);
  return false;
}

}  // namespace quorvin::fs
