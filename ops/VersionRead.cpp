// Reads the firmware version over USB and shows it. The result or failure box is shown while the
// progress window is still open; the window closes once the box has been acknowledged.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"
#include "ops/VersionText.h"

namespace quorvin {

namespace {

// The payload up to its first zero byte: what the device means as its version.
QString VersionText(const Report& in) {
  const auto n = static_cast<qsizetype>(in[5]);  // at most 58: a longer reply never passes the check
  const auto* begin = reinterpret_cast<const char*>(in.data() + 6);
  qsizetype used = 0;
  while (used < n && begin[used] != '\0') ++used;
  return PrintableVersion(DecodeVersion(QByteArray(begin, used)));
}

}  // namespace

OpResult ReadVersionUsb(UsbEnv& env) {
  OpResult result;
  if (env.fb.CancelRequested()) {
    result.outcome = Outcome::Interrupted;
    return result;
  }
  static constexpr auto kRequest = EmptyRequestBody(cmd::ReadVersion);
  if (detail::ExchangeWithProgress(env, Tr(env.english, "正在读取版本号.....", "Reading version ..."), kRequest)) {
    result.outcome = Outcome::Success;
    result.version = VersionText(env.link.m_inReport);
    env.fb.MessageBox(Tr(env.english, "当前版本号:", "Version :") + result.version, MsgIcon::None);
  } else if (env.fb.CancelRequested()) {
    return detail::StoppedOnRequest(env);
  } else {
    result.detail = QStringLiteral("no valid reply to the version request");
    env.fb.MessageBox(Tr(env.english, "读取版本号失败！", "Reading version failed !"), MsgIcon::None);
  }
  env.fb.CloseProgress();
  return result;
}

}  // namespace quorvin
