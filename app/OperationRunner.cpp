#include "app/OperationRunner.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace quorvin {

OperationRunner::OperationRunner(QObject* parent) : QObject(parent) {}

OperationRunner::~OperationRunner() {
  if (m_worker) {
    m_worker->wait();
    delete m_worker;
  }
}

bool OperationRunner::Start(std::function<void()> op) {
  bool expected = false;
  if (!m_busy.compare_exchange_strong(expected, true)) return false;
  if (m_worker) {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
  }
  m_worker = QThread::create(std::move(op));
  connect(m_worker, &QThread::finished, this, &OperationRunner::OnWorkerDone, Qt::QueuedConnection);
  emit started();
  m_worker->start();
  return true;
}

void OperationRunner::OnWorkerDone() {
  m_busy = false;
  emit finished();
}

bool OperationRunner::RunExclusive(const std::function<void()>& fn) {
  bool expected = false;
  if (!m_busy.compare_exchange_strong(expected, true)) return false;
  fn();
  m_busy = false;
  return true;
}

void OperationRunner::WaitForIdle() {
  while (m_busy.load()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (m_worker && m_worker->isFinished()) QCoreApplication::sendPostedEvents(this);
  }
}

}  // namespace quorvin
