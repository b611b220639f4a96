// Backup data download over USB: a backup file (for instance one saved by the read-back) goes into
// the device as 0xC4 packets.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult BackupDownloadUsb(UsbEnv& env, const QString& path) {
  const bool en = env.english;
  return detail::UploadFileWithOutcome(
      env, cmd::BackupDownload, path,
      {Tr(en, "下载备份数据", "Download backup data"), Tr(en, "下载成功！", "Download successfully !"),
       Tr(en, "下载失败！", "Download failed !")});
}

}  // namespace quorvin
