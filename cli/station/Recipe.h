#pragma once
// A station recipe: the steps a production station runs on every repeater plugged into it, read
// from a small TOML file a technician edits by hand:
//
//   [[step]]
//   do = "upgrade"            # upgrade, download-backup, set-frequency, init-buttons,
//   file = "fw-2.1.bin"       # check-version, read-backup
//   sha256 = "9f86d0..."
//
// Everything that can be judged without a device is judged here, before any device is touched:
// the step names and their keys, the frequency's range, the files (read into memory once, so what
// is sent is exactly what was hashed, whatever happens to the file later) and the read-back folder.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "ops/Language.h"

namespace quorvin::station {

enum class StepKind { Upgrade, DownloadBackup, SetFrequency, InitButtons, CheckVersion, ReadBackup };

struct RecipeStep {
  StepKind kind = StepKind::InitButtons;
  int line = 0;      // where it starts in the recipe
  QString file;      // upgrade, download-backup: the absolute path
  QByteArray image;  // ... and its bytes, read at load
  QString sha256;    // ... their SHA-256 in lower-case hex
  qint32 hz = 0;     // set-frequency
  QString version;   // check-version: the text the device must report
  QString folder;    // read-backup: the absolute path of an existing folder
};

struct Recipe {
  QString path;
  QByteArray sha256;  // of the recipe file itself, for the report
  std::vector<RecipeStep> steps;
};

// Why a recipe is refused; tests and scripts go by this, never by the text.
enum class RecipeProblem {
  Unreadable,     // the recipe file itself cannot be read
  Syntax,         // not TOML
  NoSteps,        // no [[step]] at all
  UnknownStep,    // `do` names no step this station knows
  UnknownKey,     // a key the step does not take (a typo would otherwise be ignored silently)
  MissingKey,     // a key the step needs
  BadValue,       // a value of the wrong type or form (a sha256 that is not 64 hex digits)
  OutOfRange,     // a frequency the device cannot take
  FileMissing,    // a file that cannot be read
  FileBad,        // empty, or too large for the link
  HashMismatch,   // the file's SHA-256 differs from the one pinned
  FolderMissing,  // the read-back folder does not exist or is not a folder
};

struct RecipeError {
  RecipeProblem problem = RecipeProblem::Syntax;
  int line = 0;  // 0: the file as a whole
  QString text;  // line and reason in the user's language
};

// The step's name as the recipe writes it and the report records it.
[[nodiscard]] QString StepName(StepKind kind);

// The problem in a word for --json ("unknown-step", "hash-mismatch", ...).
[[nodiscard]] QString ProblemName(RecipeProblem problem);

// Reads and checks the recipe; relative paths are taken from the recipe's folder. Either a recipe
// or the first problem found.
[[nodiscard]] std::optional<Recipe> LoadRecipe(const QString& path, const Language& lang, RecipeError* error);

}  // namespace quorvin::station
