// Backup read-back over the serial link: one request, then the device sends its backup as a run
// of frames of up to 128 data bytes, each numbered, until the packet whose number is the count.

#include "link/OutputFile.h"
#include "link/SerialPort.h"
#include "ops/SerialReply.h"
#include "protocol/Protocol.h"

namespace quorvin {

namespace {

// A full packet ends a chunk by itself: the frame, count and number, and the most data.
constexpr int kFullFrame = kFrameOverhead + 4 + kSerialReadBackPacketData;

struct Packet {
  int count = 0;
  int number = 0;
  int dataBytes = 0;
};

// A read-back chunk's header: length (4 + data bytes), count and number, high byte first. A length
// below 4 or past the bytes gathered, or a count of 0, leaves nothing sound to store.
bool ParsePacket(const SerialReply& reply, Packet& packet) {
  if (reply.Length() < 4 || !reply.LengthFits()) return false;
  const PacketHeader header = ReadPacketHeader(reply.Data() + 5);
  packet.count = header.count;
  packet.number = header.number;
  packet.dataBytes = reply.Length() - 4;
  return packet.count > 0;
}

class ReadBack {
 public:
  ReadBack(SerialSession& s, const QString& path) : m_s(s), m_file(path), m_lang(s.Lang()) {}

  OpResult Run() {
    // The file is written aside and put in place only when every packet came, so a failed or
    // interrupted read-back never spoils a backup the technician already has.
    if (const OutputRefusal refusal = m_file.Open(); refusal != OutputRefusal::None) {
      QString box = CannotWriteText();
      if (refusal != OutputRefusal::CannotCreate) box += QLatin1Char('\n') + OutputRefusalText(m_lang, refusal, {});
      return m_s.End(
          Outcome::FileError, box,
          QStringLiteral("cannot write %1: %2")
              .arg(m_file.Path(), refusal == OutputRefusal::CannotCreate ? m_file.Reason()
                                                                         : OutputRefusalText(Language(), refusal, {})));
    }
    m_s.WriteFrame(BuildFrame(cmd::BackupReadBack, {}));
    return Gather();
  }

 private:
  OpResult Gather() {
    Clock& clock = m_s.Env().clock;
    SerialReply reply;
    reply.Clear();
    qint64 start = clock.NowMs();
    for (;;) {
      // Silence before the packet numbered as the count means data are missing.
      if (clock.NowMs() - start >= kSerialReadBackWindowMs) return Fail(QStringLiteral("the device fell silent early"));
      if (m_s.Fb().CancelRequested()) {
        m_file.Cancel();
        return m_s.EndSilently(Outcome::Interrupted, QStringLiteral("interrupted"));
      }
      if (reply.Read(m_s, kFullFrame) != SerialReply::Step::Complete) continue;
      if (!reply.ChecksumHolds()) return Fail(QStringLiteral("bad checksum"));
      // Bytes of some other reply stay and later bytes join them; the whole run is checked again.
      if (reply.Command() != cmd::BackupReadBack) continue;
      Packet packet;
      if (!ParsePacket(reply, packet)) return Fail(QStringLiteral("bad read-back packet header"));
      // Packets are taken in their numbered order only: a repeated or skipped packet, or a count
      // that changes on the way, would put a wrong file in place of the technician's backup.
      if (packet.number != m_next || (m_count != 0 && packet.count != m_count))
        return Fail(QStringLiteral("packet %1 of %2 came where packet %3 of %4 was due")
                        .arg(packet.number)
                        .arg(packet.count)
                        .arg(m_next)
                        .arg(m_count != 0 ? m_count : packet.count));
      m_count = packet.count;
      ++m_next;
      if (packet.number == 1 || !m_s.ProgressShown()) {
        m_s.ShowProgress();
        m_s.Fb().SetProgressRange(packet.count);
      }
      if (!m_file.Write(reinterpret_cast<const char*>(reply.Data()) + 9, packet.dataBytes)) return FileFailed();
      m_bytes += packet.dataBytes;
      reply.Clear();
      // Numbers go in with arg(), never a printf format: a catalog's text must not be able to
      // ask for arguments that are not there.
      m_s.Fb().SetProgressText(
          m_lang
              .Text(QT_TRANSLATE_NOOP(
                  "quorvin", "Read backup data ,In total %1 data packages, currently %2 data package sending ..."))
              .arg(packet.count)
              .arg(packet.number));
      if (packet.number == packet.count) return Succeed();
      start = clock.NowMs();
    }
  }

  OpResult Succeed() {
    if (!m_file.Commit()) return FileFailed();
    OpResult result = m_s.End(Outcome::Success,
                              m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read backup data successful !")), QString());
    result.bytes = m_bytes;
    return result;
  }

  OpResult Fail(const QString& detail) {
    m_file.Cancel();
    OpResult result = m_s.End(Outcome::Failed, SerialErrorDataText(m_lang), detail);
    result.bytes = m_bytes;
    return result;
  }

  OpResult FileFailed() {
    m_file.Cancel();
    OpResult result = m_s.End(Outcome::FileError, CannotWriteText(),
                              QStringLiteral("cannot write %1: %2").arg(m_file.Path(), m_file.Reason()));
    result.bytes = m_bytes;
    return result;
  }

  [[nodiscard]] QString CannotWriteText() const {
    return m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Can not write file: %1")).arg(m_file.Path());
  }

  SerialSession& m_s;
  OutputFile m_file;
  Language m_lang;
  qint64 m_bytes = 0;
  int m_count = 0;  // the count the first packet announced
  int m_next = 1;   // the number the next packet must carry
};

}  // namespace

OpResult BackupReadBackSerial(SerialEnv& env, const SerialChoice& choice, const QString& path) {
  return RunSerialOperation(env, choice, [&](SerialSession& s) { return ReadBack(s, path).Run(); });
}

}  // namespace quorvin
