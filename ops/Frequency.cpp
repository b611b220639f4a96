// Sets the device's working frequency and reads it back. Both show their box while the progress
// window is still open, as the other short exchanges do.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

#include <array>

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
  const auto u = static_cast<quint32>(hz);
  std::array<std::uint8_t, 8> body{kDirRequest,
                                   cmd::SetFrequency,
                                   0x04,
                                   static_cast<std::uint8_t>(u),
                                   static_cast<std::uint8_t>(u >> 8),
                                   static_cast<std::uint8_t>(u >> 16),
                                   static_cast<std::uint8_t>(u >> 24),
                                   0};
  body[7] = static_cast<std::uint8_t>(ComputeChecksum(body.data(), 7));

  const bool ok = detail::ExchangeWithProgress(
      env, Tr(env.english, "正在设置频率.....", "Setuping frequency parameters..."), body);
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
  static constexpr std::array<std::uint8_t, 4> kRequest{kDirRequest, cmd::ReadFrequency, 0x00, 0x3D};
  if (detail::ExchangeWithProgress(env, Tr(env.english, "正在读取频率.....", "Reading frequency ..."), kRequest)) {
    // Taken as it stands, least significant byte first: the user sees whatever the device holds,
    // even a value the set button would refuse.
    const Report& in = env.link.m_inReport;
    const quint32 u = quint32(in[6]) | quint32(in[7]) << 8 | quint32(in[8]) << 16 | quint32(in[9]) << 24;
    result.outcome = Outcome::Success;
    result.frequency = static_cast<qint32>(u);
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
