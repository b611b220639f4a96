#include "sim/model/DeviceModel.h"

#include <algorithm>

namespace quorvin {

namespace {
QByteArray ReportBytes(const Report& r) {
  return QByteArray(reinterpret_cast<const char*>(r.data()), static_cast<qsizetype>(r.size()));
}
}  // namespace

DeviceModel::DeviceModel()
    : m_version(QByteArrayLiteral("V1.0")), m_backup(DefaultBackupData()), m_callButtons(QByteArray(64, '\x11')) {}

QByteArray DeviceModel::DefaultBackupData() {
  // A few packets' worth with a recognisable, position-dependent pattern, so a demo read-back
  // yields a file whose every byte can be checked.
  QByteArray data(300, '\0');
  for (int i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 37 + 11) & 0xFF);
  return data;
}

void DeviceModel::SetIds(std::uint16_t vendorId, std::uint16_t productId) {
  m_vendorId = vendorId;
  m_productId = productId;
}

bool DeviceModel::SetVersion(const QByteArray& text) {
  if (text.size() > static_cast<qsizetype>(kMaxUsbPayload)) return false;
  m_version = text;
  return true;
}

bool DeviceModel::SetBackupData(const QByteArray& data) {
  if (data.size() > ReadBackStream::kMaxBytes) return false;
  m_backup = data;
  return true;
}

bool DeviceModel::Vanished() const {
  return (m_faults.vanishAfterReports >= 0 && m_reportsTaken >= m_faults.vanishAfterReports) ||
         (m_faults.vanishAfterSent >= 0 && m_reportsSent >= m_faults.vanishAfterSent);
}

void DeviceModel::OnUsbReport(const Report& report, qint64 nowMs) {
  if (Vanished()) return;
  ++m_reportsTaken;
  m_log.Add({nowMs, LogKind::FromHost, LogLink::Usb, ReportBytes(report), {}});
  if (Vanished()) {
    Note(nowMs, QStringLiteral("the device vanishes after %1 reports").arg(m_reportsTaken));
    DropPending();
    m_upload.Reset();
    return;
  }
  if (m_replay) {
    for (auto& [due, bytes] : m_replay->OnHost(ReportBytes(report), nowMs)) {
      Report reply{};
      std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), reply.size()), reply.begin());
      Queue(due, reply);
    }
    return;
  }
  Dispatch(report, nowMs);
}

void DeviceModel::Dispatch(const Report& r, qint64 nowMs) {
  if (r[0] != 0x00 || r[1] != kStart1 || r[2] != kStart2 || r[3] != kDirRequest) {
    Note(nowMs, QStringLiteral("not a request frame; ignored"));
    return;
  }
  const std::size_t n = r[5];
  if (n > kMaxUsbPayload) {
    Note(nowMs, QStringLiteral("length byte %1 runs past the report; ignored").arg(n));
    return;
  }
  const std::uint8_t command = r[4];
  m_stream.Cancel();  // a new request ends a read-back still under way
  if (command == cmd::UsbUpgrade || command == cmd::BackupDownload) {
    HandleUpload(r, nowMs);  // judged as part of the transfer, bad checksum included
    return;
  }
  if (!VerifyChecksum(r.data() + 3, n + 4)) {
    Note(nowMs, QStringLiteral("request %1 with a wrong checksum; ignored").arg(HexByte(command)));
    return;
  }
  const std::uint8_t ok[] = {status::Accepted};
  switch (command) {
    case cmd::SetFrequency:
      if (n != 4) {
        Note(nowMs, QStringLiteral("set frequency with %1 payload bytes; ignored").arg(n));
        return;
      }
      m_frequency = FrequencyFromBytes(r.data() + 6);
      Note(nowMs, QStringLiteral("frequency set to %1 Hz").arg(m_frequency));
      SendReply(BuildReplyReport(command, ok), nowMs);
      return;
    case cmd::ReadFrequency:
      SendReply(BuildReplyReport(command, FrequencyBytes(m_frequency)), nowMs);
      return;
    case cmd::ReadVersion:
      SendReply(BuildReplyReport(command, ByteSpan(m_version)), nowMs);
      return;
    case cmd::BackupReadBack:
      StartReadBack(nowMs);
      return;
    case cmd::InitCallButtons:
      m_callButtons.clear();
      ++m_callButtonInits;
      Note(nowMs, QStringLiteral("call-button data cleared"));
      SendReply(BuildReplyReport(command, ok), nowMs);
      return;
    default:
      Note(nowMs, QStringLiteral("command %1 is not served on USB; ignored").arg(HexByte(command)));
      return;
  }
}

void DeviceModel::HandleUpload(const Report& r, qint64 nowMs) {
  auto verdict = m_upload.Take(UsbUploadPacket(r), nowMs);
  if (!verdict) return;
  std::uint8_t status = verdict->consistent ? status::Accepted : status::Refused;
  if (verdict->consistent && m_faults.refuse.Strike()) {
    status = status::Refused;
    verdict->consistent = false;
    verdict->reason = QStringLiteral("refused on purpose (fault)");
  }
  Note(nowMs, verdict->consistent
                  ? QStringLiteral("upload %1 accepted: %2 packets, %3 bytes")
                        .arg(HexByte(verdict->command))
                        .arg(verdict->packets)
                        .arg(verdict->data.size())
                  : QStringLiteral("upload %1 refused: %2").arg(HexByte(verdict->command), verdict->reason));
  StoreUpload(*verdict);
  m_lastUpload = std::move(verdict);
  const std::uint8_t payload[] = {status};
  SendReply(BuildReplyReport(m_lastUpload->command, payload), nowMs);
}

void DeviceModel::StoreUpload(const UploadResult& result) {
  if (!result.consistent) return;
  if (result.command == cmd::UsbUpgrade || result.command == cmd::SerialUpgrade) m_firmware = result.data;
  if (result.command == cmd::BackupDownload) {
    m_backup = result.data;
    // A flash that keeps a byte wrong: what only a verify after the download can catch.
    if (m_faults.storeFlipOffset >= 0 && m_faults.storeFlipOffset < m_backup.size())
      m_backup[m_faults.storeFlipOffset] = static_cast<char>(~m_backup[m_faults.storeFlipOffset]);
  }
}

void DeviceModel::StartReadBack(qint64 nowMs) {
  const int count = std::max(ReadBackStream::PacketCount(m_backup.size()), 1);
  const int limit = m_faults.stopReadBackAfter;
  const int last = limit >= 0 ? std::min(count, limit) : count;
  if (last < 1) {
    Note(nowMs, QStringLiteral("read-back stops before its first packet (fault)"));
    return;
  }
  // The first packet is the reply to the request; the rest follow it unasked.
  qint64 firstDue = nowMs;
  if (!SendReply(ReadBackStream::BuildPacket(m_backup, 1), nowMs, &firstDue)) return;
  if (last < count)
    Note(nowMs, QStringLiteral("read-back will stop after %1 of %2 packets (fault)").arg(last).arg(count));
  m_stream.Start(m_backup, 2, last, firstDue, m_readBackIntervalUs);
}

bool DeviceModel::SendReply(Report reply, qint64 nowMs, qint64* dueMs) {
  qint64 due = nowMs;
  if (m_faults.delayReply.Strike()) due += m_faults.delayMs;
  if (dueMs) *dueMs = due;
  if (m_faults.strayReply.Strike()) {
    Queue(due, reply[4] == cmd::ReadFrequency ? BuildReplyReport(cmd::ReadVersion, ByteSpan(m_version))
                                              : BuildReplyReport(cmd::ReadFrequency, FrequencyBytes(m_frequency)));
  }
  if (m_faults.dropReply.Strike()) {
    Note(nowMs, QStringLiteral("reply to %1 dropped (fault)").arg(HexByte(reply[4])));
    return false;
  }
  if (m_faults.corruptChecksum.Strike()) {
    const std::size_t at = std::size_t{6} + reply[5];
    if (at < reply.size()) reply[at] = static_cast<std::uint8_t>(reply[at] + 1);
  }
  Queue(due, reply);
  return true;
}

void DeviceModel::Queue(qint64 dueMs, const Report& report) {
  // Kept in due order; equal times keep their order of making.
  auto at = std::upper_bound(m_queue.begin(), m_queue.end(), dueMs,
                             [](qint64 due, const Pending& p) { return due < p.dueMs; });
  m_queue.insert(at, Pending{dueMs, report});
}

std::optional<qint64> DeviceModel::NextDueMs() const {
  if (Vanished()) return std::nullopt;
  std::optional<qint64> due;
  if (!m_queue.empty()) due = m_queue.front().dueMs;
  if (const auto s = m_stream.NextDueMs(); s && (!due || *s < *due)) due = s;
  return due;
}

std::optional<Report> DeviceModel::TakeDue(qint64 nowMs) {
  const auto due = NextDueMs();
  if (!due || *due > nowMs) return std::nullopt;
  Report r{};
  if (!m_queue.empty() && m_queue.front().dueMs == *due) {
    r = m_queue.front().report;
    m_queue.pop_front();
  } else {
    r = m_stream.TakeNext();
  }
  m_log.Add({nowMs, LogKind::ToHost, LogLink::Usb, ReportBytes(r), {}});
  ++m_reportsSent;
  if (Vanished()) {
    Note(nowMs, QStringLiteral("the device vanishes after sending %1 reports").arg(m_reportsSent));
    DropPending();
    m_upload.Reset();
  }
  return r;
}

void DeviceModel::DiscardDue(qint64 nowMs) {
  int lost = 0;
  for (auto due = NextDueMs(); due && *due <= nowMs; due = NextDueMs()) {
    if (!m_queue.empty() && m_queue.front().dueMs == *due)
      m_queue.pop_front();
    else
      (void)m_stream.TakeNext();
    ++lost;
  }
  if (lost > 0) Note(nowMs, QStringLiteral("%1 reports lost: nobody had the device open").arg(lost));
}

void DeviceModel::DropPending() {
  m_queue.clear();
  m_stream.Cancel();
}

}  // namespace quorvin
