#pragma once
// The device's side of a USB backup read-back: after one 0xC5 request it sends its backup data
// unasked, 54 bytes per report, each packet carrying the packet count and its number (high byte
// first), one report every `intervalUs` microseconds.

#include <QByteArray>
#include <QtGlobal>
#include <optional>

#include "protocol/Protocol.h"

namespace quorvin {

class ReadBackStream {
 public:
  // The most backup data a read-back can number.
  static constexpr qsizetype kMaxBytes = qsizetype{kMaxPacketCount} * kUsbReadBackPacketData;

  // Packets needed for `bytes` bytes; an empty store still answers with one empty packet.
  [[nodiscard]] static int PacketCount(qsizetype bytes);
  // Packet `number` (from 1) of `data`; with empty data the one packet has count 0 and no data.
  [[nodiscard]] static Report BuildPacket(const QByteArray& data, int number);

  // Streams packets `fromNumber`..`lastNumber`; packet k is due (k - 1) intervals after originMs,
  // the time packet 1 was due, and never before its exact time.
  void Start(QByteArray data, int fromNumber, int lastNumber, qint64 originMs, int intervalUs);
  void Cancel() { m_active = false; }
  [[nodiscard]] bool Active() const { return m_active; }
  [[nodiscard]] std::optional<qint64> NextDueMs() const;
  // The next packet; only while Active().
  [[nodiscard]] Report TakeNext();

 private:
  QByteArray m_data;
  bool m_active = false;
  int m_next = 0;
  int m_last = 0;
  qint64 m_originMs = 0;
  int m_intervalUs = 1000;
};

}  // namespace quorvin
