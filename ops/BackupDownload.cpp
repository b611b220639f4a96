// Backup data download over USB: a backup file (for instance one saved by the read-back) goes into
// the device as 0xC4 packets.

#include "ops/UsbOpSupport.h"
#include "ops/UsbOps.h"

namespace quorvin {

OpResult BackupDownloadUsb(UsbEnv& env, const QString& path) {
  const Language& lang = env.lang;
  return detail::UploadFileWithOutcome(env, cmd::BackupDownload, path,
                                       {lang.Text(QT_TRANSLATE_NOOP("quorvin", "Download backup data")),
                                        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Download successfully !")),
                                        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Download failed !"))});
}

}  // namespace quorvin
