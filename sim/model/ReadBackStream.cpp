#include "sim/model/ReadBackStream.h"

#include <algorithm>
#include <array>

namespace quorvin {

int ReadBackStream::PacketCount(qsizetype bytes) {
  if (bytes <= 0) return 0;
  return static_cast<int>((bytes + kUsbReadBackPacketData - 1) / kUsbReadBackPacketData);
}

Report ReadBackStream::BuildPacket(const QByteArray& data, int number) {
  const int count = PacketCount(data.size());
  const qsizetype offset = qsizetype{number - 1} * kUsbReadBackPacketData;
  const qsizetype size =
      count == 0 ? 0 : std::clamp<qsizetype>(data.size() - offset, 0, qsizetype{kUsbReadBackPacketData});
  if (count == 0) number = 0;
  std::array<std::uint8_t, kPacketHeaderSize + kUsbReadBackPacketData> payload{};
  PutPacketHeader(payload.data(), count, number);
  if (size > 0) std::copy_n(data.constData() + offset, size, payload.begin() + 4);
  return BuildReplyReport(cmd::BackupReadBack, std::span(payload).first(static_cast<std::size_t>(size) + 4));
}

void ReadBackStream::Start(QByteArray data, int fromNumber, int lastNumber, qint64 originMs, int intervalUs) {
  m_data = std::move(data);
  m_next = fromNumber;
  m_last = lastNumber;
  m_originMs = originMs;
  m_intervalUs = std::max(intervalUs, 0);
  m_active = m_next <= m_last;
}

std::optional<qint64> ReadBackStream::NextDueMs() const {
  if (!m_active) return std::nullopt;
  // Counted in microseconds from packet 1, so a rate below 1 ms per report adds up exactly.
  const qint64 elapsedUs = qint64{m_next - 1} * m_intervalUs;
  return m_originMs + (elapsedUs + 999) / 1000;
}

Report ReadBackStream::TakeNext() {
  const Report r = BuildPacket(m_data, m_next);
  ++m_next;
  if (m_next > m_last) m_active = false;
  return r;
}

}  // namespace quorvin
