// Firmware upgrade over USB: the chosen file goes to the device as 0xC3 packets.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult FirmwareUpgradeUsb(UsbEnv& env, const QString& path) {
  const bool en = env.english;
  // The English title is padded on both sides: progress lines read " Update program ,In total ...".
  return detail::UploadFileWithOutcome(
      env, cmd::UsbUpgrade, path,
      {Tr(en, "升级程序", " Update program "), Tr(en, "升级成功！", "Update successfully"),
       Tr(en, "升级失败！", "Update failed")});
}

}  // namespace quorvin
