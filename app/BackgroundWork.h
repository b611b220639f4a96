#pragma once
// Work on the user's files that may take longer than a window can stand still (reading a long
// history, hashing snapshot backups of several megabytes, saving a log to a slow disk): it runs on
// a thread of its own and hands its results back on the GUI thread. Starting new work supersedes
// the work still running: that is asked to stop at its next step, and whatever it hands back
// later is dropped, so a result never lands on a newer one.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace quorvin {

class BackgroundWork : public QObject {
 public:
  class Job {
   public:
    // True once newer work has started or the owner is going: stop at the next step.
    [[nodiscard]] bool Stopped() const { return m_state->stop.load(); }
    // Runs `fn` on the GUI thread, in the order given, unless the job has been stopped by then.
    void Deliver(std::function<void()> fn) const;

   private:
    friend class BackgroundWork;
    struct State {
      std::atomic<bool> stop{false};
    };
    Job(BackgroundWork* owner, std::shared_ptr<State> state) : m_owner(owner), m_state(std::move(state)) {}
    BackgroundWork* m_owner;
    std::shared_ptr<State> m_state;
  };

  explicit BackgroundWork(QObject* parent = nullptr);
  // Stops what still runs and waits for it: at most the one step it is in (one file hashed).
  ~BackgroundWork() override;
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  // Runs `work` on a new thread. It must not touch the widgets; it hands them its results through
  // Job::Deliver.
  void Start(std::function<void(const Job&)> work);
  // The newest work has not finished (its last delivery not yet made).
  [[nodiscard]] bool Busy() const { return m_busy; }

 private:
  std::shared_ptr<Job::State> m_current;
  std::vector<std::pair<QThread*, std::shared_ptr<Job::State>>> m_threads;
  bool m_busy = false;
};

}  // namespace quorvin
