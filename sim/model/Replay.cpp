#include "sim/model/Replay.h"

namespace quorvin {

std::vector<std::pair<qint64, QByteArray>> Replay::OnHost(const QByteArray& bytes, qint64 nowMs) {
  std::vector<std::pair<qint64, QByteArray>> due;
  if (m_divergence) return due;
  // A report is one request, whole: what follows a shorter match must not be taken for the next.
  const bool reports = m_rec.link == QLatin1String("usb");
  if (reports) m_pending.clear();
  m_pending.append(bytes);
  while (!m_pending.isEmpty()) {
    // Device events not answered to a host event (the recording began mid-stream) are skipped.
    while (m_next < m_rec.events.size() && !m_rec.events[m_next].fromHost) ++m_next;
    if (m_next >= m_rec.events.size()) {
      Diverge({});
      return due;
    }
    const RecordedEvent& want = m_rec.events[m_next];
    const qsizetype n = std::min(m_pending.size(), want.bytes.size());
    if (m_pending.left(n) != want.bytes.left(n) || (reports && m_pending.size() != want.bytes.size())) {
      Diverge(want.bytes);
      return due;
    }
    if (m_pending.size() < want.bytes.size()) return due;  // the rest is on its way
    m_pending.remove(0, want.bytes.size());
    ++m_requests;
    const qint64 base = want.ms;
    for (++m_next; m_next < m_rec.events.size() && !m_rec.events[m_next].fromHost; ++m_next)
      due.emplace_back(nowMs + (m_rec.events[m_next].ms - base), m_rec.events[m_next].bytes);
  }
  return due;
}

void Replay::Diverge(const QByteArray& expected) {
  const QString got = m_pending.left(80).toHex(' ');
  m_divergence =
      expected.isEmpty()
          ? QStringLiteral("replay: request %1 goes past the end of the recording: %2").arg(m_requests + 1).arg(got)
          : QStringLiteral("replay: request %1 differs from the recording: recorded %2, got %3")
                .arg(m_requests + 1)
                .arg(QString::fromLatin1(expected.left(80).toHex(' ')), got);
  if (m_tell) m_tell(*m_divergence);
}

}  // namespace quorvin
