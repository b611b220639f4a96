// The operations over the USB link: the engine's three kinds of work in 65-byte reports. Uploads
// get no reply per packet, so the pauses after each are what keeps the device from being overrun;
// they are kept exactly. Read-back packets stream unasked, one every few milliseconds, so the
// loop between reads does only the copy and the progress update.

#include <array>

#include "link/UsbTransaction.h"
#include "ops/FaultTexts.h"
#include "ops/LinkOperations.h"
#include "ops/Transport.h"

namespace quorvin::usb {

namespace {

// A read-back packet carries count and number (4 bytes) and at most 54 data bytes; any other
// length cannot be one, and trusting it would copy from past the report.
bool PlausibleLength(std::uint8_t length) { return length >= 4 && length <= kMaxUsbPayload; }

// The only reply that closes a transfer: 00 55 AA 02 cmd 01 5A checksum. Nothing after it counts.
bool IsAcknowledgement(const Report& in, std::uint8_t command) {
  constexpr std::array<std::uint8_t, 1> kAccepted{status::Accepted};
  const Report expected = BuildReplyReport(command, kAccepted);
  return std::equal(expected.begin(), expected.begin() + kFrameOverhead + 2, in.begin());
}

class UsbTransport final : public Transport {
 public:
  UsbTransport(UsbChannel& env, QString title)
      : Transport(env.fb, env.clock, env.lang), m_link(env.link), m_title(std::move(title)) {}

  qint64 MaxImage() const override { return kMaxUsbImage; }
  int PacketData(std::uint8_t command) const override { return UsbUploadPaceFor(command).dataPerPacket; }

  // Body of packet k: 01 cmd L countHi countLo numHi numLo data... checksum.
  Step SendPacket(std::uint8_t command, int count, int k, std::span<const std::uint8_t> data) override {
    std::array<std::uint8_t, kMaxUsbBody> body{};
    body[0] = kDirRequest;
    body[1] = command;
    body[2] = static_cast<std::uint8_t>(data.size() + kPacketHeaderSize);
    PutPacketHeader(body.data() + 3, count, k);
    std::copy(data.begin(), data.end(), body.begin() + 7);
    const std::size_t summed = data.size() + 7;
    body[summed] = static_cast<std::uint8_t>(ComputeChecksum(body.data(), summed));
    if (const Step sent = Transact(false, body.data(), summed + 1); !sent.Done())
      return fb.CancelRequested() ? Step::Stop() : sent;
    bytes += static_cast<qint64>(data.size());
    fb.PumpMessages();
    const UploadPace pace = UsbUploadPaceFor(command);
    return Pause(k > 1 ? pace.pauseMs : pace.firstPauseMs) ? Step{} : Step::Stop();
  }

  void ShowPacketSent(const UploadTexts& t, int count, int k) override {
    if (k == 1) m_start = fb.ProgressPos();
    fb.SetProgressText(t.line(count, k));
    fb.SetProgressPos(m_start + k);
  }

  Verdict AwaitVerdict(std::uint8_t command, int /*count*/, QString& why) override {
    // A time-out leaves the report zeroed, which fails the comparison just like a wrong reply.
    const bool answered = m_link.ReadInputReport(kUsbAckTimeoutMs);
    if (!answered && fb.CancelRequested()) return Verdict::Stopped;
    if (IsAcknowledgement(m_link.In(), command)) return Verdict::Accepted;
    why = answered ? QStringLiteral("the device did not acknowledge the transfer")
                   : QStringLiteral("no reply from the device within %1 ms").arg(kUsbAckTimeoutMs);
    return answered ? Verdict::Refused : Verdict::Unanswered;
  }

  // The transfer's end line, held for a second so it can be read.
  void ShowVerdict(const UploadTexts& t, Verdict v) override {
    EndLine(t.title + (v == Verdict::Accepted ? lang.Text(QT_TRANSLATE_NOOP("quorvin", " sending sucessfully !"))
                                              : lang.Text(QT_TRANSLATE_NOOP("quorvin", " sending failure !"))));
  }

  Step RequestReadBack() override {
    const QByteArray body = BuildBody(cmd::BackupReadBack, {});
    m_link.Out().fill(0);
    m_link.Out()[1] = kStart1;
    m_link.Out()[2] = kStart2;
    std::copy(body.begin(), body.end(), m_link.Out().begin() + 3);
    const bool written = m_link.WriteOutputReport();
    TellDiscoveryFault(m_link, fb, lang);
    if (written) return {};
    return Step::Fail(Fault::NotSent, QStringLiteral("the request could not be written to the device"));
  }

  Step NextPacket(int expected, Packet& packet) override {
    const Report& in = m_link.In();
    if (expected == 1) {
      // A time-out leaves the report zeroed, which the header check below turns away.
      if (!m_link.ReadInputReport(kUsbReadBackFirstMs) && fb.CancelRequested()) return Step::Stop();
      if (!HasReplyHeader(in, cmd::BackupReadBack))
        return Step::Fail(Fault::NoReply, QStringLiteral("no read-back reply from the device"));
      if (in[5] <= kMaxUsbPayload && !VerifyChecksum(in.data() + 3, in[5] + 4u))
        return Step::Fail(Fault::BadReply, QStringLiteral("the first reply's checksum is wrong"));
      ShowProgress(ReadPacketHeader(in.data() + 6).count);
      if (!PlausibleLength(in[5]) || (ReadPacketHeader(in.data() + 6).count == 0 && in[5] > 4))
        return Step::Fail(Fault::PacketError, QStringLiteral("packet 1 is not a read-back packet"));
    } else {
      fb.PumpMessages();
      if (!m_link.ReadInputReport(kUsbReadBackNextMs)) {
        if (fb.CancelRequested()) return Step::Stop();
        return Step::Fail(
            Fault::PacketMissing,
            QStringLiteral("packet %1 did not arrive within %2 ms").arg(expected).arg(kUsbReadBackNextMs));
      }
      // Later packets' checksums are not looked at: the device has always been taken at its word
      // there. What keeps the copy inside the report, and the packets in order, is insisted on.
      if (!HasReplyHeader(in, cmd::BackupReadBack) || !PlausibleLength(in[5]))
        return Step::Fail(Fault::PacketError, QStringLiteral("packet %1 is not a read-back packet").arg(expected));
    }
    packet = {ReadPacketHeader(in.data() + 6), in.data() + 10, in[5] - 4};
    return {};
  }

  void ShowPacketReceived(int count, int k) override {
    if (k == 1) return;
    fb.SetProgressPos(k);
    fb.SetProgressText(
        m_title +
        lang.Text(QT_TRANSLATE_NOOP("quorvin", ",In total %1 data packages, currently %2 data package sending ..."))
            .arg(count)
            .arg(k));
  }

  void ShowReadBackFailure(const Step& failure) override {
    switch (failure.fault) {
      case Fault::NotSent:
        fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "To send data failed, please send again !")));
        break;
      case Fault::BadReply:
        fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP(
            "quorvin", "Receiving data is not correct, please check whether the host is normal work !")));
        break;
      case Fault::PacketMissing:
        EndLine(m_title + lang.Text(QT_TRANSLATE_NOOP("quorvin", " read failure")));
        break;
      case Fault::PacketError:
      case Fault::OutOfSequence:
        EndLine(m_title + lang.Text(QT_TRANSLATE_NOOP("quorvin", " packet error")));
        break;
      default:
        break;
    }
  }

  void ShowReadBackComplete() override {
    EndLine(m_title + lang.Text(QT_TRANSLATE_NOOP("quorvin", " sending sucessfully ")));
  }

  Step Ask(std::uint8_t command, std::span<const std::uint8_t> payload, const QString& line, Payload& reply) override {
    ShowProgress();
    fb.SetProgressText(line);
    const QByteArray body = BuildBody(command, payload);
    const Step step =
        Transact(true, reinterpret_cast<const std::uint8_t*>(body.constData()), static_cast<std::size_t>(body.size()));
    if (!step.Done()) return fb.CancelRequested() ? Step::Stop() : step;
    reply = Payload(m_link.In().data() + 6, m_link.In()[5]);
    return {};
  }
  bool FailureBoxFirst() const override { return true; }

 private:
  // One request (and its reply): the transaction's end in the user's words.
  Step Transact(bool expectReply, const std::uint8_t* body, std::size_t length) {
    const TxEnd end = SendUsbCommand(m_link, expectReply, length, body);
    TellDiscoveryFault(m_link, fb, lang);
    switch (end) {
      case TxEnd::Ok:
        return {};
      case TxEnd::Stopped:
        return Step::Stop();
      case TxEnd::BadBody:
        fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "To send data failed, please send again !")),
                      MsgIcon::Warning);
        return Step::Fail(Fault::NotSent, QStringLiteral("the request does not fit a report"));
      case TxEnd::NotWritten:
        fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Equipment not connected, please connect equipment !")));
        return Step::Fail(Fault::NotSent, QStringLiteral("could not be written (no device?)"));
      case TxEnd::NoReply:
      case TxEnd::BadReply:
        break;
    }
    fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read data failed, please send again !")));
    return end == TxEnd::NoReply
               ? Step::Fail(Fault::NoReply, QStringLiteral("no valid reply to command 0x%1").arg(body[1], 2, 16))
               : Step::Fail(Fault::BadReply, QStringLiteral("a bad reply to command 0x%1").arg(body[1], 2, 16));
  }

  HidLink& m_link;
  QString m_title;  // the start of the progress lines
  int m_start = 0;
};

UploadTexts Texts(const Language& lang, const QString& title, const char* success, const char* failure) {
  return {[lang, title](int count, int k) {
            return title +
                   lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                               ",In total %1 data packages, currently %2 data package sending......."))
                       .arg(count)
                       .arg(k);
          },
          title, lang.Text(success), lang.Text(failure)};
}

OpResult Upload(UsbChannel& env, std::uint8_t command, const QString& path, const char* title, const char* success,
                const char* failure) {
  UsbTransport ch(env, env.lang.Text(title));
  return engine::UploadFile(ch, command, path, Texts(env.lang, env.lang.Text(title), success, failure));
}

OpResult ShortExchange(UsbChannel& env, std::uint8_t command, std::span<const std::uint8_t> payload,
                       const ExchangeTexts& texts, const std::function<QString(OpResult&, Payload)>& onReply) {
  UsbTransport ch(env, {});
  return engine::Exchange(ch, command, payload, texts, onReply);
}

}  // namespace

}  // namespace quorvin::usb

namespace quorvin {

void TellDiscoveryFault(HidLink& link, Feedback& fb, const Language& lang) {
  if (const DiscoveryFault fault = link.TakeNewFault(); fault != DiscoveryFault::None)
    fb.MessageBox(DiscoveryFaultText(lang, fault), MsgIcon::Warning);
}

}  // namespace quorvin

namespace quorvin::usb {

OpResult Upgrade(UsbChannel& env, const QString& path) {
  // The English title is padded on both sides: progress lines read " Update program ,In total ...".
  return Upload(env, cmd::UsbUpgrade, path, QT_TRANSLATE_NOOP("quorvin", " Update program "),
                QT_TRANSLATE_NOOP("quorvin", "Update successfully"), QT_TRANSLATE_NOOP("quorvin", "Update failed"));
}

OpResult DownloadBackup(UsbChannel& env, const QString& path) {
  return Upload(env, cmd::BackupDownload, path, QT_TRANSLATE_NOOP("quorvin", "Download backup data"),
                QT_TRANSLATE_NOOP("quorvin", "Download successfully !"),
                QT_TRANSLATE_NOOP("quorvin", "Download failed !"));
}

OpResult SendImage(UsbChannel& env, std::uint8_t command, const QByteArray& image, const QString& title) {
  UsbTransport ch(env, title);
  return engine::UploadImage(ch, command, image, Texts(env.lang, title, "", ""));
}

OpResult ReadBackup(UsbChannel& env, const QString& path) {
  UsbTransport ch(env, env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data")));
  const QString failed = env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data failed !"));
  return engine::ReadBackToFile(
      ch, path, {env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data successfully !")), failed, failed});
}

OpResult VerifyBackup(UsbChannel& env, const QByteArray& expected) {
  UsbTransport ch(env, env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Verify backup data")));
  return engine::VerifyBackup(ch, expected);
}

OpResult ReadVersion(UsbChannel& env) {
  const Language& lang = env.lang;
  return ShortExchange(env, cmd::ReadVersion, {},
                       {lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version ...")),
                        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version failed !")), MsgIcon::None},
                       [lang](OpResult& result, Payload reply) {
                         result.version = VersionFromPayload(reply);
                         return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version :")) + result.version;
                       });
}

OpResult SetFrequency(UsbChannel& env, qint32 hz) {
  const Language& lang = env.lang;
  if (hz < kMinFrequency || hz > kMaxFrequency) {
    // The front ends validate first; this guards callers that did not, and sends nothing.
    env.fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "The frequency must lie between %1 and %2 Hz."))
                          .arg(kMinFrequency)
                          .arg(kMaxFrequency),
                      MsgIcon::Warning);
    OpResult result;
    result.outcome = Outcome::InvalidInput;
    result.fault = Fault::OutOfRange;
    result.detail = QStringLiteral("frequency %1 Hz outside %2..%3").arg(hz).arg(kMinFrequency).arg(kMaxFrequency);
    return result;
  }
  return ShortExchange(
      env, cmd::SetFrequency, FrequencyBytes(static_cast<quint32>(hz)),
      {lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setuping frequency parameters...")),
       lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setup frequency parameters failed !")), MsgIcon::Warning},
      [lang, hz](OpResult& result, Payload) {
        result.frequency = hz;
        return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setup frequency parameters successfully !"));
      });
}

OpResult ReadFrequency(UsbChannel& env) {
  const Language& lang = env.lang;
  return ShortExchange(env, cmd::ReadFrequency, {},
                       {lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading frequency ...")),
                        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading frequency failed !")), MsgIcon::Warning},
                       [](OpResult& result, Payload reply) {
                         // Taken as it stands, least significant byte first: the user sees whatever
                         // the device holds, even a value the set button would refuse. The field
                         // shows it; there is no box.
                         std::array<std::uint8_t, 4> value{};
                         std::copy_n(reply.begin(), std::min<std::size_t>(reply.size(), 4), value.begin());
                         result.frequency = static_cast<qint32>(FrequencyFromBytes(value.data()));
                         return QString();
                       });
}

OpResult InitCallButtons(UsbChannel& env) {
  // There is deliberately no confirmation question: the button itself is the request.
  const Language& lang = env.lang;
  return ShortExchange(
      env, cmd::InitCallButtons, {},
      {lang.Text(QT_TRANSLATE_NOOP("quorvin", "Initialize call button data ...")),
       lang.Text(QT_TRANSLATE_NOOP("quorvin", "Initialize call button data failed !")), MsgIcon::Warning},
      [lang](OpResult&, Payload) {
        return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Initialize call button data successfully !"));
      });
}

}  // namespace quorvin::usb
