#pragma once
// What every view of the window must offer beyond its own work: each control a keyboard or
// screen-reader user meets has a name and a tip, Tab reaches every control, and the view is usable
// on a 1024x600 screen at twice the scale (about 480x260 logical pixels) without cutting anything.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTabBar>
#include <QtTest>

namespace quorvin::test {

inline constexpr QSize kSmallScreen(480, 260);

// Turns the event loop while `busy` holds (a minute at most) and gives the longest time it
// stood still: how long a user's click would have waited.
template <class Busy>
qint64 LongestStall(const Busy& busy) {
  QElapsedTimer clock;
  clock.start();
  qint64 longest = 0;
  qint64 last = 0;
  while (busy() && clock.elapsed() < 60000) {
    QTest::qWait(2);
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  }
  return busy() ? clock.elapsed() : longest;
}

// The inner parts of a composite control (a date field's line edit, a table's header and bars, a
// combo's list) are named through the control they belong to.
inline bool InnerPart(const QWidget* w, const QWidget* root) {
  if (qobject_cast<const QScrollBar*>(w) || qobject_cast<const QHeaderView*>(w)) return true;
  for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
    if (qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QComboBox*>(p) ||
        qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QPlainTextEdit*>(p) ||
        qobject_cast<const QTabBar*>(p))
      return true;
  return false;
}

// The controls: what takes focus, and what shows data (a label that is no other's caption, a table).
inline QList<QWidget*> Controls(QWidget* root) {
  QList<QWidget*> controls;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (InnerPart(w, root) || w->isWindow()) continue;
    const auto* label = qobject_cast<const QLabel*>(w);
    const bool caption = label && label->buddy();
    const bool shows = (label && !label->text().isEmpty() && !caption) || qobject_cast<QAbstractItemView*>(w);
    if (w->focusPolicy() != Qt::NoFocus || shows) controls << w;
  }
  return controls;
}

inline QString Describe(const QWidget* w) {
  return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
}

namespace detail {

inline void CheckNamedAndTipped(QWidget* root) {
  for (QWidget* w : Controls(root)) {
    QVERIFY2(!w->accessibleName().trimmed().isEmpty(), qPrintable(Describe(w) + QStringLiteral(" has no name")));
    if (w->focusPolicy() != Qt::NoFocus)
      QVERIFY2(!w->toolTip().trimmed().isEmpty(), qPrintable(Describe(w) + QStringLiteral(" has no tip")));
  }
}

// Presses Tab round the window and checks that every control that takes Tab, enabled and shown,
// got the focus on the way.
inline void CheckTabReachesEveryControl(QWidget* root) {
  root->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(root));
  QSet<QWidget*> wanted;
  for (QWidget* w : Controls(root))
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(root)) wanted << w;
  QVERIFY(!wanted.isEmpty());
  QSet<QWidget*> reached;
  for (int i = 0; i < 4 * wanted.size() + 20 && reached != wanted; ++i) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    for (QWidget* w = focus; w && w != root; w = w->parentWidget())
      if (wanted.contains(w)) reached << w;
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  for (QWidget* w : wanted) QVERIFY2(reached.contains(w), qPrintable(Describe(w) + QStringLiteral(" not reached")));
}

// At the small screen's size nothing is squeezed below what it needs or pushed out of sight; what
// does not fit scrolls inside its own area.
inline void CheckFitsSmallScreen(QWidget* root) {
  const QSize least = root->minimumSizeHint();
  QVERIFY2(least.width() <= kSmallScreen.width() && least.height() <= kSmallScreen.height(),
           qPrintable(QStringLiteral("needs %1x%2").arg(least.width()).arg(least.height())));
  root->resize(kSmallScreen);
  QApplication::processEvents();
  for (QWidget* w : Controls(root)) {
    if (!w->isVisibleTo(root)) continue;
    bool scrolled = false;
    for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
      scrolled = scrolled || qobject_cast<const QScrollArea*>(p);
    if (scrolled) continue;
    const QRect where(w->mapTo(root, QPoint(0, 0)), w->size());
    QVERIFY2(root->rect().contains(where), qPrintable(Describe(w) + QStringLiteral(" is cut")));
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w))
      QVERIFY2(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(),
               qPrintable(Describe(w) + QStringLiteral(" is squeezed")));
  }
}

}  // namespace detail

// Shows `root` and makes every check above.
inline void CheckUsable(QWidget* root) {
  root->show();
  QVERIFY(QTest::qWaitForWindowExposed(root));
  detail::CheckNamedAndTipped(root);
  if (QTest::currentTestFailed()) return;
  detail::CheckTabReachesEveryControl(root);
  if (QTest::currentTestFailed()) return;
  detail::CheckFitsSmallScreen(root);
}

// The data of a test run in both languages.
inline void BothLanguages() {
  QTest::addColumn<bool>("english");
  QTest::newRow("English") << true;
  QTest::newRow("Chinese") << false;
}

}  // namespace quorvin::test
