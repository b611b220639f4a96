#include "serial_pty.h"

namespace quorvin::test {

void OnQtThread(const std::function<void()>& fn) {
  QThread* thread = QThread::create(fn);
  thread->start();
  thread->wait();
  delete thread;
}

void SerialRun::Start(std::function<OpResult(Channel&)> op) {
  m_startMs = clock.NowMs();
  m_thread = QThread::create([this, op = std::move(op)] {
    m_result = op(env);
    portOpenAfter = port.IsOpen();
    m_endMs = clock.NowMs();
  });
  m_thread->start();
}

OpResult SerialRun::Finish() {
  if (m_thread) {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
  }
  return m_result;
}

}  // namespace quorvin::test
