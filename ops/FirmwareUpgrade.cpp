// Firmware upgrade over USB: the chosen file goes to the device as 0xC3 packets.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult FirmwareUpgradeUsb(UsbEnv& env, const QString& path) {
  const Language& lang = env.lang;
  // The English title is padded on both sides: progress lines read " Update program ,In total ...".
  return detail::UploadFileWithOutcome(env, cmd::UsbUpgrade, path,
                                       {lang.Text(QT_TRANSLATE_NOOP("quorvin", " Update program ")),
                                        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Update successfully")),
                                        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Update failed"))});
}

}  // namespace quorvin
