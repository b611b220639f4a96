#include "app/BackgroundWork.h"

#include <QThread>
#include <algorithm>

namespace quorvin {

void BackgroundWork::Job::Deliver(std::function<void()> fn) const {
  // Posted to the owner, which outlives every thread it started: its destructor waits for them,
  // and the posts still queued go with it.
  QMetaObject::invokeMethod(
      m_owner,
      [state = m_state, fn = std::move(fn)] {
        if (!state->stop) fn();
      },
      Qt::QueuedConnection);
}

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) {}

BackgroundWork::~BackgroundWork() {
  for (auto& [thread, state] : m_threads) state->stop = true;
  for (auto& [thread, state] : m_threads) {
    thread->wait();
    delete thread;
  }
}

void BackgroundWork::Start(std::function<void(const Job&)> work) {
  if (m_current) m_current->stop = true;
  auto state = std::make_shared<Job::State>();
  m_current = state;
  m_busy = true;
  QThread* thread = QThread::create([job = Job(this, state), work = std::move(work)] { work(job); });
  // Queued after every delivery the work made, so Busy() ends only once they have all been made.
  connect(
      thread, &QThread::finished, this,
      [this, thread, state] {
        if (state == m_current) m_busy = false;
        const auto it =
            std::find_if(m_threads.begin(), m_threads.end(), [&](const auto& t) { return t.first == thread; });
        if (it == m_threads.end()) return;
        m_threads.erase(it);
        thread->wait();
        delete thread;
      },
      Qt::QueuedConnection);
  m_threads.emplace_back(thread, state);
  thread->start();
}

}  // namespace quorvin
