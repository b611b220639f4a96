// Version read over the serial link: one request, one reply carrying the version text.

#include "link/SerialPort.h"
#include "ops/SerialReply.h"
#include "ops/VersionText.h"
#include "protocol/Protocol.h"

namespace quorvin {

namespace {

constexpr int kVersionBarMax = 10000;

QString FailedText(const Language& lang) { return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version failed !")); }

// The text is N bytes from byte 5; a zero byte ends it, as the device pads with zeros.
QString VersionText(const SerialReply& reply) {
  QByteArray text;
  for (int i = 0; i < reply.Length() && reply.At(5 + i) != 0; ++i) text.append(static_cast<char>(reply.At(5 + i)));
  return PrintableVersion(DecodeVersion(text));
}

}  // namespace

OpResult ReadVersionSerial(SerialEnv& env, const SerialChoice& choice) {
  return RunSerialOperation(env, choice, [&](SerialSession& s) -> OpResult {
    Feedback& fb = s.Fb();
    const Language& lang = env.lang;
    s.ShowProgress();
    fb.SetProgressRange(kVersionBarMax);
    s.WriteFrame(BuildFrame(cmd::ReadVersion, {}));
    fb.SetProgressText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version , please waiting ...")));
    SerialReply reply;
    reply.Clear();
    int pos = 1;
    const qint64 start = env.clock.NowMs();
    while (env.clock.NowMs() - start < kSerialVersionWindowMs) {
      if (fb.CancelRequested()) return s.EndSilently(Outcome::Interrupted, QStringLiteral("interrupted"));
      if (reply.Read(s) == SerialReply::Step::Complete) {
        if (!reply.ChecksumHolds() || !reply.LengthFits())
          return s.End(Outcome::Failed, FailedText(lang), QStringLiteral("bad version reply"));
        const QString version = VersionText(reply);
        OpResult result =
            s.EndBoxFirst(Outcome::Success, lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version :")) + version, QString());
        result.version = version;
        return result;
      }
      fb.SetProgressPos(qMin(pos++, kVersionBarMax));
    }
    return s.End(Outcome::Failed, FailedText(lang),
                 QStringLiteral("no reply within %1 ms").arg(kSerialVersionWindowMs));
  });
}

}  // namespace quorvin
