#include <io.h>
#include <windows.h>

#include <QDir>
#include <QFileInfo>

#include "host/FileSystem.h"
#include "host/WindowsErrorText.h"
#include "host/WindowsPath.h"

namespace quorvin::fs {

namespace {

// NTFS and FAT take at most 255 UTF-16 units in a name; Qt reaches longer paths through the
// \\?\ form, up to the system's limit of 32767.
constexpr qsizetype kNameMax = 255;
constexpr qsizetype kPathMax = 32767;

std::wstring Native(const QString& path) { return ExtendedPath(path); }

}  // namespace

std::wstring ExtendedPath(const QString& path) {
  const QString full = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  // A path that fits stays as it is, so a device name in it (NUL, COM1) is the device, as for every
  // other program, and is refused as no file to replace. Only a longer one takes the extended form,
  // which resolves no "." or ".." (cleaned above) and names no devices.
  if (full.size() < MAX_PATH || full.startsWith(QLatin1String("\\\\?\\")) || full.startsWith(QLatin1String("\\\\.\\")))
    return full.toStdWString();
  if (full.startsWith(QLatin1String("\\\\"))) return (QStringLiteral("\\\\?\\UNC\\") + full.mid(2)).toStdWString();
  return (QStringLiteral("\\\\?\\") + full).toStdWString();
}

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

// There are no mode bits to carry over: the replacement (host/SaveFileWin.cpp) keeps the earlier
// file's access list and attributes.
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

bool MakeFolders(const QString& path, QString* why) {
  if (QDir().mkpath(path)) return true;
  // Qt gives no reason: the first folder on the way that is missing or is not a folder says it.
  QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  while (!QFileInfo(QFileInfo(at).path()).isDir() && QFileInfo(at).path() != at) at = QFileInfo(at).path();
  const DWORD code = CreateDirectoryW(Native(at).c_str(), nullptr) ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
  if (why)
    *why = QDir::toNativeSeparators(at) + QStringLiteral(": ") +
           WindowsErrorText(code == ERROR_SUCCESS || code == ERROR_ALREADY_EXISTS ? static_cast<DWORD>(ERROR_DIRECTORY)
                                                                                  : code);
  return false;
}

// Cuts the file back to `size`, through a handle of its own: the appending one may only add at
// the end, which is what keeps appenders from writing over each other.
static void CutBack(const QString& path, LARGE_INTEGER size) {
  const HANDLE h =
      CreateFileW(Native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile = size;
  (void)SetFileInformationByHandle(h, FileEndOfFileInfo, &end, sizeof end);
  CloseHandle(h);
}

AppendFault AppendLine(const QString& path, const QByteArray& line, QString* why) {
  // Append access makes every write go to the end of the file as it is at that moment, as
  // O_APPEND does (Qt's append mode seeks to the end once, at the open, so two programs appending
  // at once would write over each other's lines); the lock keeps appenders from interleaving
  // where the system does not make a write atomic.
  const HANDLE h = CreateFileW(Native(path).c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // A folder at the path cannot be opened as a file: refused as what it is.
    if (code == ERROR_ACCESS_DENIED && QFileInfo(path).isDir()) return AppendFault::NotRegular;
    if (why) *why = WindowsErrorText(code);
    return AppendFault::System;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(h);
    return AppendFault::NotRegular;  // a device name or a pipe: never written to as the history
  }
  DWORD code = ERROR_SUCCESS;
  if (!LockForAppend(h)) {
    code = GetLastError() != ERROR_SUCCESS ? GetLastError() : static_cast<DWORD>(ERROR_LOCK_VIOLATION);
  } else {
    // Holding the lock, the size is where this line begins: a write that goes out only in part
    // is cut back to it, and a file whose last line was cut short gets its newline first.
    LARGE_INTEGER size{};
    QByteArray bytes = line;
    const bool sized = GetFileSizeEx(h, &size) != 0;
    if (sized && size.QuadPart > 0) {
      char last = '\n';
      DWORD got = 0;
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(size.QuadPart - 1);
      at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
      if (ReadFile(h, &last, 1, &got, &at) && got == 1 && last != '\n') bytes.prepend('\n');
    }
    DWORD written = 0;
    const bool wrote = WriteFile(h, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == static_cast<DWORD>(bytes.size());
    if (!wrote) {
      code = GetLastError() != ERROR_SUCCESS ? GetLastError() : static_cast<DWORD>(ERROR_HANDLE_DISK_FULL);
      if (written > 0 && sized) CutBack(path, size);
    }
    if (wrote && !FlushFileBuffers(h)) code = GetLastError();
    OVERLAPPED at{};
    at.OffsetHigh = kAppendLockHigh;
    (void)UnlockFileEx(h, 0, 1, 0, &at);  // closing the handle would release it too
  }
  if (!CloseHandle(h) && code == ERROR_SUCCESS) code = GetLastError();
  if (code == ERROR_SUCCESS) return AppendFault::None;
  if (why) *why = WindowsErrorText(code);
  return AppendFault::System;
}

}  // namespace quorvin::fs
