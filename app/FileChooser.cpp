#include "app/FileChooser.h"

#include <QFileDialog>

namespace quorvin {

namespace {

QString Choose(QWidget* owner, const QString& initialName, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("*.bin"));
  dialog.setDefaultSuffix(QStringLiteral("bin"));
  // Saving over a file asks first; the dialog does that unless told otherwise.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString QtFileChooser::OpenBin(QWidget* owner, const QString& initialName) {
  return Choose(owner, initialName, QFileDialog::AcceptOpen);
}

QString QtFileChooser::SaveBin(QWidget* owner, const QString& initialName) {
  return Choose(owner, initialName, QFileDialog::AcceptSave);
}

}  // namespace quorvin
