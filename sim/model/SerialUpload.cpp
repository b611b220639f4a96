#include "sim/model/SerialUpload.h"

namespace quorvin {

void SerialUpload::Fail(const QString& why) {
  if (!m_ok) return;  // the first fault is the one worth reporting
  m_ok = false;
  m_reason = why;
}

std::optional<UploadResult> SerialUpload::Take(const QByteArray& frame, bool checksumOk, qint64 nowMs) {
  const auto at = [&](int i) { return static_cast<std::uint8_t>(frame[i]); };
  const std::uint8_t command = at(3);
  const int length = at(4);
  if (length < 5) {
    // Too short to carry a count, a number and data: not a packet of any transfer.
    if (m_active) Fail(QStringLiteral("a packet of length %1").arg(length));
    return std::nullopt;
  }
  const auto [count, number] = ReadPacketHeader(reinterpret_cast<const std::uint8_t*>(frame.constData()) + 5);
  if (number == 1 || !m_active || command != m_command) {
    m_active = true;
    m_command = command;
    m_count = count;
    m_next = 1;
    m_taken = 0;
    m_ok = true;
    m_reason.clear();
    m_data.clear();
  } else if (nowMs - m_prevAtMs < kSerialPacketPauseMs - m_toleranceMs) {
    Fail(QStringLiteral("packet %1 came %2 ms after the one before, without the %3 ms pause")
             .arg(number)
             .arg(nowMs - m_prevAtMs)
             .arg(kSerialPacketPauseMs));
  }
  m_prevAtMs = nowMs;
  ++m_taken;
  const int data = length - 4;
  if (!checksumOk) Fail(QStringLiteral("packet %1 has a wrong checksum").arg(number));
  if (count != m_count)
    Fail(QStringLiteral("packet %1 gives the count %2, not %3").arg(number).arg(count).arg(m_count));
  if (number > count) Fail(QStringLiteral("packet %1 is past the count %2").arg(number).arg(count));
  if (number != m_next) Fail(QStringLiteral("packet %1 came where %2 was due").arg(number).arg(m_next));
  if (data > kSerialPacketData) Fail(QStringLiteral("packet %1 carries %2 data bytes").arg(number).arg(data));
  if (number < count && data != kSerialPacketData)
    Fail(QStringLiteral("packet %1 of %2 carries only %3 data bytes").arg(number).arg(count).arg(data));
  m_data.append(frame.mid(9, data));
  m_next = number + 1;
  if (number < count) return std::nullopt;
  // The packet numbered as the count (or past it) ends the transfer either way.

  m_active = false;
  UploadResult result;
  result.command = m_command;
  result.consistent = m_ok;
  result.reason = m_reason;
  result.data = m_data;
  result.packets = m_taken;
  return result;
}

}  // namespace quorvin
