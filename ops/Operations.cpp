// Each operation on the link its channel is: the USB and serial forms live in their own files.

#include "ops/Operations.h"

#include "host/InputFile.h"
#include "ops/LinkOperations.h"

namespace quorvin {

namespace {

UsbChannel& Usb(Channel& ch) { return static_cast<UsbChannel&>(ch); }
SerialChannel& Serial(Channel& ch) { return static_cast<SerialChannel&>(ch); }

// A command the link has no frame for: nothing is sent and nothing is shown; the front ends keep
// such a command from being asked for on that link in the first place.
OpResult NotOnThisLink(const Channel& ch, const char* what) {
  OpResult r;
  r.outcome = Outcome::NotStarted;
  r.detail =
      QStringLiteral("%1 works over USB only, not over the %2 link").arg(QLatin1String(what), LinkName(ch.Kind()));
  return r;
}

}  // namespace

QString LinkName(LinkKind link) { return link == LinkKind::Usb ? QStringLiteral("usb") : QStringLiteral("serial"); }

OpResult Upgrade(Channel& ch, const QString& path) {
  return ch.Kind() == LinkKind::Usb ? usb::Upgrade(Usb(ch), path) : serial::Upgrade(Serial(ch), path);
}

OpResult DownloadBackup(Channel& ch, const QString& path) {
  return ch.Kind() == LinkKind::Usb ? usb::DownloadBackup(Usb(ch), path) : serial::DownloadBackup(Serial(ch), path);
}

OpResult ReadBackup(Channel& ch, const QString& path) {
  return ch.Kind() == LinkKind::Usb ? usb::ReadBackup(Usb(ch), path) : serial::ReadBackup(Serial(ch), path);
}

OpResult VerifyBackup(Channel& ch, const QByteArray& expected) {
  return ch.Kind() == LinkKind::Usb ? usb::VerifyBackup(Usb(ch), expected) : serial::VerifyBackup(Serial(ch), expected);
}

OpResult DownloadAndVerify(Channel& ch, const QString& path, qint64* fileBytes) {
  if (fileBytes) *fileBytes = -1;
  OpResult sent = DownloadBackup(ch, path);
  if (!sent.Ok()) return sent;
  QByteArray expected;
  if (ReadWholeFile(path, expected, kMaxUsbImage + kMaxSerialImage) != FileRead::Ok) {
    sent.outcome = Outcome::FileError;
    sent.fault = Fault::FileUnreadable;
    sent.detail = QStringLiteral("%1 could not be read again for the comparison").arg(path);
    return sent;
  }
  if (fileBytes) *fileBytes = expected.size();
  OpResult check = VerifyBackup(ch, expected);
  check.bytes = sent.bytes;
  return check;
}

OpResult ReadVersion(Channel& ch) {
  return ch.Kind() == LinkKind::Usb ? usb::ReadVersion(Usb(ch)) : serial::ReadVersion(Serial(ch));
}

OpResult SetFrequency(Channel& ch, qint32 hz) {
  if (!ch.Supports(Capability::Frequency)) return NotOnThisLink(ch, "setting the frequency");
  return usb::SetFrequency(Usb(ch), hz);
}

OpResult ReadFrequency(Channel& ch) {
  if (!ch.Supports(Capability::Frequency)) return NotOnThisLink(ch, "reading the frequency");
  return usb::ReadFrequency(Usb(ch));
}

OpResult InitCallButtons(Channel& ch) {
  if (!ch.Supports(Capability::CallButtons)) return NotOnThisLink(ch, "initialising the call buttons");
  return usb::InitCallButtons(Usb(ch));
}

OpResult SendImage(Channel& ch, ImageKind kind, const QByteArray& image) {
  if (ch.Kind() != LinkKind::Usb) return NotOnThisLink(ch, "sending an image from memory");
  const bool firmware = kind == ImageKind::Firmware;
  const QString title = firmware ? ch.lang.Text(QT_TRANSLATE_NOOP("quorvin", " Update program "))
                                 : ch.lang.Text(QT_TRANSLATE_NOOP("quorvin", "Download backup data"));
  return usb::SendImage(Usb(ch), firmware ? cmd::UsbUpgrade : cmd::BackupDownload, image, title.trimmed());
}

}  // namespace quorvin
