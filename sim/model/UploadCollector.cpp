#include "sim/model/UploadCollector.h"

namespace quorvin {

void UploadCollector::Begin(std::uint8_t command, int count) {
  m_active = true;
  m_command = command;
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

void UploadCollector::CheckPause(int number, qint64 nowMs) {
  if (m_taken == 0) return;
  const UsbUploadPace p = UsbUploadPaceFor(m_command);
  const int wanted = m_prevNumber == 1 ? p.firstPauseMs : p.pauseMs;
  const qint64 gap = nowMs - m_prevAtMs;
  if (gap + m_toleranceMs < wanted)
    Fail(QStringLiteral("packet %1 came %2 ms after the one before, the device needs %3 ms")
             .arg(number)
             .arg(gap)
             .arg(wanted));
}

std::optional<UploadResult> UploadCollector::Take(const Report& r, qint64 nowMs) {
  const std::uint8_t command = r[4];
  const int length = r[5];
  if (length < 4 || length > static_cast<int>(kMaxUsbPayload)) {
    // Count and number cannot be read: the transfer is spoilt but goes on until its last packet.
    if (!m_active || m_command != command) Begin(command, 0);
    Fail(QStringLiteral("a packet with length byte %1 cannot carry count and number").arg(length));
    ++m_taken;
    m_prevAtMs = nowMs;
    return std::nullopt;
  }
  const auto [count, number] = ReadPacketHeader(r.data() + 6);
  const int dataBytes = length - 4;
  if (number == 1 || !m_active || m_command != command) Begin(command, count);

  const UsbUploadPace p = UsbUploadPaceFor(command);
  if (!VerifyChecksum(r.data() + 3, static_cast<std::size_t>(length) + 4))
    Fail(QStringLiteral("packet %1: checksum wrong").arg(number));
  if (count == 0) Fail(QStringLiteral("packet %1: count 0").arg(number));
  if (count != m_count)
    Fail(QStringLiteral("packet %1: count %2, the transfer began with %3").arg(number).arg(count).arg(m_count));
  if (number != m_next) Fail(QStringLiteral("packet numbered %1 where %2 was due").arg(number).arg(m_next));
  if (number < count && dataBytes != p.dataPerPacket)
    Fail(QStringLiteral("packet %1 carries %2 bytes, a packet before the last carries %3")
             .arg(number)
             .arg(dataBytes)
             .arg(p.dataPerPacket));
  if (number >= count && (dataBytes < 1 || dataBytes > p.dataPerPacket))
    Fail(QStringLiteral("last packet %1 carries %2 bytes").arg(number).arg(dataBytes));
  CheckPause(number, nowMs);

  if (m_ok) m_data.append(reinterpret_cast<const char*>(r.data() + 10), dataBytes);
  ++m_taken;
  m_prevNumber = number;
  m_prevAtMs = nowMs;
  m_next = number + 1;
  if (number < m_count) return std::nullopt;

  m_active = false;
  UploadResult result;
  result.command = command;
  result.consistent = m_ok;
  result.reason = m_reason;
  result.packets = m_taken;
  if (m_ok) result.data = std::move(m_data);
  m_data.clear();
  return result;
}

}  // namespace quorvin
