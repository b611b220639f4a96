#pragma once
// Where the window asks the user for a file. The real one shows the platform's file dialog, titled
// by what the file is for, opening in the folder that operation used last; GUI tests put in one
// that answers with prepared paths.

#include <QString>

class QWidget;

namespace quorvin {

struct FileQuestion {
  QString title;        // what the file is for: "Choose the firmware image"
  QString folder;       // where to start: the folder this operation used last
  QString initialName;  // the name offered
  QString filter;       // "Firmware images (*.bin)"; "All files (*)" is always offered too
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // An existing file to send; empty when the user cancelled.
  [[nodiscard]] virtual QString OpenBin(QWidget* owner, const FileQuestion& question) = 0;
  // Where to store a file, after the overwrite question; empty when cancelled.
  [[nodiscard]] virtual QString SaveBin(QWidget* owner, const FileQuestion& question) = 0;
};

class QtFileChooser final : public FileChooser {
 public:
  QString OpenBin(QWidget* owner, const FileQuestion& question) override;
  QString SaveBin(QWidget* owner, const FileQuestion& question) override;
};

}  // namespace quorvin
