// Backup read-back over USB: one request, then the device streams its packets unasked, one every
// few milliseconds. The loop between reads does only the copy and the progress update, or packets
// would be missed. The chosen file is replaced only once everything has arrived, so a failed
// read-back never costs the technician an earlier backup.

#include "link/OutputFile.h"
#include "ops/UsbOps.h"

namespace quorvin {

namespace {

// A packet carries count and number (4 bytes) and at most 54 data bytes; any other length cannot
// be a read-back packet, and trusting it would copy from past the report.
bool PlausibleLength(std::uint8_t length) { return length >= 4 && length <= kMaxUsbPayload; }

struct Texts {
  QString title;
  Language lang;
  [[nodiscard]] QString Line(const char* source) const { return title + lang.Text(source); }
};

// Ends the transfer with a progress line held for a second, then closes the progress window.
ReadBackEnd EndWithLine(UsbEnv& env, const QString& line, ReadBackEnd end) {
  env.fb.SetProgressText(line);
  env.clock.SleepMs(kEndLineMs);
  env.fb.CloseProgress();
  return end;
}

void WriteRequest(HidLink& link) {
  static constexpr auto kRequest = EmptyRequestBody(cmd::BackupReadBack);
  link.m_outReport.fill(0);
  link.m_outReport[1] = kStart1;
  link.m_outReport[2] = kStart2;
  std::copy(kRequest.begin(), kRequest.end(), link.m_outReport.begin() + 3);
}

int PacketCount(const Report& in) { return ReadPacketHeader(in.data() + 6).count; }
int PacketNumber(const Report& in) { return ReadPacketHeader(in.data() + 6).number; }

// Packets are taken in their numbered order only: a repeated, skipped or renumbered packet, or a
// count that changes on the way, would put a wrong file in place of the technician's backup.
bool InSequence(const Report& in, int count, int expected) {
  return PacketCount(in) == count && PacketNumber(in) == expected;
}

bool AppendData(OutputFile& file, const Report& in) {
  return file.Write(reinterpret_cast<const char*>(in.data() + 10), in[5] - 4);
}

}  // namespace

ReadBackEnd ReadBackupData(UsbEnv& env, const QString& path, const QString& title, qint64* received) {
  qint64 got = 0;
  if (received) *received = 0;
  const Texts t{title, env.lang};
  // The file is opened (its temporary twin created) before the device is asked for anything: a
  // path that cannot take the backup costs no transfer.
  OutputFile file(path);
  if (const OutputRefusal refusal = file.Open(); refusal != OutputRefusal::None) {
    env.fb.MessageBox(FileWriteMessage(env.lang, path, OutputRefusalText(env.lang, refusal, file.Reason())),
                      MsgIcon::Warning);
    return ReadBackEnd::FileNotWritable;
  }
  if (env.fb.CancelRequested()) return ReadBackEnd::Interrupted;

  HidLink& link = env.link;
  WriteRequest(link);
  if (!link.WriteOutputReport()) {
    env.fb.MessageBox(env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "To send data failed, please send again !")),
                      MsgIcon::None);
    return ReadBackEnd::NotSent;
  }
  // A time-out leaves the report zeroed, which the header check below turns away.
  if (!link.ReadInputReport(kUsbReadBackFirstMs) && env.fb.CancelRequested()) return ReadBackEnd::Interrupted;
  const Report& in = link.m_inReport;
  if (!HasReplyHeader(in, cmd::BackupReadBack)) return ReadBackEnd::NoReply;
  const std::uint8_t first = in[5];
  if (first <= kMaxUsbPayload && !VerifyChecksum(in.data() + 3, first + 4u)) {
    env.fb.MessageBox(env.lang.Text(QT_TRANSLATE_NOOP(
                          "quorvin", "Receiving data is not correct, please check whether the host is normal work !")),
                      MsgIcon::None);
    return ReadBackEnd::BadChecksum;
  }
  const int count = PacketCount(in);
  env.fb.ShowProgress();
  env.fb.SetProgressRange(count);
  const QString packetError = t.Line(QT_TRANSLATE_NOOP("quorvin", " packet error"));
  if (!PlausibleLength(first) || (count == 0 && first > 4) || (count > 0 && PacketNumber(in) != 1))
    return EndWithLine(env, packetError, ReadBackEnd::PacketError);

  bool written = AppendData(file, in);
  got += first - 4;
  for (int k = 2; k <= count; ++k) {
    if (received) *received = got;
    if (env.fb.CancelRequested()) {
      env.fb.CloseProgress();
      return ReadBackEnd::Interrupted;
    }
    env.fb.PumpMessages();
    if (!link.ReadInputReport(kUsbReadBackNextMs)) {
      if (env.fb.CancelRequested()) {
        env.fb.CloseProgress();
        return ReadBackEnd::Interrupted;
      }
      return EndWithLine(env, t.Line(QT_TRANSLATE_NOOP("quorvin", " read failure")), ReadBackEnd::Missing);
    }
    // Later packets' checksums are not looked at: the device has always been taken at its word
    // there. What keeps the copy inside the report, and the packets in order, is insisted on.
    if (!HasReplyHeader(in, cmd::BackupReadBack) || !PlausibleLength(in[5]) || !InSequence(in, count, k))
      return EndWithLine(env, packetError, ReadBackEnd::PacketError);
    // A write error is remembered by the file and reported once all packets are in: stopping
    // here would leave the device streaming into a closed link.
    written = AppendData(file, in) && written;
    got += in[5] - 4;
    env.fb.SetProgressPos(k);
    env.fb.SetProgressText(
        title +
        env.lang.Text(QT_TRANSLATE_NOOP("quorvin", ",In total %1 data packages, currently %2 data package sending ..."))
            .arg(count)
            .arg(k));
  }
  if (received) *received = got;
  EndWithLine(env, t.Line(QT_TRANSLATE_NOOP("quorvin", " sending sucessfully ")), ReadBackEnd::Complete);

  if (!written || !file.Commit()) {
    env.fb.MessageBox(FileWriteMessage(env.lang, path, file.Reason()), MsgIcon::Warning);
    return ReadBackEnd::FileWriteFailed;
  }
  return ReadBackEnd::Complete;
}

OpResult BackupReadBackUsb(UsbEnv& env, const QString& path) {
  const Language& lang = env.lang;
  OpResult result;
  const ReadBackEnd end =
      ReadBackupData(env, path, lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data")), &result.bytes);
  switch (end) {
    case ReadBackEnd::Complete:
      result.outcome = Outcome::Success;
      env.fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data successfully !")), MsgIcon::None);
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
      result.detail = QStringLiteral("a packet did not arrive within %1 ms").arg(kUsbReadBackNextMs);
      break;
    case ReadBackEnd::PacketError:
      result.detail = QStringLiteral("a packet was not a read-back packet");
      break;
  }
  env.fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data failed !")), MsgIcon::None);
  return result;
}

}  // namespace quorvin
