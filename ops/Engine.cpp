// The upload, the read-back and the request/reply exchange, once for both links. What is judged
// here is judged the same on both: file limits and faults, packet continuity, how each kind of
// end becomes an outcome. How a step looks on the wire and on the screen is the Transport's.

#include <algorithm>

#include "host/OutputFile.h"
#include "ops/FaultTexts.h"
#include "ops/Transport.h"

namespace quorvin {

namespace {

OpResult Ended(const Transport& ch, Outcome outcome, Fault fault = Fault::None, QString detail = {}) {
  OpResult r;
  r.outcome = outcome;
  r.fault = fault;
  r.detail = std::move(detail);
  r.bytes = ch.bytes;
  return r;
}

// The host's own doing: no box, the progress window closed.
OpResult Stopped(Transport& ch, const QString& detail = QStringLiteral("stopped on request")) {
  ch.CloseProgress();
  return Ended(ch, Outcome::Interrupted, Fault::None, detail);
}

}  // namespace

bool Transport::Pause(int ms) {
  constexpr int kSliceMs = 100;
  const qint64 deadline = clock.NowMs() + ms;
  for (;;) {
    if (fb.CancelRequested()) return false;
    const qint64 left = deadline - clock.NowMs();
    if (left <= 0) return true;
    clock.SleepMs(static_cast<int>(std::min<qint64>(left, kSliceMs)));
  }
}

OpResult engine::UploadFile(Transport& ch, std::uint8_t command, const QString& path, const UploadTexts& texts) {
  QByteArray image;
  QString reason;
  const FileRead read = ReadWholeFile(path, image, ch.MaxImage(), &reason);
  if (read != FileRead::Ok) {
    // A file that cannot be used gets its own message and no outcome box: nothing was sent.
    ch.CloseThenBox(FileReadMessage(ch.lang, read, path, ch.MaxImage(), reason), MsgIcon::Warning);
    return read == FileRead::TooLarge
               ? Ended(ch, Outcome::FileError, Fault::FileTooLarge,
                       QStringLiteral("%1 is over the %2-byte limit").arg(path).arg(ch.MaxImage()))
               : Ended(ch, Outcome::FileError, Fault::FileUnreadable, QStringLiteral("%1: %2").arg(path, reason));
  }
  return UploadImage(ch, command, image, texts);
}

OpResult engine::UploadImage(Transport& ch, std::uint8_t command, const QByteArray& image, const UploadTexts& texts) {
  if (image.size() > ch.MaxImage()) {
    ch.CloseThenBox(FileReadMessage(ch.lang, FileRead::TooLarge, {}, ch.MaxImage(), {}), MsgIcon::Warning);
    return Ended(ch, Outcome::FileError, Fault::FileTooLarge,
                 QStringLiteral("over the %1-byte limit").arg(ch.MaxImage()));
  }
  // Nothing to send means no packet, and no packet means no verdict to wait for.
  if (image.isEmpty()) {
    ch.CloseThenBox(ch.lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file is empty !")), MsgIcon::Warning);
    return Ended(ch, Outcome::FileError, Fault::FileEmpty, QStringLiteral("empty file"));
  }
  const qint64 per = ch.PacketData(command);
  const int count = static_cast<int>((image.size() + per - 1) / per);
  ch.ShowProgress(count);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.constData());
  for (int k = 1; k <= count; ++k) {
    if (ch.fb.CancelRequested()) return Stopped(ch);
    const qint64 offset = (k - 1) * per;
    const Step step = ch.SendPacket(command, count, k,
                                    {bytes + offset, static_cast<std::size_t>(std::min(per, image.size() - offset))});
    if (step.stopped) return Stopped(ch);
    if (!step.Done()) {
      ch.CloseThenBox(texts.failure);
      return Ended(ch, Outcome::Failed, step.fault,
                   QStringLiteral("packet %1 of %2: %3").arg(k).arg(count).arg(step.detail));
    }
    ch.ShowPacketSent(texts, count, k);
  }
  QString why;
  const Verdict verdict = ch.AwaitVerdict(command, count, why);
  if (verdict == Verdict::Stopped) return Stopped(ch);
  ch.ShowVerdict(texts, verdict);
  switch (verdict) {
    case Verdict::Accepted:
      ch.CloseThenBox(texts.success);
      return Ended(ch, Outcome::Success);
    case Verdict::Quiet:  // the device asked for no message
      ch.CloseProgress();
      return Ended(ch, Outcome::QuietEnd, Fault::None, why);
    case Verdict::Refused:
    case Verdict::Unanswered:
    case Verdict::Stopped:
      break;
  }
  ch.CloseThenBox(texts.failure);
  return Ended(ch, Outcome::Failed, verdict == Verdict::Refused ? Fault::Refused : Fault::NoReply,
               QStringLiteral("after %1 packets: %2").arg(count).arg(why));
}

namespace {

// Asks for the backup and hands its packets to `take` in their numbered order: a repeated, skipped
// or renumbered packet, or a count that changes on the way, fails rather than put a wrong file in
// place of the technician's backup. Done once the packet numbered as the count came.
Step ReadPackets(Transport& ch, const std::function<void(const Packet&)>& take) {
  Step step = ch.RequestReadBack();
  int count = 0;
  for (int k = 1; step.Done(); ++k) {
    if (k > 1 && ch.fb.CancelRequested()) return Step::Stop();
    Packet packet;
    step = ch.NextPacket(k, packet);
    if (!step.Done()) break;
    if (k == 1) count = packet.header.count;
    if (count > 0 && (packet.header.number != k || packet.header.count != count))
      return Step::Fail(Fault::OutOfSequence, QStringLiteral("packet %1 of %2 came where packet %3 of %4 was due")
                                                  .arg(packet.header.number)
                                                  .arg(packet.header.count)
                                                  .arg(k)
                                                  .arg(count));
    take(packet);
    ch.bytes += packet.bytes;
    ch.ShowPacketReceived(count, k);
    if (k >= count) {
      ch.ShowReadBackComplete();
      return {};
    }
  }
  return step;
}

// A read-back that did not complete: no box for a stop, the link's own lines and the failure box
// for the device's side.
OpResult ReadBackFailed(Transport& ch, const Step& step, const QString& failure, const QString& stopDetail) {
  if (step.stopped) return Stopped(ch, stopDetail);
  ch.ShowReadBackFailure(step);
  ch.CloseThenBox(failure);
  return Ended(ch, Outcome::Failed, step.fault, step.detail);
}

}  // namespace

OpResult engine::ReadBackToFile(Transport& ch, const QString& path, const ReadBackTexts& texts) {
  // The file is opened (its temporary twin created) before the device is asked for anything: a
  // path that cannot take the backup costs no transfer. It replaces an earlier file only once
  // every packet came, so a failed read-back never costs the technician an earlier backup.
  OutputFile file(path);
  if (const OutputRefusal refusal = file.Open(); refusal != OutputRefusal::None) {
    ch.CloseThenBox(FileWriteMessage(ch.lang, path, OutputRefusalText(ch.lang, refusal, file.Reason())),
                    MsgIcon::Warning);
    return Ended(
        ch, Outcome::FileError, Fault::FileNotWritable,
        QStringLiteral("%1 cannot be written: %2").arg(path, OutputRefusalText(Language(), refusal, file.Reason())));
  }
  if (ch.fb.CancelRequested())
    return Ended(ch, Outcome::Interrupted, Fault::None, QStringLiteral("stopped on request"));
  bool written = true;
  // A write error is remembered by the file and reported once all packets are in: stopping early
  // would leave the device streaming into a closed link.
  const Step step = ReadPackets(
      ch, [&](const Packet& p) { written = file.Write(reinterpret_cast<const char*>(p.data), p.bytes) && written; });
  if (!step.Done()) {
    file.Cancel();
    return ReadBackFailed(ch, step, texts.failure, QStringLiteral("stopped on request; %1 left as it was").arg(path));
  }
  if (!written || !file.Commit()) {
    ch.CloseThenBox(FileWriteMessage(ch.lang, path, file.Reason()), MsgIcon::Warning);
    ch.CloseThenBox(texts.afterFileFailure);
    return Ended(ch, Outcome::FileError, Fault::FileWriteFailed,
                 QStringLiteral("the data arrived but %1 could not be written: %2").arg(path, file.Reason()));
  }
  ch.CloseThenBox(texts.success);
  return Ended(ch, Outcome::Success);
}

OpResult engine::VerifyBackup(Transport& ch, const QByteArray& expected) {
  const Language& lang = ch.lang;
  QByteArray got;
  got.reserve(expected.size());
  const Step step =
      ReadPackets(ch, [&](const Packet& p) { got.append(reinterpret_cast<const char*>(p.data), p.bytes); });
  if (!step.Done())
    return ReadBackFailed(ch, step,
                          lang.Text(QT_TRANSLATE_NOOP(
                              "quorvin", "Verify failed: the backup data could not be read back from the device.")),
                          QStringLiteral("stopped on request"));
  // Every byte is compared, a missing or surplus one counting as a difference.
  const qsizetype common = std::min(got.size(), expected.size());
  qint64 first = -1;
  qint64 differing = std::abs(got.size() - expected.size());
  for (qsizetype i = 0; i < common; ++i) {
    if (got[i] == expected[i]) continue;
    if (first < 0) first = i;
    ++differing;
  }
  if (first < 0 && got.size() != expected.size()) first = common;
  OpResult result = Ended(ch, first < 0 ? Outcome::Success : Outcome::Failed);
  result.verifiedBytes = got.size();
  if (first < 0) {
    ch.CloseThenBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Verify successfully: the device holds the same %1 bytes."))
                        .arg(got.size()));
    return result;
  }
  result.fault = Fault::Mismatch;
  result.firstDifference = first;
  result.differingBytes = differing;
  result.detail =
      QStringLiteral("the device holds %1 bytes, the file %2; the first difference is at byte %3, %4 differ")
          .arg(got.size())
          .arg(expected.size())
          .arg(first)
          .arg(differing);
  ch.CloseThenBox(lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                              "Verify failed: the first difference is at byte %1 and %2 bytes differ "
                                              "(the device holds %3 bytes, the file %4)."))
                      .arg(first)
                      .arg(differing)
                      .arg(got.size())
                      .arg(expected.size()));
  return result;
}

OpResult engine::Exchange(Transport& ch, std::uint8_t command, std::span<const std::uint8_t> payload,
                          const ExchangeTexts& texts, const std::function<QString(OpResult&, Payload)>& onReply) {
  if (ch.fb.CancelRequested()) return Ended(ch, Outcome::Interrupted);
  Payload reply;
  const Step step = ch.Ask(command, payload, texts.line, reply);
  if (step.stopped) return Stopped(ch);
  if (!step.Done()) {
    if (ch.FailureBoxFirst())
      ch.BoxThenClose(texts.failure, texts.icon);
    else
      ch.CloseThenBox(texts.failure, texts.icon);
    return Ended(ch, Outcome::Failed, step.fault, step.detail);
  }
  OpResult result = Ended(ch, Outcome::Success);
  ch.BoxThenClose(onReply(result, reply), texts.icon);
  return result;
}

}  // namespace quorvin
