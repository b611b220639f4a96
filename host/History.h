#pragma once
// The record of what was done to which unit: one JSON line per operation, from the window and from
// quorvinctl alike, appended to $XDG_STATE_HOME/quorvin/history.jsonl. A line goes out in one
// write on a file opened for appending, so two programs writing at once never interleave within a
// line, and it is synced before the append counts as done. A history that cannot be written never
// fails the operation it records: the caller warns once and goes on.

#include <QJsonObject>
#include <QString>
#include <QVector>

namespace quorvin {

// The tool's folder for what it keeps for the user: State (history, the newest recording) under
// $XDG_STATE_HOME or ~/.local/state, Data (snapshots) under $XDG_DATA_HOME or ~/.local/share;
// on Windows both under %LOCALAPPDATA%.
enum class UserData { State, Data };
[[nodiscard]] QString UserFolder(UserData kind);

// Where the history lives: $XDG_STATE_HOME (or ~/.local/state) /quorvin/history.jsonl; on Windows
// under %LOCALAPPDATA%.
[[nodiscard]] QString HistoryPath();

// Appends `entry` as one line, creating the folder when needed. False, with the system's words in
// `why`, when the line could not be written whole and synced.
[[nodiscard]] bool AppendHistory(const QJsonObject& entry, QString* why = nullptr);

// The entries from `path`, oldest first. A line that is not a JSON object (a torn last line after
// a crash, an editor's stray) is skipped and counted in `skipped`.
[[nodiscard]] QVector<QJsonObject> ReadHistory(const QString& path, int* skipped = nullptr);

// Where a copy of the newest recording (--record, QUORVIN_RECORD) is kept for a support bundle,
// beside the history.
[[nodiscard]] QString LastRecordingPath();
// Copies a finished recording there; false, with the reason, when it could not.
[[nodiscard]] bool KeepAsLastRecording(const QString& recording, QString* why);

// The SHA-256 of a regular file, in hex; empty for anything else or when it cannot be read.
[[nodiscard]] QString FileSha256(const QString& path);

}  // namespace quorvin
