#pragma once
// Runs one device operation at a time off the GUI thread, so the window keeps painting and a USB
// read-back keeps draining reports while a box is open or the window is dragged. While an
// operation runs no second one starts, and the poll timer's discovery stays out of the link.

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>

namespace quorvin {

class OperationRunner : public QObject {
  Q_OBJECT
 public:
  explicit OperationRunner(QObject* parent = nullptr);
  ~OperationRunner() override;

  // Starts `op` on a worker thread. False (and nothing run) while another operation runs.
  bool Start(std::function<void()> op);
  // Runs `fn` here and now on the calling thread, holding the busy state for its duration (the
  // poll timer's discovery). False when an operation is running.
  bool RunExclusive(const std::function<void()>& fn);
  [[nodiscard]] bool IsBusy() const { return m_busy.load(); }
  // Blocks until the running operation, if any, has ended (events keep being served).
  void WaitForIdle();

 signals:
  void started();
  void finished();

 private:
  void OnWorkerDone();

  std::atomic<bool> m_busy{false};
  QThread* m_worker = nullptr;
};

}  // namespace quorvin
