#include "link/SerialReply.h"

namespace quorvin {

SerialReply::Got SerialReply::Read(SerialPort& port, LinkEvents& fb, Clock& clock, int completeAt) {
  (void)fb.PumpMessages();
  const int limit = (completeAt > 0 && m_count < completeAt) ? completeAt : kCapacity;
  // While a reply is under way a short wait tells whether the line has fallen silent; before the
  // first byte the wait is longer but still short enough to keep the caller's window exact.
  const int waitMs = m_fresh ? kSerialSilenceMs : kSerialIdleWaitMs;
  if (limit <= m_count) {
    // A full reply the caller keeps takes no more bytes: wait as a read would, so the caller's
    // window runs out instead of its loop spinning until then.
    clock.SleepMs(waitMs);
    return Got::Nothing;
  }
  const qint64 got = port.Read(reinterpret_cast<char*>(m_bytes.data()) + m_count, limit - m_count, waitMs);
  if (got > 0) {
    fb.Trace(TraceDir::In, m_bytes.data() + m_count, static_cast<std::size_t>(got));
    m_count += static_cast<int>(got);
    m_fresh = true;
    if (completeAt > 0 && m_count == completeAt) {
      m_fresh = false;
      return Got::Complete;
    }
    if (m_count < kCapacity) return Got::Bytes;  // a full buffer cannot grow: take it as it stands
  }
  if (!m_fresh) return Got::Nothing;
  m_fresh = false;
  return Got::Complete;
}

}  // namespace quorvin
