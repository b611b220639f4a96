#include "app/DoctorView.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/OperationsPanel.h"
#include "link/HidLink.h"

namespace quorvin {

DoctorView::DoctorView(const Language& lang, QString root, QWidget* parent)
    : QWidget(parent), m_lang(lang), m_root(std::move(root)) {
  setObjectName(QStringLiteral("doctorView"));
  m_table = new QTreeWidget(this);
  m_table->setObjectName(QStringLiteral("doctorFindings"));
  m_table->setColumnCount(3);
  m_table->setRootIsDecorated(false);
  m_table->setWordWrap(true);
  m_table->header()->setStretchLastSection(true);
  m_summary = new QLabel(this);
  m_summary->setObjectName(QStringLiteral("doctorSummary"));
  m_summary->setWordWrap(true);
  m_again = new QPushButton(this);
  m_again->setObjectName(QStringLiteral("doctorAgain"));
  m_again->setAutoDefault(false);
  connect(m_again, &QPushButton::clicked, this, &DoctorView::Check);
  auto* row = new QHBoxLayout;
  row->addWidget(m_summary, 1);
  row->addWidget(m_again);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(m_table, 1);
  Relabel();
}

void DoctorView::SetLanguage(const Language& lang) {
  m_lang = lang;
  Relabel();
  if (m_checked) Check();  // the findings' words are in the language too
}

void DoctorView::Relabel() {
  const Language& l = m_lang;
  m_table->setHeaderLabels({l.Text(QT_TRANSLATE_NOOP("quorvin", "Result")),
                            l.Text(QT_TRANSLATE_NOOP("quorvin", "What was found")),
                            l.Text(QT_TRANSLATE_NOOP("quorvin", "How to fix it"))});
  m_table->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "What the doctor found")));
  m_table->setToolTip(l.Text(QT_TRANSLATE_NOOP("quorvin", "Each check: OK, or PROBLEM with the step that fixes it")));
  m_again->setText(WithMnemonic(l.Text(QT_TRANSLATE_NOOP("quorvin", "Check again")), QLatin1Char('K')));
  m_again->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Check again")));
  m_again->setToolTip(l.Text(QT_TRANSLATE_NOOP("quorvin", "Look at the repeater, the udev rule and the ports again")));
  m_summary->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "The doctor's verdict")));
  setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Doctor")));
}

void DoctorView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_checked) Check();
}

void DoctorView::Check() {
  m_checked = true;
  m_summary->setText(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Checking...")));
  m_again->setEnabled(false);
  const QString root = m_root;
  const Language lang = m_lang;
  m_work.Start([this, root, lang](const BackgroundWork::Job& job) {
    std::vector<Finding> findings = Diagnose(GatherFacts(root), std::nullopt, lang);
    job.Deliver([this, findings = std::move(findings)]() mutable { Show(std::move(findings)); });
  });
}

void DoctorView::Show(std::vector<Finding> findings) {
  m_findings = std::move(findings);
  m_table->clear();
  int problems = 0;
  for (const Finding& f : m_findings) {
    auto* item = new QTreeWidgetItem(m_table);
    item->setText(0, f.ok ? QStringLiteral("OK") : QStringLiteral("PROBLEM"));
    item->setText(1, f.subject.isEmpty() ? f.what : QStringLiteral("%1: %2").arg(f.subject, f.what));
    item->setText(2, f.fix);
    item->setToolTip(2, f.fix);
    if (!f.ok) {
      ++problems;
      item->setForeground(0, QColor(180, 0, 0));
    }
  }
  m_table->resizeColumnToContents(0);
  // What was found reads whole where there is room; the fix takes the rest (its tip has it all).
  m_table->resizeColumnToContents(1);
  m_table->setColumnWidth(1, std::min(m_table->columnWidth(1), std::max(200, m_table->width() / 2)));
  m_summary->setText(
      problems == 0
          ? m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "All is well."))
          : m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 problems found: each says how to fix it.")).arg(problems));
  m_again->setEnabled(true);
}

}  // namespace quorvin
