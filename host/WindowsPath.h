#pragma once
// Windows only (FileSystemWin.cpp): a path in the form the wide file functions take whatever its
// length: absolute, cleaned and backslashed; past 260 characters in the extended-length form
// (\\?\C:\..., or \\?\UNC\server\share\... for a share), which lifts the limit a plain path has
// unless the system's long-path setting is on.

#include <QString>
#include <string>

namespace quorvin::fs {

[[nodiscard]] std::wstring ExtendedPath(const QString& path);

}  // namespace quorvin::fs
