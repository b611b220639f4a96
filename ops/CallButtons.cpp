// Tells the device to initialise its call-button data. There is deliberately no confirmation
// question: the button itself is the request.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult InitCallButtonsUsb(UsbEnv& env) {
  OpResult result;
  if (env.fb.CancelRequested()) {
    result.outcome = Outcome::Interrupted;
    return result;
  }
  static constexpr auto kRequest = EmptyRequestBody(cmd::InitCallButtons);
  if (detail::ExchangeWithProgress(env, Tr(env.english, "初始化呼叫器数据.....", "Initialize call button data ..."),
                                   kRequest)) {
    result.outcome = Outcome::Success;
    env.fb.MessageBox(Tr(env.english, "初始化呼叫器数据成功！", "Initialize call button data successfully !"),
                      MsgIcon::Warning);
  } else if (env.fb.CancelRequested()) {
    return detail::StoppedOnRequest(env);
  } else {
    result.detail = QStringLiteral("no valid reply to the call-button request");
    env.fb.MessageBox(Tr(env.english, "初始化呼叫器数据失败！", "Initialize call button data failed !"),
                      MsgIcon::Warning);
  }
  env.fb.CloseProgress();
  return result;
}

}  // namespace quorvin
