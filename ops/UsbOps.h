#pragma once
// The device operations over the USB link. Each runs from start to outcome box: the front end has
// already chosen the file or read the frequency field, and passes a path or a number.

#include <QByteArray>
#include <QString>

#include "link/HidLink.h"
#include "ops/OpResult.h"
#include "protocol/Protocol.h"

namespace quorvin {

struct UsbEnv {
  HidLink& link;
  Feedback& fb;
  Clock& clock;
  Language lang;
};

// --- Files ----------------------------------------------------------------------------------

enum class FileRead {
  Ok,
  CannotOpen,  // missing, unreadable, or a directory
  TooLarge,    // more than maxBytes: refused before it is read into memory
  ReadFailed,  // an error part way through
};

// Reads the whole file into `buffer` (replacing its content), at most maxBytes of it: a file whose
// size is known to exceed the limit is refused before any of it is read, and one that turns out
// longer while being read is refused as soon as it passes the limit. `reason` receives the system's
// text on failure.
[[nodiscard]] FileRead ReadWholeFile(const QString& path, QByteArray& buffer, qint64 maxBytes = kMaxUsbImage,
                                     QString* reason = nullptr);
// The message for a file that ReadWholeFile could not deliver, in the user's language.
[[nodiscard]] QString FileReadMessage(const Language& lang, FileRead status, const QString& path, qint64 maxBytes,
                                      const QString& reason);

// The message for a file that could not be written, in the user's language.
[[nodiscard]] QString FileWriteMessage(const Language& lang, const QString& path, const QString& reason);

// --- Block upload engine (firmware 0xC3, backup 0xC4) ------------------------------------------

enum class UploadEnd {
  Accepted,     // the device acknowledged the whole image
  Refused,      // another reply than the acknowledgement (a refusal, status 0xA5, among them)
  Unanswered,   // no reply at all within the acknowledgement's time
  NotSent,      // a packet could not be written (the link's message has been shown)
  TooLarge,     // refused before anything was sent (a message has been shown)
  Empty,        // an empty image: refused before anything was sent (a message has been shown)
  FileError,    // SendStagedFile only: the file could not be read (a message has been shown)
  Interrupted,  // the host asked to stop; the progress window is closed
};

// Sends the image as numbered packets and waits for the device's acknowledgement. `sent` receives
// the number of image bytes written to the device.
[[nodiscard]] UploadEnd UploadImage(UsbEnv& env, std::uint8_t command, const QByteArray& image, const QString& title,
                                    qint64* sent = nullptr);
// The same transfer with the image read from a file first.
[[nodiscard]] UploadEnd SendStagedFile(UsbEnv& env, std::uint8_t command, const QString& path, const QString& title,
                                       qint64* sent = nullptr);

[[nodiscard]] OpResult FirmwareUpgradeUsb(UsbEnv& env, const QString& path);
[[nodiscard]] OpResult BackupDownloadUsb(UsbEnv& env, const QString& path);

// --- Backup read-back ------------------------------------------------------------------------

enum class ReadBackEnd {
  Complete,         // every packet arrived and the file has been replaced
  NotSent,          // the request could not be written
  NoReply,          // no first reply, or not a read-back reply
  BadChecksum,      // the first reply's checksum is wrong
  Missing,          // a later packet did not come within 100 ms
  PacketError,      // not a read-back packet, a length that cannot be right, or out of sequence
  FileNotWritable,  // the path cannot take the file: found before anything was sent
  FileWriteFailed,  // all data arrived but the file could not be written or synced; an earlier file is intact
  Interrupted,      // the host asked to stop; nothing was written
};

// Reads the device's backup into a file; the file is replaced only when every packet arrived.
[[nodiscard]] OpResult BackupReadBackUsb(UsbEnv& env, const QString& path);
[[nodiscard]] ReadBackEnd ReadBackupData(UsbEnv& env, const QString& path, const QString& title,
                                         qint64* received = nullptr);

// --- Short exchanges -------------------------------------------------------------------------

[[nodiscard]] OpResult ReadVersionUsb(UsbEnv& env);
inline constexpr qint32 kMinFrequency = 300'000'000;
inline constexpr qint32 kMaxFrequency = 900'000'000;
// The caller has validated hz against kMinFrequency..kMaxFrequency; a value outside is refused
// here too, with nothing sent.
[[nodiscard]] OpResult SetFrequencyUsb(UsbEnv& env, qint32 hz);
[[nodiscard]] OpResult ReadFrequencyUsb(UsbEnv& env);
[[nodiscard]] OpResult InitCallButtonsUsb(UsbEnv& env);

}  // namespace quorvin
