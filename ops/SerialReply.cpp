#include "ops/SerialReply.h"

#include "link/SerialPort.h"
#include "protocol/Frame.h"

namespace quorvin {

namespace {
constexpr int kSmallestFrame = kFrameOverhead;  // 55 AA, direction, command, length 0, checksum
}

void SerialReply::Clear() {
  m_bytes.fill(0);
  m_count = 0;
  m_fresh = false;
}

SerialReply::Step SerialReply::Read(SerialSession& session, int completeAt) {
  SerialEnv& env = session.Env();
  (void)env.fb.PumpMessages();
  const int limit = (completeAt > 0 && m_count < completeAt) ? completeAt : kCapacity;
  // While a reply is under way a short wait tells whether the line has fallen silent; before the
  // first byte the wait is longer but still short enough to keep the caller's window exact.
  const int waitMs = m_fresh ? kSerialSilenceMs : kSerialIdleWaitMs;
  if (limit <= m_count) {
    // A full reply the caller keeps takes no more bytes, and a read for none returns at once: wait
    // as a read would, so the caller's window runs out instead of its loop spinning until then.
    env.clock.SleepMs(waitMs);
    return Step::Waiting;
  }
  const qint64 got = env.port.Read(reinterpret_cast<char*>(m_bytes.data()) + m_count, limit - m_count, waitMs);
  if (got > 0) {
    env.fb.Trace(TraceDir::In, m_bytes.data() + m_count, static_cast<std::size_t>(got));
    m_count += static_cast<int>(got);
    m_fresh = true;
    if (completeAt > 0 && m_count == completeAt) {
      m_fresh = false;
      return Step::Complete;
    }
    // A full buffer cannot grow: take it as it stands.
    if (m_count < kCapacity) return Step::Got;
  }
  if (m_fresh) {
    m_fresh = false;
    return Step::Complete;
  }
  return Step::Waiting;
}

bool SerialReply::ChecksumHolds() const {
  if (m_count < kSmallestFrame) return false;
  return VerifyChecksum(m_bytes.data() + 2, static_cast<std::size_t>(m_count - 2));
}

bool SerialReply::LengthFits() const { return m_count >= kSmallestFrame && Length() + kSmallestFrame <= m_count; }

}  // namespace quorvin
