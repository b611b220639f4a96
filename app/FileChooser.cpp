#include "app/FileChooser.h"

#include <QDir>
#include <QFileDialog>

namespace quorvin {

namespace {

QString Choose(QWidget* owner, const FileQuestion& q, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner, q.title);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilters({q.filter.isEmpty() ? QStringLiteral("*.bin") : q.filter, QStringLiteral("* (*)")});
  if (q.filter.isEmpty() || q.filter.contains(QLatin1String(".bin"))) dialog.setDefaultSuffix(QStringLiteral("bin"));
  // Saving over a file asks first; the dialog does that unless told otherwise.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (!q.folder.isEmpty() && QDir(q.folder).exists()) dialog.setDirectory(q.folder);
  dialog.selectFile(q.initialName);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString QtFileChooser::OpenBin(QWidget* owner, const FileQuestion& question) {
  return Choose(owner, question, QFileDialog::AcceptOpen);
}

QString QtFileChooser::SaveBin(QWidget* owner, const FileQuestion& question) {
  return Choose(owner, question, QFileDialog::AcceptSave);
}

}  // namespace quorvin
