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
  const Language& lang = env.lang;
  const detail::ShortExchange x{lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version ...")),
                                lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading version failed !")), MsgIcon::None,
                                QStringLiteral("no valid reply to the version request")};
  return detail::RunShortExchange(env, x, kRequest, [lang](OpResult& result, const Report& in) {
    result.version = VersionText(in);
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version :")) + result.version;
  });
}

}  // namespace quorvin
