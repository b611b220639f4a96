// Firmware upgrade (0x61) and backup download (0xC4) over the serial link: the file goes out in
// packets of 128 data bytes with no reply between them, and the device answers once at the end.

#include <array>
#include <cstring>
#include <optional>

#include "link/SerialPort.h"
#include "ops/SerialReply.h"
#include "ops/UsbOps.h"
#include "protocol/Protocol.h"

namespace quorvin {

namespace {

struct TransferKind {
  std::uint8_t command;
  const char* progress;  // %1 the packet count, %2 the packet number
};

constexpr TransferKind kUpgrade{
    cmd::SerialUpgrade,
    QT_TRANSLATE_NOOP("quorvin",
                      "Update program ,In total %1 data packages, currently %2 data package sending.......")};
constexpr TransferKind kDownload{
    cmd::BackupDownload,
    QT_TRANSLATE_NOOP("quorvin",
                      "Download backup data ,In total %1 data packages, currently %2 data package sending ...")};

// Checks the file before any of it is held in memory, then reads it: the same reading as the USB
// upload's, so pipes and files that grow while read are held to the limit too. On a problem the
// user is told what is wrong with the file and the operation ends.
std::optional<OpResult> LoadImage(SerialSession& s, const QString& path, QByteArray& image) {
  const Language& lang = s.Lang();
  QString reason;
  switch (ReadWholeFile(path, image, kMaxSerialImage, &reason)) {
    case FileRead::CannotOpen:
      return s.End(Outcome::FileError, lang.Text(QT_TRANSLATE_NOOP("quorvin", "Can not open file: %1")).arg(path),
                   QStringLiteral("cannot open %1: %2").arg(path, reason));
    case FileRead::TooLarge:
      return s.End(
          Outcome::FileError,
          lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                      "The file is too large: at most %1 bytes can be sent over the serial port !"))
              .arg(kMaxSerialImage),
          QStringLiteral("%1 is over the %2-byte limit").arg(path).arg(kMaxSerialImage));
    case FileRead::ReadFailed:
      return s.End(Outcome::FileError, lang.Text(QT_TRANSLATE_NOOP("quorvin", "Can not read file: %1")).arg(path),
                   QStringLiteral("cannot read %1: %2").arg(path, reason));
    case FileRead::Ok:
      break;
  }
  if (image.isEmpty())
    return s.End(Outcome::FileError, lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file is empty !")),
                 QStringLiteral("empty file"));
  return std::nullopt;
}

// Packet k of count (from 1): count and number high byte first, then up to 128 data bytes.
QByteArray BuildPacket(std::uint8_t command, const QByteArray& image, int count, int k) {
  const qint64 offset = kSerialPacketData * (k - 1);
  const auto dataBytes = static_cast<std::size_t>(qMin<qint64>(kSerialPacketData, image.size() - offset));
  std::array<std::uint8_t, 4 + kSerialPacketData> payload{};
  PutPacketHeader(payload.data(), count, k);
  std::memcpy(payload.data() + 4, image.constData() + offset, dataBytes);
  return BuildFrame(command, std::span(payload.data(), 4 + dataBytes));
}

OpResult QuietEnd(SerialSession& s, int count, const QString& detail) {
  s.Fb().SetProgressPos(count);
  return s.EndSilently(Outcome::QuietEnd, detail);
}

// The device's one answer: 0x5A took it, 0xA5 refused it, 0x66 asks for no message. Another status
// is kept and later bytes are added to it, as the device may not be done yet.
OpResult AwaitClosingReply(SerialSession& s, bool upgrade, int count) {
  Clock& clock = s.Env().clock;
  const Language& lang = s.Lang();
  if (upgrade) clock.SleepMs(kSerialUpgradeSettleMs);
  SerialReply reply;
  reply.Clear();
  bool seen = false;
  const qint64 start = clock.NowMs();
  while (clock.NowMs() - start < kSerialClosingWindowMs) {
    if (s.Fb().CancelRequested()) return s.EndSilently(Outcome::Interrupted, QStringLiteral("interrupted"));
    if (reply.Read(s) != SerialReply::Step::Complete) continue;
    seen = true;
    // A reply too short to carry a status byte before its checksum is no answer either.
    if (!reply.ChecksumHolds() || !reply.LengthFits() || reply.Length() < 1)
      return s.End(Outcome::Failed, SerialErrorDataText(lang), QStringLiteral("bad closing reply"));
    const std::uint8_t state = reply.At(5);
    if (state == status::Accepted) return s.End(Outcome::Success, SerialReceiveOkText(lang), QString());
    if (state == status::Refused)
      return s.End(Outcome::Failed, SerialErrorDataText(lang), QStringLiteral("the device refused the data"));
    if (state == status::SerialQuiet) return QuietEnd(s, count, QStringLiteral("status 0x66"));
  }
  if (seen) return QuietEnd(s, count, QStringLiteral("unknown status, then silence"));
  return s.End(Outcome::Failed, SerialErrorDataText(lang),
               QStringLiteral("no reply within %1 ms").arg(kSerialClosingWindowMs));
}

OpResult SendImage(SerialEnv& env, const SerialChoice& choice, const QString& path, const TransferKind& kind) {
  // Counted outside the operation so that a transfer cut short, by a stop request or a failing
  // port, still says how much of the image went out.
  qint64 sent = 0;
  OpResult result = RunSerialOperation(env, choice, [&](SerialSession& s) -> OpResult {
    s.ShowProgress();
    QByteArray image;
    if (auto failed = LoadImage(s, path, image)) return *failed;
    const int count = static_cast<int>((image.size() + kSerialPacketData - 1) / kSerialPacketData);
    Feedback& fb = s.Fb();
    fb.SetProgressRange(count);
    for (int k = 1; k <= count; ++k) {
      if (fb.CancelRequested()) return s.EndSilently(Outcome::Interrupted, QStringLiteral("interrupted"));
      (void)fb.PumpMessages();
      env.clock.SleepMs(kSerialPacketPauseMs);
      s.WriteFrame(BuildPacket(kind.command, image, count, k));
      sent += qMin<qint64>(kSerialPacketData, image.size() - kSerialPacketData * (k - 1));
      fb.SetProgressText(env.lang.Text(kind.progress).arg(count).arg(k));
      if (k != count) fb.SetProgressPos(k);
    }
    return AwaitClosingReply(s, kind.command == cmd::SerialUpgrade, count);
  });
  result.bytes = sent;
  return result;
}

}  // namespace

OpResult FirmwareUpgradeSerial(SerialEnv& env, const SerialChoice& choice, const QString& path) {
  return SendImage(env, choice, path, kUpgrade);
}

OpResult BackupDownloadSerial(SerialEnv& env, const SerialChoice& choice, const QString& path) {
  return SendImage(env, choice, path, kDownload);
}

}  // namespace quorvin
