// Backup read-back over USB: one request, then the device streams its packets unasked, one every
// few milliseconds. The loop between reads does only the copy and the progress update, or packets
// would be missed. The chosen file is replaced only once everything has arrived, so a failed
// read-back never costs the technician an earlier backup.

#include "ops/UsbOps.h"

#include <QSaveFile>

namespace quorvin {

namespace {

constexpr int kFirstReplyTimeoutMs = 5000;
constexpr int kNextReplyTimeoutMs = 100;
constexpr int kEndLineMs = 1000;
constexpr qint64 kDataPerPacket = static_cast<qint64>(kMaxUsbPayload) - 4;

// A packet carries count and number (4 bytes) and at most 54 data bytes; any other length cannot
// be a read-back packet, and trusting it would copy from past the report.
bool PlausibleLength(std::uint8_t length) { return length >= 4 && length <= kMaxUsbPayload; }

struct Texts {
  QString title;
  bool english;
  [[nodiscard]] QString Line(const char* zh, const char* en) const { return title + Tr(english, zh, en); }
};

// Ends the transfer with a progress line held for a second, then closes the progress window.
ReadBackEnd EndWithLine(UsbEnv& env, const QString& line, ReadBackEnd end) {
  env.fb.SetProgressText(line);
  env.clock.SleepMs(kEndLineMs);
  env.fb.CloseProgress();
  return end;
}

// Opening a save file creates its temporary twin next to the target and drops it again: a folder
// we cannot write to is found before the device is asked for anything.
bool CanCreate(const QString& path, QString* reason) {
  QSaveFile probe(path);
  if (probe.open(QIODevice::WriteOnly)) return true;
  *reason = probe.errorString();
  return false;
}

void WriteRequest(HidLink& link) {
  link.m_outReport.fill(0);
  constexpr std::uint8_t kRequest[] = {kStart1, kStart2, kDirRequest, cmd::BackupReadBack, 0x00, 0x39};
  std::copy(std::begin(kRequest), std::end(kRequest), link.m_outReport.begin() + 1);
}

void AppendData(QByteArray& data, const Report& in) {
  data.append(reinterpret_cast<const char*>(in.data() + 10), in[5] - 4);
}

}  // namespace

ReadBackEnd ReadBackupData(UsbEnv& env, const QString& path, const QString& title, qint64* received) {
  if (received) *received = 0;
  const Texts t{title, env.english};
  QString reason;
  if (!CanCreate(path, &reason)) {
    env.fb.MessageBox(FileWriteMessage(env.english, path, reason), MsgIcon::Warning);
    return ReadBackEnd::FileNotWritable;
  }
  if (env.fb.CancelRequested()) return ReadBackEnd::Interrupted;

  HidLink& link = env.link;
  WriteRequest(link);
  if (!link.WriteOutputReport()) {
    env.fb.MessageBox(Tr(env.english, "下发数据失败，请重新发送！", "To send data failed, please send again !"),
                      MsgIcon::None);
    return ReadBackEnd::NotSent;
  }
  // A time-out leaves the report zeroed, which the header check below turns away.
  (void)link.ReadInputReport(kFirstReplyTimeoutMs);
  const Report& in = link.m_inReport;
  if (!HasReplyHeader(in, cmd::BackupReadBack)) return ReadBackEnd::NoReply;
  const std::uint8_t first = in[5];
  if (first <= kMaxUsbPayload && !VerifyChecksum(in.data() + 3, first + 4u)) {
    env.fb.MessageBox(Tr(env.english, "接收数据不正确，请检查主机是否正常工作！",
                         "Receiving data is not correct, please check whether the host is normal work !"),
                      MsgIcon::None);
    return ReadBackEnd::BadChecksum;
  }
  const int count = in[6] << 8 | in[7];
  env.fb.ShowProgress();
  env.fb.SetProgressRange(count);
  const QString packetError = t.Line("数据包错误", " packet error");
  if (!PlausibleLength(first) || (count == 0 && first > 4))
    return EndWithLine(env, packetError, ReadBackEnd::PacketError);

  // Sized once from the count; every packet holds at most kDataPerPacket, so it never grows.
  QByteArray data;
  data.reserve(count * kDataPerPacket);
  AppendData(data, in);
  for (int k = 2; k <= count; ++k) {
    if (received) *received = data.size();
    if (env.fb.CancelRequested()) {
      env.fb.CloseProgress();
      return ReadBackEnd::Interrupted;
    }
    env.fb.PumpMessages();
    if (!link.ReadInputReport(kNextReplyTimeoutMs))
      return EndWithLine(env, t.Line("读取失败", " read failure"), ReadBackEnd::Missing);
    // Later packets' numbers and checksums are not looked at: the device has always been taken at
    // its word there. Only what keeps the copy inside the report is insisted on.
    if (!HasReplyHeader(in, cmd::BackupReadBack) || !PlausibleLength(in[5]))
      return EndWithLine(env, packetError, ReadBackEnd::PacketError);
    AppendData(data, in);
    env.fb.SetProgressPos(k);
    env.fb.SetProgressText(title + Tr(env.english, ",共有%1包数据,当前第%2包数据正在发送...",
                                      ",In total %1 data packages, currently %2 data package sending ...")
                                       .arg(count)
                                       .arg(k));
  }
  if (received) *received = data.size();
  EndWithLine(env, t.Line("发送成功", " sending sucessfully "), ReadBackEnd::Complete);

  if (!WriteWholeFile(path, data, &reason)) {
    env.fb.MessageBox(FileWriteMessage(env.english, path, reason), MsgIcon::Warning);
    return ReadBackEnd::FileWriteFailed;
  }
  return ReadBackEnd::Complete;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
  if (reason) *reason = file.errorString();
  return false;  // the temporary twin is dropped; the earlier file is untouched
}

OpResult BackupReadBackUsb(UsbEnv& env, const QString& path) {
  const bool en = env.english;
  OpResult result;
  const ReadBackEnd end = ReadBackupData(env, path, Tr(en, "回读备份数据", "Read backup data"), &result.bytes);
  switch (end) {
    case ReadBackEnd::Complete:
      result.outcome = Outcome::Success;
      env.fb.MessageBox(Tr(en, "回读备份数据成功！", "Read backup data successfully !"), MsgIcon::None);
      return result;
    case ReadBackEnd::Interrupted:
      result.outcome = Outcome::Interrupted;
      result.detail = QStringLiteral("stopped on request; %1 left as it was").arg(path);
      return result;
    case ReadBackEnd::FileNotWritable:  // nothing was asked of the device: its message is enough
      result.outcome = Outcome::FileError;
      result.detail = QStringLiteral("%1 cannot be written").arg(path);
      return result;
    case ReadBackEnd::FileWriteFailed:
      result.outcome = Outcome::FileError;
      result.detail = QStringLiteral("the data arrived but %1 could not be written").arg(path);
      break;
    case ReadBackEnd::NotSent:
      result.detail = QStringLiteral("the request could not be written to the device");
      break;
    case ReadBackEnd::NoReply:
      result.detail = QStringLiteral("no read-back reply from the device");
      break;
    case ReadBackEnd::BadChecksum:
      result.detail = QStringLiteral("the first reply's checksum is wrong");
      break;
    case ReadBackEnd::Missing:
      result.detail = QStringLiteral("a packet did not arrive within %1 ms").arg(kNextReplyTimeoutMs);
      break;
    case ReadBackEnd::PacketError:
      result.detail = QStringLiteral("a packet was not a read-back packet");
      break;
  }
  env.fb.MessageBox(Tr(en, "回读备份数据失败！", "Read backup data failed !"), MsgIcon::None);
  return result;
}

}  // namespace quorvin
