#include "bench/BoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>

#include "bench/SteadyTime.h"

namespace quorvin::bench {

BoxAnswerer::BoxAnswerer() { qApp->installEventFilter(this); }

BoxAnswerer::~BoxAnswerer() { qApp->removeEventFilter(this); }

void BoxAnswerer::Clear() {
  m_texts.clear();
  m_shownNs.clear();
}

bool BoxAnswerer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Show) return false;
  auto* box = qobject_cast<QMessageBox*>(watched);
  if (!box) return false;
  m_shownNs.push_back(SteadyNs());
  m_texts << box->text();
  // Clicked from the box's own event loop, once it runs.
  QTimer::singleShot(0, box, [box] {
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
  });
  return false;
}

}  // namespace quorvin::bench
