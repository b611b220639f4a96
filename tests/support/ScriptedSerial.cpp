#include "support/ScriptedSerial.h"

#include <algorithm>
#include <cstring>

namespace quorvin::test {

void ScriptedSerial::QueueBytes(const QByteArray& bytes, qint64 delayMs) {
  if (bytes.isEmpty()) return;
  qint64 due = m_clock.NowMs() + std::max<qint64>(delayMs, 0);
  if (!m_chunks.empty()) due = std::max(due, m_chunks.back().dueMs);
  m_chunks.push_back({due, bytes});
}

void ScriptedSerial::Open(const QString& location, qint32 speedBps) {
  ++opens;
  if (openFailure) ThrowSerialException(2, *openFailure);
  openedAt = location;
  speed = speedBps;
  m_open = true;
}

void ScriptedSerial::Close() {
  if (m_open) ++closes;
  m_open = false;
}

void ScriptedSerial::Write(const char* data, qint64 count) {
  if (!m_open) ThrowSerialException(13, QStringLiteral("The port is not open"));
  const QByteArray bytes(data, count);
  written += bytes;
  writes.push_back({m_clock.NowMs(), bytes});
  if (responder) responder(bytes);
}

qint64 ScriptedSerial::Read(char* buffer, qint64 max, int waitMs) {
  if (!m_open) ThrowSerialException(13, QStringLiteral("The port is not open"));
  if (max <= 0) return 0;  // as the real port: no room asked for, no wait
  const qint64 now = m_clock.NowMs();
  const qint64 until = now + std::max(waitMs, 0);
  if (m_chunks.empty() || m_chunks.front().dueMs > until) {
    // Nothing comes in time: the whole wait passes (or the line fails part way through it).
    if (failReadsAtMs && *failReadsAtMs <= until) {
      m_clock.Advance(std::max<qint64>(*failReadsAtMs - now, 0));
      ThrowSerialException(9, readFailure, readFault);
    }
    m_clock.Advance(until - now);
    return 0;
  }
  if (m_chunks.front().dueMs > now) m_clock.Advance(m_chunks.front().dueMs - now);
  if (failReadsAtMs && *failReadsAtMs <= m_clock.NowMs()) ThrowSerialException(9, readFailure, readFault);
  // Everything due by now, as a driver hands over its whole buffer, up to what the caller takes.
  qint64 got = 0;
  while (got < max && !m_chunks.empty() && m_chunks.front().dueMs <= m_clock.NowMs()) {
    QByteArray& front = m_chunks.front().bytes;
    const qint64 n = std::min<qint64>(max - got, front.size());
    std::memcpy(buffer + got, front.constData(), static_cast<std::size_t>(n));
    got += n;
    front.remove(0, n);
    if (front.isEmpty()) m_chunks.pop_front();
  }
  return got;
}

}  // namespace quorvin::test
