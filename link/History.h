#pragma once
// The record of what was done to which unit: one JSON line per operation, from the window and from
// quorvinctl alike, appended to $XDG_STATE_HOME/quorvin/history.jsonl. A line goes out in one
// write on a file opened for appending, so two programs writing at once never interleave within a
// line, and it is synced before the append counts as done. A history that cannot be written never
// fails the operation it records: the caller warns once and goes on.

#include <QJsonObject>
#include <QString>
#include <QVector>

#include "link/Language.h"

namespace quorvin {

// The tool's folder for what it keeps for the user: State (history, the newest recording) under
// $XDG_STATE_HOME or ~/.local/state, Data (snapshots) under $XDG_DATA_HOME or ~/.local/share;
// on Windows both under %LOCALAPPDATA%.
enum class UserData { State, Data };
[[nodiscard]] QString UserFolder(UserData kind);

// Where the history lives: $XDG_STATE_HOME (or ~/.local/state) /quorvin/history.jsonl; on Windows
// under %LOCALAPPDATA%.
[[nodiscard]] QString HistoryPath();

// Appends `entry` as one line, creating the folder when needed. False, with the reason in `why`
// (in `lang`, or the system's words), when the line could not be written whole and synced; a
// history that is not a regular file (a FIFO, say) is refused at once, never waited on.
[[nodiscard]] bool AppendHistory(const QJsonObject& entry, QString* why = nullptr, const Language& lang = Language());

// The entries from `path`, oldest first. A line that is not a JSON object (a torn last line after
// a crash, an editor's stray) is skipped and counted in `skipped`; an entry a torn line took with it
// (written after it on the same line) is still read. No history yet reads as none; one that is
// there but cannot be read (not a regular file, no permission) reads as none too, with the reason
// in `why`, which is left empty otherwise. Never waits on a FIFO.
[[nodiscard]] QVector<QJsonObject> ReadHistory(const QString& path, int* skipped = nullptr, QString* why = nullptr,
                                               const Language& lang = Language());

// Where a copy of the newest recording (--record, QUORVIN_RECORD) is kept for a support bundle,
// beside the history.
[[nodiscard]] QString LastRecordingPath();
// Copies a finished recording there; false, with the reason (in `lang`, or the system's words),
// when it could not.
[[nodiscard]] bool KeepAsLastRecording(const QString& recording, QString* why, const Language& lang = Language());

// The SHA-256 of a regular file, in hex; empty for anything else or when it cannot be read.
[[nodiscard]] QString FileSha256(const QString& path);

}  // namespace quorvin
