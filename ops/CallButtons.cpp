// Tells the device to initialise its call-button data. There is deliberately no confirmation
// question: the button itself is the request.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult InitCallButtonsUsb(UsbEnv& env) {
  static constexpr auto kRequest = EmptyRequestBody(cmd::InitCallButtons);
  const Language& lang = env.lang;
  const detail::ShortExchange x{lang.Text(QT_TRANSLATE_NOOP("quorvin", "Initialize call button data ...")),
                                lang.Text(QT_TRANSLATE_NOOP("quorvin", "Initialize call button data failed !")),
                                MsgIcon::Warning, QStringLiteral("no valid reply to the call-button request")};
  return detail::RunShortExchange(env, x, kRequest, [lang](OpResult&, const Report&) {
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "Initialize call button data successfully !"));
  });
}

}  // namespace quorvin
