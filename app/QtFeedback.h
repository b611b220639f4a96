#pragma once
// The window's side of the Feedback seam. Operations run on the runner's worker thread, so every
// call is carried over to the GUI thread: boxes and the progress window's creation, range and
// closing block the worker until done (a box until the user has acknowledged it); text and
// position updates are coalesced and shown at most ~30 times a second, since a read-back sets them
// for every packet, a thousand times a second. Whatever was last set before a box, a range change
// or the window's closing is on screen first, and a pending update always shows within one
// display interval, so a pause never freezes an old line. Called on the GUI thread itself (the poll
// timer's discovery), everything acts at once.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

#include "ops/Feedback.h"

namespace quorvin {

class MainWindow;

class QtFeedback final : public QObject, public Feedback {
  Q_OBJECT
 public:
  explicit QtFeedback(MainWindow& window);

  static constexpr int kDisplayIntervalMs = 33;

  void MessageBox(const QString& text, MsgIcon icon) override;
  void ShowProgress() override;
  void SetProgressText(const QString& text) override;
  void SetProgressRange(int max) override;
  void SetProgressPos(int pos) override;
  [[nodiscard]] int ProgressPos() override;
  void CloseProgress() override;
  bool PumpMessages() override;
  // Cancel in the progress panel (or Escape, or closing the window) asked the operation to stop.
  bool CancelRequested() override;
  void DebugLine(const QString& line) override;

  // How many coalesced updates reached the screen (for the throttling test).
  [[nodiscard]] int DisplayedUpdates() const { return m_displayed; }

 private:
  struct Pending {
    std::optional<QString> text;
    std::optional<int> pos;
  };

  [[nodiscard]] bool OnGuiThread() const;
  // Runs `fn` on the GUI thread and returns when it has run, after showing what was pending.
  void RunOnGui(const std::function<void()>& fn);
  void Queue(const std::function<void(Pending&)>& update);
  void ArmFlush();
  void FlushPending();
  void Apply(const Pending& pending);
  // Mirrors the bar's state after a change made on the GUI thread.
  void TakeBarState();

  MainWindow& m_window;
  std::mutex m_mutex;
  Pending m_pending;
  bool m_flushQueued = false;
  int m_max = 3;
  int m_pos = 0;
  int m_displayed = 0;
  QTimer m_flushTimer;
  QElapsedTimer m_sinceFlush;
};

}  // namespace quorvin
