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
  static constexpr auto kRequest = EmptyRequestBody(cmd::ReadVersion);
  const bool en = env.english;
  const detail::ShortExchange x{Tr(en, "正在读取版本号.....", "Reading version ..."),
                                Tr(en, "读取版本号失败！", "Reading version failed !"), MsgIcon::None,
                                QStringLiteral("no valid reply to the version request")};
  return detail::RunShortExchange(env, x, kRequest, [en](OpResult& result, const Report& in) {
    result.version = VersionText(in);
    return Tr(en, "当前版本号:", "Version :") + result.version;
  });
}

}  // namespace quorvin
