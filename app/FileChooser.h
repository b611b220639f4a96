#pragma once
// Where the window asks the user for a file. The real one shows the platform's file dialog; GUI
// tests put in one that answers with prepared paths.

#include <QString>

class QWidget;

namespace quorvin {

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // An existing "*.bin" file to send; empty when the user cancelled.
  [[nodiscard]] virtual QString OpenBin(QWidget* owner, const QString& initialName) = 0;
  // Where to store a "*.bin" file, after the overwrite question; empty when cancelled.
  [[nodiscard]] virtual QString SaveBin(QWidget* owner, const QString& initialName) = 0;
};

class QtFileChooser final : public FileChooser {
 public:
  QString OpenBin(QWidget* owner, const QString& initialName) override;
  QString SaveBin(QWidget* owner, const QString& initialName) override;
};

}  // namespace quorvin
