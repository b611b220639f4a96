// The operations over the serial link: the engine's three kinds of work in frames on a line that
// carries no framing of its own (link/SerialReply gathers a reply). Transfers go out in packets of
// 128 data bytes with no reply between them, and the device answers once at the end.

#include <array>

#include "link/SerialPort.h"
#include "link/SerialReply.h"
#include "ops/LinkOperations.h"
#include "ops/Transport.h"

namespace quorvin {

namespace {

// A full read-back packet ends a chunk by itself: the frame, count and number, and the most data.
constexpr int kFullFrame = kFrameOverhead + kPacketHeaderSize + kSerialReadBackPacketData;
constexpr int kVersionBarMax = 10000;

class SerialTransport final : public Transport {
 public:
  explicit SerialTransport(SerialChannel& env) : Transport(env.fb, env.clock, env.lang), m_port(env.port) {}
  ~SerialTransport() override { m_port.Close(); }  // the port never outlives the operation

  qint64 MaxImage() const override { return kMaxSerialImage; }
  // The pace the simulator holds the host to, read from the same table.
  int PacketData(std::uint8_t) const override { return kSerialUploadPace.dataPerPacket; }

  // Packet k of count: count and number high byte first, then up to 128 data bytes.
  Step SendPacket(std::uint8_t command, int count, int k, std::span<const std::uint8_t> data) override {
    (void)fb.PumpMessages();
    clock.SleepMs(kSerialUploadPace.pauseMs);  // before every packet, the first too
    std::array<std::uint8_t, kPacketHeaderSize + kSerialPacketData> payload{};
    PutPacketHeader(payload.data(), count, k);
    std::copy(data.begin(), data.end(), payload.begin() + kPacketHeaderSize);
    Write(BuildFrame(command, std::span(payload.data(), kPacketHeaderSize + data.size())));
    bytes += static_cast<qint64>(data.size());
    return {};
  }

  void ShowPacketSent(const UploadTexts& t, int count, int k) override {
    fb.SetProgressText(t.line(count, k));
    if (k != count) fb.SetProgressPos(k);
  }

  // The device's one answer: 0x5A took it, 0xA5 refused it, 0x66 asks for no message. Another
  // status is kept and later bytes are added to it, as the device may not be done yet.
  Verdict AwaitVerdict(std::uint8_t command, int count, QString& why) override {
    if (command == cmd::SerialUpgrade) clock.SleepMs(kSerialUpgradeSettleMs);
    m_reply.Clear();
    bool seen = false;
    const qint64 start = clock.NowMs();
    while (clock.NowMs() - start < kSerialClosingWindowMs) {
      if (fb.CancelRequested()) return Verdict::Stopped;
      if (m_reply.Read(m_port, fb, clock) != SerialReply::Got::Complete) continue;
      seen = true;
      // A reply too short to carry a status byte before its checksum is no answer either.
      if (!m_reply.ChecksumHolds() || !m_reply.LengthFits() || m_reply.Length() < 1) {
        why = QStringLiteral("bad closing reply");
        return Verdict::Refused;
      }
      const std::uint8_t state = m_reply.Body()[0];
      if (state == status::Accepted) return Verdict::Accepted;
      if (state == status::Refused) {
        why = QStringLiteral("the device refused the data");
        return Verdict::Refused;
      }
      if (state == status::SerialQuiet) return Quiet(count, QStringLiteral("status 0x66"), why);
    }
    if (seen) return Quiet(count, QStringLiteral("unknown status, then silence"), why);
    why = QStringLiteral("no reply within %1 ms").arg(kSerialClosingWindowMs);
    return Verdict::Unanswered;
  }

  Step RequestReadBack() override {
    Write(BuildFrame(cmd::BackupReadBack, {}));
    return {};
  }

  Step NextPacket(int expected, Packet& packet) override {
    m_reply.Clear();
    const qint64 start = clock.NowMs();
    for (;;) {
      // Silence before the packet numbered as the count means data are missing.
      if (clock.NowMs() - start >= kSerialReadBackWindowMs)
        return Step::Fail(Fault::PacketMissing,
                          QStringLiteral("the device fell silent before packet %1").arg(expected));
      if (fb.CancelRequested()) return Step::Stop();
      if (m_reply.Read(m_port, fb, clock, kFullFrame) != SerialReply::Got::Complete) continue;
      if (!m_reply.ChecksumHolds())
        return Step::Fail(Fault::BadReply, QStringLiteral("packet %1: bad checksum").arg(expected));
      // Bytes of some other reply stay and later bytes join them; the whole run is checked again.
      if (m_reply.Command() != cmd::BackupReadBack) continue;
      // A length below 4 or past the bytes gathered, or a count of 0, leaves nothing sound to store.
      const auto body = m_reply.Body();
      if (body.size() < kPacketHeaderSize || !m_reply.LengthFits() || ReadPacketHeader(body.data()).count == 0)
        return Step::Fail(Fault::PacketError, QStringLiteral("packet %1: bad read-back packet header").arg(expected));
      packet = {ReadPacketHeader(body.data()), body.data() + kPacketHeaderSize,
                static_cast<int>(body.size() - kPacketHeaderSize)};
      return {};
    }
  }

  void ShowPacketReceived(int count, int k) override {
    if (k == 1 || !ProgressShown()) ShowProgress(count);
    // Numbers go in with arg(), never a printf format: a catalog's text must not be able to ask
    // for arguments that are not there.
    fb.SetProgressText(lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                                   "Read backup data ,In total %1 data packages, "
                                                   "currently %2 data package sending ..."))
                           .arg(count)
                           .arg(k));
  }

  Step Ask(std::uint8_t command, std::span<const std::uint8_t> payload, const QString& line, Payload& reply) override {
    ShowProgress(kVersionBarMax);
    Write(BuildFrame(command, payload));
    fb.SetProgressText(line);
    m_reply.Clear();
    int pos = 1;
    const qint64 start = clock.NowMs();
    while (clock.NowMs() - start < kSerialVersionWindowMs) {
      if (fb.CancelRequested()) return Step::Stop();
      if (m_reply.Read(m_port, fb, clock) == SerialReply::Got::Complete) {
        if (!m_reply.ChecksumHolds() || !m_reply.LengthFits())
          return Step::Fail(Fault::BadReply, QStringLiteral("bad reply"));
        reply = m_reply.Body();
        return {};
      }
      fb.SetProgressPos(qMin(pos++, kVersionBarMax));
    }
    return Step::Fail(Fault::NoReply, QStringLiteral("no reply within %1 ms").arg(kSerialVersionWindowMs));
  }
  bool FailureBoxFirst() const override { return false; }

 private:
  void Write(const QByteArray& frame) {
    fb.Trace(TraceDir::Out, reinterpret_cast<const std::uint8_t*>(frame.constData()),
             static_cast<std::size_t>(frame.size()));
    m_port.Write(frame.constData(), frame.size());
  }

  Verdict Quiet(int count, const QString& what, QString& why) {
    fb.SetProgressPos(count);
    why = what;
    return Verdict::Quiet;
  }

  SerialPort& m_port;
  SerialReply m_reply;
};

LinkFault LinkFaultOf(SerialFault fault) {
  switch (fault) {
    case SerialFault::NotFound:
      return LinkFault::NotFound;
    case SerialFault::PermissionDenied:
      return LinkFault::PermissionDenied;
    case SerialFault::Busy:
      return LinkFault::Busy;
    case SerialFault::HungUp:
    case SerialFault::Other:
      break;
  }
  return LinkFault::None;
}

// The system's words, except where we know better and can say it in the user's language.
QString OpenFailureText(const Language& lang, const SerialError& e) {
  if (e.Fault() != SerialFault::Busy) return e.Text();
  if (e.Holder().isEmpty())
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The port is busy: another program holds it."));
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The port is busy: %1 holds it.")).arg(e.Holder());
}

// Opens the port from the choice (ending at once when that does not happen), runs `work` on it,
// and turns anything the port raises into a box with the system's text: the operation runs on a
// worker thread, where an exception leaving it would end the program.
OpResult RunSerial(SerialChannel& env, const std::function<OpResult(Transport&)>& work) {
  OpResult result;
  QString why;
  switch (OpenSerialPort(env.port, env.choice, env.fb, env.lang, &why, &result.linkFault)) {
    case SerialOpen::NotStarted:
      result.outcome = Outcome::NotStarted;
      result.detail = QStringLiteral("no serial port or speed chosen");
      return result;
    case SerialOpen::Failed:
      result.detail = QStringLiteral("the serial port could not be opened: ") + why;
      return result;
    case SerialOpen::Opened:
      break;
  }
  SerialTransport ch(env);
  QString failure;
  QString box;
  try {
    return work(ch);
  } catch (const SerialError& e) {
    failure = e.Text();
    box = e.Fault() == SerialFault::HungUp
              ? env.lang.Text(QT_TRANSLATE_NOOP(
                    "quorvin", "The serial port is no longer available (device removed or line hung up)"))
              : failure;
  } catch (const std::exception& e) {
    failure = box = QString::fromLocal8Bit(e.what());
  }
  ch.CloseThenBox(box);
  result.fault = Fault::PortFailure;
  result.detail = QStringLiteral("serial port failure: ") + failure;
  result.bytes = ch.bytes;  // a transfer cut short still says how much went through
  return result;
}

UploadTexts Texts(const Language& lang, const char* line) {
  return {[lang, line](int count, int k) { return lang.Text(line).arg(count).arg(k); },
          {},
          lang.Text(QT_TRANSLATE_NOOP("quorvin", "Receive successful !")),
          lang.Text(QT_TRANSLATE_NOOP("quorvin", "Return error data !"))};
}

}  // namespace

SerialOpen OpenSerialPort(SerialPort& port, const SerialChoice& choice, Feedback& fb, const Language& lang,
                          QString* why, LinkFault* fault) {
  // No port listed means no selected item: there is nothing to open.
  if (choice.portItem.isEmpty() || choice.speedText.isEmpty()) return SerialOpen::NotStarted;
  const SerialTarget target = ResolveSerialTarget(choice.portItem);
  try {
    port.Open(target.location, ParseDecimal(choice.speedText));
    return SerialOpen::Opened;
  } catch (const SerialError& e) {
    if (why) *why = target.location + QStringLiteral(": ") + e.Text();
    if (fault) *fault = LinkFaultOf(e.Fault());
    fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Comm：%1\n")).arg(target.label) + OpenFailureText(lang, e));
  } catch (...) {
    if (why) *why = target.location;
    fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Can not open comm !")));
  }
  // A port that opened but refused a setting is of no use; it is not left open behind the box.
  port.Close();
  return SerialOpen::Failed;
}

}  // namespace quorvin

namespace quorvin::serial {

OpResult Upgrade(SerialChannel& env, const QString& path) {
  return RunSerial(env, [&](Transport& ch) {
    return engine::UploadFile(ch, cmd::SerialUpgrade, path,
                              Texts(env.lang, QT_TRANSLATE_NOOP("quorvin",
                                                                "Update program ,In total %1 data packages, "
                                                                "currently %2 data package sending.......")));
  });
}

OpResult DownloadBackup(SerialChannel& env, const QString& path) {
  return RunSerial(env, [&](Transport& ch) {
    return engine::UploadFile(ch, cmd::BackupDownload, path,
                              Texts(env.lang, QT_TRANSLATE_NOOP("quorvin",
                                                                "Download backup data ,In total %1 data packages, "
                                                                "currently %2 data package sending ...")));
  });
}

OpResult ReadBackup(SerialChannel& env, const QString& path) {
  return RunSerial(env, [&](Transport& ch) {
    return engine::ReadBackToFile(ch, path,
                                  {env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data successful !")),
                                   env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Return error data !")),
                                   {}});
  });
}

OpResult VerifyBackup(SerialChannel& env, const QByteArray& expected) {
  return RunSerial(env, [&](Transport& ch) { return engine::VerifyBackup(ch, expected); });
}

OpResult ReadVersion(SerialChannel& env) {
  const Language& lang = env.lang;
  return RunSerial(env, [&](Transport& ch) {
    return engine::Exchange(ch, cmd::ReadVersion, {},
                            {lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version , please waiting ...")),
                             lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version failed !"))},
                            [&lang](OpResult& result, Payload reply) {
                              result.version = VersionFromPayload(reply);
                              return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version :")) + result.version;
                            });
  });
}

}  // namespace quorvin::serial
