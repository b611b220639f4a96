// Sets the device's working frequency and reads it back. Both show their box while the progress
// window is still open, as the other short exchanges do.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

namespace {
OpResult Interrupted() {
  OpResult r;
  r.outcome = Outcome::Interrupted;
  return r;
}
}  // namespace

OpResult SetFrequencyUsb(UsbEnv& env, qint32 hz) {
  OpResult result;
  if (hz < kMinFrequency || hz > kMaxFrequency) {
    // The front ends validate first; this guards callers that did not, and sends nothing.
    result.outcome = Outcome::InvalidInput;
    result.detail = QStringLiteral("frequency %1 Hz outside %2..%3").arg(hz).arg(kMinFrequency).arg(kMaxFrequency);
    env.fb.MessageBox(Tr(env.english, "频率必须在 %1 到 %2 Hz 之间。", "The frequency must lie between %1 and %2 Hz.")
                          .arg(kMinFrequency)
                          .arg(kMaxFrequency),
                      MsgIcon::Warning);
    return result;
  }
  if (env.fb.CancelRequested()) return Interrupted();
  const auto body = RequestBody(cmd::SetFrequency, FrequencyBytes(static_cast<quint32>(hz)));

  const bool ok =
      detail::ExchangeWithProgress(env, Tr(env.english, "正在设置频率.....", "Setuping frequency parameters..."), body);
  if (ok) {
    result.outcome = Outcome::Success;
    result.frequency = hz;
    env.fb.MessageBox(Tr(env.english, "设置频率成功！", "Setup frequency parameters successfully !"), MsgIcon::Warning);
  } else if (env.fb.CancelRequested()) {
    return detail::StoppedOnRequest(env);
  } else {
    result.detail = QStringLiteral("no valid reply to the set-frequency request");
    env.fb.MessageBox(Tr(env.english, "设置频率失败！", "Setup frequency parameters failed !"), MsgIcon::Warning);
  }
  env.fb.CloseProgress();
  return result;
}

OpResult ReadFrequencyUsb(UsbEnv& env) {
  if (env.fb.CancelRequested()) return Interrupted();
  OpResult result;
  static constexpr auto kRequest = EmptyRequestBody(cmd::ReadFrequency);
  if (detail::ExchangeWithProgress(env, Tr(env.english, "正在读取频率.....", "Reading frequency ..."), kRequest)) {
    // Taken as it stands, least significant byte first: the user sees whatever the device holds,
    // even a value the set button would refuse.
    result.outcome = Outcome::Success;
    result.frequency = static_cast<qint32>(FrequencyFromBytes(env.link.m_inReport.data() + 6));
  } else if (env.fb.CancelRequested()) {
    return detail::StoppedOnRequest(env);
  } else {
    result.detail = QStringLiteral("no valid reply to the read-frequency request");
    env.fb.MessageBox(Tr(env.english, "读取频率失败！", "Reading frequency failed !"), MsgIcon::Warning);
  }
  env.fb.CloseProgress();
  return result;
}

}  // namespace quorvin
