// Tells the device to initialise its call-button data. There is deliberately no confirmation
// question: the button itself is the request.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult InitCallButtonsUsb(UsbEnv& env) {
  static constexpr auto kRequest = EmptyRequestBody(cmd::InitCallButtons);
  const bool en = env.english;
  const detail::ShortExchange x{Tr(en, "初始化呼叫器数据.....", "Initialize call button data ..."),
                                Tr(en, "初始化呼叫器数据失败！", "Initialize call button data failed !"),
                                MsgIcon::Warning, QStringLiteral("no valid reply to the call-button request")};
  return detail::RunShortExchange(env, x, kRequest, [en](OpResult&, const Report&) {
    return Tr(en, "初始化呼叫器数据成功！", "Initialize call button data successfully !");
  });
}

}  // namespace quorvin
