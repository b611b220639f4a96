#include "app/ConfirmChange.h"

#include <QCheckBox>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include "front/FrequencyInput.h"

namespace quorvin {

QString ProductTitle(const Language& lang) { return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Quorvin Setup")); }

QString FileFactsText(const Language& lang, qint64 bytes, const QString& sha256) {
  QString text =
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Size: %1 bytes")).arg(QLocale(QLocale::English).toString(bytes));
  if (!sha256.isEmpty()) text += QLatin1Char('\n') + lang.Text(QT_TRANSLATE_NOOP("quorvin", "SHA-256: %1")).arg(sha256);
  return text;
}

QString ChangeQuestionText(const Language& l, const ChangeQuestion& q) {
  switch (q.op) {
    case OpKind::Upgrade:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "Upgrade the firmware of %1 with %2?")).arg(q.unit, q.file);
    case OpKind::Download:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "Send the backup data in %2 into %1? It replaces what %1 holds."))
          .arg(q.unit, q.file);
    case OpKind::FrequencySet:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "Set the working frequency of %1 to %2 Hz (%3)?"))
          .arg(q.unit, FrequencyFieldText(q.hz.value_or(0)), FrequencyInMhz(q.hz.value_or(0)));
    case OpKind::InitButtons:
      return l
          .Text(QT_TRANSLATE_NOOP("quorvin",
                                  "Initialize the call-button data of %1? Every call button it knows is erased."))
          .arg(q.unit);
    case OpKind::Restore:
      return l
          .Text(QT_TRANSLATE_NOOP("quorvin", "Put the snapshot %2 back onto %1: its backup data, then its frequency?"))
          .arg(q.unit, q.file);
    case OpKind::Version:
    case OpKind::FrequencyGet:
    case OpKind::ReadBack:
    case OpKind::Snapshot:  // only reads the unit
      break;
  }
  return {};
}

void AddSafeAnswer(QMessageBox& box, const QString& text) {
  QPushButton* safe = box.addButton(text, QMessageBox::RejectRole);
  box.setDefaultButton(safe);
  box.setEscapeButton(safe);
}

Consent DialogAsker::Ask(QWidget* owner, const Language& l, const ChangeQuestion& q) {
  QMessageBox box(QMessageBox::Question, ProductTitle(l), ChangeQuestionText(l, q), QMessageBox::NoButton, owner);
  box.setObjectName(QStringLiteral("confirmChange"));
  if (q.bytes >= 0) box.setInformativeText(FileFactsText(l, q.bytes, q.sha256));
  QPushButton* go = box.addButton(l.Text(QT_TRANSLATE_NOOP("quorvin", "&Go ahead")), QMessageBox::AcceptRole);
  AddSafeAnswer(box, l.Text(QT_TRANSLATE_NOOP("quorvin", "&Cancel")));
  auto* stop = new QCheckBox(l.Text(QT_TRANSLATE_NOOP("quorvin", "Do not ask again for %1")).arg(q.unit), &box);
  box.setCheckBox(stop);
  box.exec();
  if (box.clickedButton() != go) return Consent::Cancel;
  return stop->isChecked() ? Consent::GoAndStopAsking : Consent::Go;
}

}  // namespace quorvin
