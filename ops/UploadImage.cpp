// The block upload engine: an image goes to the device as numbered packets written back to back,
// then one acknowledgement is read. The device gets no reply slot per packet, so the pauses are
// what keeps it from being overrun; they are kept exactly.

#include <QFile>
#include <algorithm>
#include <array>

#include "link/FileOpen.h"
#include "link/UsbTransaction.h"
#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

namespace {

struct PacketPlan {
  std::uint8_t command;
  qint64 dataPerPacket;
  int count;
  UsbUploadPace pace;
};

PacketPlan PlanFor(std::uint8_t command, qint64 length) {
  const UsbUploadPace pace = UsbUploadPaceFor(command);
  const qint64 per = pace.dataPerPacket;
  return {command, per, static_cast<int>((length + per - 1) / per), pace};
}

// Body of packet k (from 1): 01 cmd L countHi countLo numHi numLo data... checksum.
std::size_t BuildPacket(const PacketPlan& plan, int k, const QByteArray& image,
                        std::array<std::uint8_t, kMaxUsbBody>& body) {
  const qint64 offset = (k - 1) * plan.dataPerPacket;
  const auto data = static_cast<std::size_t>(std::min(plan.dataPerPacket, image.size() - offset));
  body[0] = kDirRequest;
  body[1] = plan.command;
  body[2] = static_cast<std::uint8_t>(data + 4);
  PutPacketHeader(body.data() + 3, plan.count, k);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(image.constData()) + offset, data, body.begin() + 7);
  const std::size_t summed = data + 7;
  body[summed] = static_cast<std::uint8_t>(ComputeChecksum(body.data(), summed));
  return summed + 1;
}

// The only reply that closes a transfer: 00 55 AA 02 cmd 01 5A checksum. Nothing after it counts.
bool IsAcknowledgement(const Report& in, std::uint8_t command) {
  const std::array<std::uint8_t, 4> sumOf{kDirReply, command, 0x01, status::Accepted};
  const auto check = static_cast<std::uint8_t>(ComputeChecksum(sumOf.data(), sumOf.size()));
  const std::array<std::uint8_t, 8> expected{0x00, kStart1, kStart2, kDirReply, command, 0x01, status::Accepted, check};
  return std::equal(expected.begin(), expected.end(), in.begin());
}

QString PacketLine(const Language& lang, const QString& title, int count, int k) {
  return title +
         lang.Text(QT_TRANSLATE_NOOP("quorvin", ",In total %1 data packages, currently %2 data package sending......."))
             .arg(count)
             .arg(k);
}

// Closes the transfer with its end line, held for a second so it can be read.
UploadEnd Finish(UsbEnv& env, const QString& title, bool accepted) {
  env.fb.SetProgressText(title + (accepted ? env.lang.Text(QT_TRANSLATE_NOOP("quorvin", " sending sucessfully !"))
                                           : env.lang.Text(QT_TRANSLATE_NOOP("quorvin", " sending failure !"))));
  env.clock.SleepMs(kEndLineMs);
  env.fb.CloseProgress();
  return accepted ? UploadEnd::Accepted : UploadEnd::Refused;
}

}  // namespace

UploadEnd UploadImage(UsbEnv& env, std::uint8_t command, const QByteArray& image, const QString& title, qint64* sent) {
  if (sent) *sent = 0;
  if (image.size() > kMaxUsbImage) {
    env.fb.MessageBox(detail::TooLargeText(env.lang, {}, kMaxUsbImage), MsgIcon::Warning);
    return UploadEnd::TooLarge;
  }
  // Nothing to send means no packet, and no packet means no acknowledgement to wait for.
  if (image.isEmpty()) {
    env.fb.MessageBox(env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file is empty !")), MsgIcon::Warning);
    return UploadEnd::Empty;
  }
  const PacketPlan plan = PlanFor(command, image.size());
  env.fb.ShowProgress();
  env.fb.SetProgressRange(plan.count);
  const int start = env.fb.ProgressPos();

  std::array<std::uint8_t, kMaxUsbBody> body{};
  for (int k = 1; k <= plan.count; ++k) {
    if (env.fb.CancelRequested()) {
      env.fb.CloseProgress();
      return UploadEnd::Interrupted;
    }
    const std::size_t length = BuildPacket(plan, k, image, body);
    if (!SendUsbCommand(env.link, false, length, body.data())) {
      env.fb.CloseProgress();
      return env.fb.CancelRequested() ? UploadEnd::Interrupted : UploadEnd::NotSent;
    }
    if (sent) *sent += body[2] - 4;
    env.fb.PumpMessages();
    const int pause = k > 1 ? plan.pace.pauseMs : plan.pace.firstPauseMs;
    if (!detail::PauseUnlessCancelled(env, pause)) {
      env.fb.CloseProgress();
      return UploadEnd::Interrupted;
    }
    env.fb.SetProgressText(PacketLine(env.lang, title, plan.count, k));
    env.fb.SetProgressPos(start + k);
  }

  // A time-out leaves the report zeroed, which fails the comparison just like a wrong reply.
  const bool answered = env.link.ReadInputReport(kUsbAckTimeoutMs);
  if (!answered && env.fb.CancelRequested()) {
    env.fb.CloseProgress();
    return UploadEnd::Interrupted;
  }
  const UploadEnd end = Finish(env, title, IsAcknowledgement(env.link.m_inReport, command));
  return end == UploadEnd::Refused && !answered ? UploadEnd::Unanswered : end;
}

UploadEnd SendStagedFile(UsbEnv& env, std::uint8_t command, const QString& path, const QString& title, qint64* sent) {
  if (sent) *sent = 0;
  QByteArray image;
  QString reason;
  const FileRead read = ReadWholeFile(path, image, kMaxUsbImage, &reason);
  if (read != FileRead::Ok) {
    env.fb.MessageBox(FileReadMessage(env.lang, read, path, kMaxUsbImage, reason), MsgIcon::Warning);
    return UploadEnd::FileError;
  }
  return UploadImage(env, command, image, title, sent);
}

FileRead ReadWholeFile(const QString& path, QByteArray& buffer, qint64 maxBytes, QString* reason) {
  buffer.clear();
  QFile file(path);
  if (!OpenForReading(file)) {
    if (reason) *reason = file.errorString();
    return FileRead::CannotOpen;
  }
  // Pipes and character devices report no size; they are read up to one byte past the limit.
  if (!file.isSequential()) {
    if (file.size() > maxBytes) return FileRead::TooLarge;
    buffer.reserve(file.size());  // one allocation: the image is the largest thing we hold
  }
  constexpr qint64 kChunk = 64 * 1024;
  QByteArray chunk(kChunk, Qt::Uninitialized);
  for (;;) {
    const qint64 got = file.read(chunk.data(), std::min(kChunk, maxBytes + 1 - buffer.size()));
    if (got < 0) {
      if (reason) *reason = file.errorString();
      buffer.clear();
      return FileRead::ReadFailed;
    }
    if (got == 0) return FileRead::Ok;
    buffer.append(chunk.constData(), got);
    if (buffer.size() > maxBytes) {  // the file grew while we read it, or has no size
      buffer = QByteArray();
      return FileRead::TooLarge;
    }
  }
}

}  // namespace quorvin
