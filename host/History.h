#pragma once
// The record of what was done to which unit: one JSON line per operation, from the window and from
// quorvinctl alike, appended to $XDG_STATE_HOME/quorvin/history.jsonl. A line goes out in one
// write on a file opened for appending, so two programs writing at once never interleave within a
// line, and it is synced before the append counts as done. A history that cannot be written never
// fails the operation it records: the caller warns once and goes on.

#include <QJsonObject>
#include <QString>
#include <QVector>

#include "host/OutputFile.h"

namespace quorvin {

// The tool's folder for what it keeps for the user: State (history, the newest recording) under
// $XDG_STATE_HOME or ~/.local/state, Data (snapshots) under $XDG_DATA_HOME or ~/.local/share;
// on Windows both under %LOCALAPPDATA%.
enum class UserData { State, Data };
[[nodiscard]] QString UserFolder(UserData kind);

// Where the history lives: $XDG_STATE_HOME (or ~/.local/state) /quorvin/history.jsonl; on Windows
// under %LOCALAPPDATA%.
[[nodiscard]] QString HistoryPath();

// Why a file the tool keeps for itself (the history, the newest recording) could not be used; the
// words for it are the caller's (ops/FaultTexts.h).
struct FileProblem {
  enum class Kind {
    None,
    NotRegular,  // a pipe, device, socket or folder stands at its path: never opened for good
    Refused,     // its path was turned away as a place to write (`refusal`)
    System,      // the system refused (its words in `reason`)
  };
  Kind kind = Kind::None;
  QString path;  // the file at fault
  QString reason;
  OutputRefusal refusal = OutputRefusal::None;
  [[nodiscard]] bool Any() const { return kind != Kind::None; }
};

// Appends `entry` as one line, creating the folder when needed. False, with what went wrong, when
// the line could not be written whole and synced; a history that is not a regular file (a FIFO,
// say) is refused at once, never waited on.
[[nodiscard]] bool AppendHistory(const QJsonObject& entry, FileProblem* problem = nullptr);

// The entries from `path`, oldest first. A line that is not a JSON object (a torn last line after
// a crash, an editor's stray) is skipped and counted in `skipped`; an entry a torn line took with it
// (written after it on the same line) is still read. No history yet reads as none; one that is
// there but cannot be read (not a regular file, no permission) reads as none too, with the reason
// in `problem`, which says None otherwise. Never waits on a FIFO.
[[nodiscard]] QVector<QJsonObject> ReadHistory(const QString& path, int* skipped = nullptr,
                                               FileProblem* problem = nullptr);

// Where a copy of the newest recording (--record, QUORVIN_RECORD) is kept for a support bundle,
// beside the history.
[[nodiscard]] QString LastRecordingPath();
// Copies a finished recording there; false, with what went wrong, when it could not.
[[nodiscard]] bool KeepAsLastRecording(const QString& recording, FileProblem* problem);

// The SHA-256 of a regular file, in hex; empty for anything else or when it cannot be read.
[[nodiscard]] QString FileSha256(const QString& path);

}  // namespace quorvin
