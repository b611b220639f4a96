#include "sim/model/SerialDevice.h"

#include <algorithm>

namespace quorvin {

namespace {

constexpr int kHeader = 5;  // 55 AA direction command length

}  // namespace

QByteArray SerialDevice::BuildReply(std::uint8_t command, const QByteArray& payload) {
  return BuildReplyFrame(command, ByteSpan(payload));
}

void SerialDevice::OnBytes(const QByteArray& bytes, qint64 nowMs) {
  if (m_model.Vanished() || bytes.isEmpty()) return;
  if (!m_input.isEmpty() && nowMs - m_lastByteMs > kStaleFrameMs) {
    Note(nowMs, QStringLiteral("%1 bytes of an unfinished frame given up").arg(m_input.size()));
    m_input.clear();
  }
  m_lastByteMs = nowMs;
  if (Replay* replay = m_model.GetReplay()) {
    for (auto& [due, reply] : replay->OnHost(bytes, nowMs)) Queue(due, reply);
    return;
  }
  m_input.append(bytes);
  ExtractFrames(nowMs);
}

void SerialDevice::ExtractFrames(qint64 nowMs) {
  for (;;) {
    // Anything before the start bytes is line noise.
    const qsizetype start = m_input.indexOf(QByteArrayLiteral("\x55\xAA"));
    if (start < 0) {
      if (m_input.endsWith('\x55'))
        m_input = m_input.right(1);
      else
        m_input.clear();
      return;
    }
    if (start > 0) {
      Note(nowMs, QStringLiteral("%1 bytes before a frame skipped").arg(start));
      m_input.remove(0, start);
    }
    if (m_input.size() < kHeader) return;
    const qsizetype total = kHeader + static_cast<std::uint8_t>(m_input[4]) + 1;
    if (m_input.size() < total) return;
    const QByteArray frame = m_input.left(total);
    m_input.remove(0, total);
    m_model.Log().Add({nowMs, LogKind::FromHost, LogLink::Serial, frame, {}});
    Dispatch(frame, nowMs);
  }
}

void SerialDevice::Dispatch(const QByteArray& frame, qint64 nowMs) {
  const auto command = static_cast<std::uint8_t>(frame[3]);
  const bool checksumOk = VerifyChecksum(reinterpret_cast<const std::uint8_t*>(frame.constData()) + 2,
                                         static_cast<std::size_t>(frame.size() - 2));
  if (static_cast<std::uint8_t>(frame[2]) != kDirRequest) {
    Note(nowMs, QStringLiteral("not a request frame; ignored"));
    return;
  }
  if (command == cmd::SerialUpgrade || command == cmd::BackupDownload) {
    HandlePacket(frame, checksumOk, nowMs);  // judged as part of the transfer, bad checksum included
    return;
  }
  if (!checksumOk) {
    Note(nowMs, QStringLiteral("request %1 with a wrong checksum; ignored").arg(HexByte(command)));
    return;
  }
  // A new request ends a read-back still under way. A reply already going out byte by byte is
  // finished: a device's line cannot take back half a frame.
  std::erase_if(m_queue, [](const Pending& p) { return !p.piece; });
  m_upload.Reset();
  switch (command) {
    case cmd::ReadVersion: {
      qint64 due = nowMs;
      (void)SendReply(BuildReply(command, m_model.Version()), due, nowMs);
      return;
    }
    case cmd::BackupReadBack:
      StartReadBack(nowMs);
      return;
    default:
      Note(nowMs, QStringLiteral("command %1 is not served on the serial link; ignored").arg(HexByte(command)));
      return;
  }
}

void SerialDevice::HandlePacket(const QByteArray& frame, bool checksumOk, qint64 nowMs) {
  m_upload.SetPauseToleranceMs(m_model.PauseToleranceMs());
  auto verdict = m_upload.Take(SerialUploadPacket(frame, checksumOk), nowMs);
  if (!verdict) return;
  DeviceFaults& faults = m_model.Faults();
  std::uint8_t status = verdict->consistent ? status::Accepted : status::Refused;
  if (verdict->consistent && faults.refuse.Strike()) {
    status = status::Refused;
    verdict->consistent = false;
    verdict->reason = QStringLiteral("refused on purpose (fault)");
  } else if (verdict->consistent && faults.quietStatus.Strike()) {
    status = status::SerialQuiet;
    verdict->consistent = false;
    verdict->reason = QStringLiteral("answered 0x66 on purpose (fault)");
  }
  Note(nowMs, verdict->consistent
                  ? QStringLiteral("serial upload %1 accepted: %2 packets, %3 bytes")
                        .arg(HexByte(verdict->command))
                        .arg(verdict->packets)
                        .arg(verdict->data.size())
                  : QStringLiteral("serial upload %1 not kept: %2").arg(HexByte(verdict->command), verdict->reason));
  m_model.StoreUpload(*verdict);
  qint64 due = nowMs;
  (void)SendReply(BuildReply(verdict->command, QByteArray(1, static_cast<char>(status))), due, nowMs);
}

void SerialDevice::StartReadBack(qint64 nowMs) {
  const QByteArray& data = m_model.BackupData();
  const int count =
      std::max<int>(static_cast<int>((data.size() + kSerialReadBackPacketData - 1) / kSerialReadBackPacketData), 1);
  const int limit = m_model.Faults().stopReadBackAfter;
  const int last = limit >= 0 ? std::min(count, limit) : count;
  if (last < count)
    Note(nowMs, QStringLiteral("read-back will stop after %1 of %2 packets (fault)").arg(last).arg(count));
  // Back to back, each frame due when the one before has left the wire.
  qint64 due = nowMs;
  for (int k = 1; k <= last; ++k) {
    QByteArray payload(kPacketHeaderSize, Qt::Uninitialized);
    PutPacketHeader(reinterpret_cast<std::uint8_t*>(payload.data()), count, k);
    payload.append(data.mid(qsizetype{kSerialReadBackPacketData} * (k - 1), kSerialReadBackPacketData));
    QByteArray frame = BuildReply(cmd::BackupReadBack, payload);
    const qsizetype size = frame.size();
    if (k == 1) {
      // The first packet is the reply to the request, and goes through the reply faults.
      if (!SendReply(frame, due, nowMs)) return;
    } else {
      Queue(due, frame);
    }
    due += WireMs(size);
  }
}

bool SerialDevice::SendReply(QByteArray reply, qint64& dueMs, qint64 nowMs) {
  DeviceFaults& faults = m_model.Faults();
  if (faults.delayReply.Strike()) dueMs += faults.delayMs;
  const auto command = static_cast<std::uint8_t>(reply[3]);
  if (faults.strayReply.Strike()) {
    Queue(dueMs, command == cmd::ReadVersion ? BuildReplyFrame(cmd::ReadFrequency, FrequencyBytes(m_model.Frequency()))
                                             : BuildReply(cmd::ReadVersion, m_model.Version()));
  }
  if (faults.dropReply.Strike()) {
    Note(nowMs, QStringLiteral("reply to %1 dropped (fault)").arg(HexByte(command)));
    return false;
  }
  if (faults.corruptChecksum.Strike()) reply[reply.size() - 1] = static_cast<char>(reply.back() + 1);
  if (faults.serialReplyDelayMaxMs > 0 || faults.serialByteGapMaxMs > 0) {
    QueueJittered(dueMs, reply);
  } else {
    Queue(dueMs, reply);
  }
  return true;
}

void SerialDevice::QueueJittered(qint64& dueMs, const QByteArray& frame) {
  const DeviceFaults& faults = m_model.Faults();
  // Its bytes go out one run, after everything already queued: nothing else fits between them.
  if (!m_queue.empty()) dueMs = std::max(dueMs, m_queue.back().dueMs);
  dueMs += Random(faults.serialReplyDelayMaxMs);
  for (qsizetype i = 0; i < frame.size(); ++i) {
    if (i > 0) dueMs += Random(faults.serialByteGapMaxMs);
    Queue(dueMs, frame.mid(i, 1), true);  // equal due times keep their order
  }
}

int SerialDevice::Random(int maxMs) {
  if (maxMs <= 0) return 0;
  return std::uniform_int_distribution<int>(0, maxMs)(m_random);
}

void SerialDevice::Queue(qint64 dueMs, const QByteArray& frame, bool piece) {
  if (m_pieces > 0) dueMs = std::max(dueMs, m_lastPieceMs);
  if (piece) {
    ++m_pieces;
    m_lastPieceMs = dueMs;
  }
  auto at = std::upper_bound(m_queue.begin(), m_queue.end(), dueMs,
                             [](qint64 due, const Pending& p) { return due < p.dueMs; });
  m_queue.insert(at, Pending{dueMs, frame, piece});
}

qint64 SerialDevice::WireMs(qsizetype bytes) const {
  // Ten bits a byte: start, eight data bits, stop.
  return (qint64{bytes} * 10 * 1000 + m_baud - 1) / m_baud;
}

std::optional<qint64> SerialDevice::NextDueMs() const {
  if (m_queue.empty() || m_model.Vanished()) return std::nullopt;
  return m_queue.front().dueMs;
}

QByteArray SerialDevice::TakeDue(qint64 nowMs) {
  QByteArray out;
  while (!m_queue.empty() && m_queue.front().dueMs <= nowMs && !m_model.Vanished()) {
    m_model.Log().Add({nowMs, LogKind::ToHost, LogLink::Serial, m_queue.front().frame, {}});
    out.append(m_queue.front().frame);
    if (m_queue.front().piece) --m_pieces;
    m_queue.pop_front();
  }
  return out;
}

}  // namespace quorvin
