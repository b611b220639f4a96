// Sets the device's working frequency and reads it back. Both show their box while the progress
// window is still open, as the other short exchanges do.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult SetFrequencyUsb(UsbEnv& env, qint32 hz) {
  const Language& lang = env.lang;
  if (hz < kMinFrequency || hz > kMaxFrequency) {
    // The front ends validate first; this guards callers that did not, and sends nothing.
    OpResult result;
    result.outcome = Outcome::InvalidInput;
    result.detail = QStringLiteral("frequency %1 Hz outside %2..%3").arg(hz).arg(kMinFrequency).arg(kMaxFrequency);
    env.fb.MessageBox(lang.Text(QT_TRANSLATE_NOOP("quorvin", "The frequency must lie between %1 and %2 Hz."))
                          .arg(kMinFrequency)
                          .arg(kMaxFrequency),
                      MsgIcon::Warning);
    return result;
  }
  const auto body = RequestBody(cmd::SetFrequency, FrequencyBytes(static_cast<quint32>(hz)));
  const detail::ShortExchange x{lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setuping frequency parameters...")),
                                lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setup frequency parameters failed !")),
                                MsgIcon::Warning, QStringLiteral("no valid reply to the set-frequency request")};
  return detail::RunShortExchange(env, x, body, [lang, hz](OpResult& result, const Report&) {
    result.frequency = hz;
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setup frequency parameters successfully !"));
  });
}

OpResult ReadFrequencyUsb(UsbEnv& env) {
  static constexpr auto kRequest = EmptyRequestBody(cmd::ReadFrequency);
  const Language& lang = env.lang;
  const detail::ShortExchange x{lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading frequency ...")),
                                lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading frequency failed !")), MsgIcon::Warning,
                                QStringLiteral("no valid reply to the read-frequency request")};
  return detail::RunShortExchange(env, x, kRequest, [](OpResult& result, const Report& in) {
    // Taken as it stands, least significant byte first: the user sees whatever the device holds,
    // even a value the set button would refuse. The field shows it; there is no box.
    result.frequency = static_cast<qint32>(FrequencyFromBytes(in.data() + 6));
    return QString();
  });
}

}  // namespace quorvin
