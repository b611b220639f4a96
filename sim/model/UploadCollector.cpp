#include "sim/model/UploadCollector.h"

namespace quorvin {

void UploadCollector::Begin(const UploadPacket& packet, int count) {
  m_active = true;
  m_command = packet.command;
  m_pace = packet.pace;
  m_count = count;
  m_next = 1;
  m_taken = 0;
  m_prevNumber = 0;
  m_ok = true;
  m_reason.clear();
  m_data.clear();
}

void UploadCollector::Fail(const QString& why) {
  if (!m_ok) return;  // the first fault is the one worth reporting
  m_ok = false;
  m_reason = why;
}

void UploadCollector::Check(const UploadPacket& p, int count, int number, qint64 nowMs) {
  const int data = p.DataBytes();
  if (!p.checksumOk) Fail(QStringLiteral("packet %1: checksum wrong").arg(number));
  if (count == 0) Fail(QStringLiteral("packet %1: count 0").arg(number));
  if (count != m_count)
    Fail(QStringLiteral("packet %1: count %2, the transfer began with %3").arg(number).arg(count).arg(m_count));
  if (number > count) Fail(QStringLiteral("packet %1 is past the count %2").arg(number).arg(count));
  if (number != m_next) Fail(QStringLiteral("packet numbered %1 where %2 was due").arg(number).arg(m_next));
  if (number < count && data != m_pace.dataPerPacket)
    Fail(QStringLiteral("packet %1 carries %2 bytes, a packet before the last carries %3")
             .arg(number)
             .arg(data)
             .arg(m_pace.dataPerPacket));
  if (number >= count && (data < 1 || data > m_pace.dataPerPacket))
    Fail(QStringLiteral("last packet %1 carries %2 bytes").arg(number).arg(data));
  if (m_taken == 0) return;  // the first packet of a transfer has no pause before it to judge
  const int wanted = m_prevNumber == 1 ? m_pace.firstPauseMs : m_pace.pauseMs;
  const qint64 gap = nowMs - m_prevAtMs;
  if (gap + m_toleranceMs < wanted)
    Fail(QStringLiteral("packet %1 came %2 ms after the one before, the device needs %3 ms")
             .arg(number)
             .arg(gap)
             .arg(wanted));
}

std::optional<UploadResult> UploadCollector::Take(const UploadPacket& p, qint64 nowMs) {
  if (!p.payload) {
    // Count and number cannot be read: the transfer is spoilt but goes on until its last packet.
    if (!m_active || m_command != p.command) Begin(p, 0);
    Fail(QStringLiteral("a packet with length byte %1 cannot carry count and number").arg(p.length));
    ++m_taken;
    m_prevAtMs = nowMs;
    return std::nullopt;
  }
  const auto [count, number] = ReadPacketHeader(p.payload);
  if (number == 1 || !m_active || m_command != p.command) Begin(p, count);
  Check(p, count, number, nowMs);

  if (m_ok) m_data.append(reinterpret_cast<const char*>(p.Data()), p.DataBytes());
  ++m_taken;
  m_prevNumber = number;
  m_prevAtMs = nowMs;
  m_next = number + 1;
  // The packet numbered as the count the transfer began with (or past it) ends it either way.
  if (number < m_count) return std::nullopt;

  m_active = false;
  UploadResult result;
  result.command = m_command;
  result.consistent = m_ok;
  result.reason = m_reason;
  result.packets = m_taken;
  if (m_ok) result.data = std::move(m_data);
  m_data.clear();
  return result;
}

}  // namespace quorvin
