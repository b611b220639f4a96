#pragma once
// The window's Doctor: the checks `quorvinctl doctor` makes (the repeater on USB and its node, the
// udev rule, the serial ports, who holds a busy one), each OK or PROBLEM with its exact fix. The
// checks run off the window's thread: they open device nodes and ports to see whether they can.

#include <QWidget>
#include <vector>

#include "app/BackgroundWork.h"
#include "front/Doctor.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quorvin {

class DoctorView : public QWidget {
  Q_OBJECT
 public:
  // `root`: the system tree to look at ("/"; tests hand in a made-up one).
  explicit DoctorView(const Language& lang, QString root = QStringLiteral("/"), QWidget* parent = nullptr);
  void SetLanguage(const Language& lang);
  [[nodiscard]] const std::vector<Finding>& Findings() const { return m_findings; }
  [[nodiscard]] bool Busy() const { return m_work.Busy(); }
  [[nodiscard]] QTreeWidget* Table() const { return m_table; }

 public slots:
  void Check();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show(std::vector<Finding> findings);
  void Relabel();

  Language m_lang;
  QString m_root;
  QTreeWidget* m_table = nullptr;
  QLabel* m_summary = nullptr;
  QPushButton* m_again = nullptr;
  std::vector<Finding> m_findings;
  BackgroundWork m_work;
  bool m_checked = false;
};

}  // namespace quorvin
