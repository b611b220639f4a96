#pragma once
// The device operations, over the USB link and over the serial link. Each runs from start to
// outcome box: the front end has already chosen the file, the port or the frequency, and passes
// a path, a choice or a number. Every operation shows its own messages through Feedback and
// returns a typed result; none raises.

#include <QByteArray>
#include <QString>

#include "link/Clock.h"
#include "link/Feedback.h"
#include "link/HidLink.h"
#include "link/InputFile.h"
#include "link/Language.h"
#include "ops/OpResult.h"
#include "protocol/Protocol.h"

namespace quorvin {

class CSerialPort;

struct UsbEnv {
  HidLink& link;
  Feedback& fb;
  Clock& clock;
  Language lang;
};

struct SerialEnv {
  CSerialPort& port;
  Feedback& fb;
  Clock& clock;
  Language lang;
};

// What the window's serial controls hold: the text of the selected port item (empty when no port
// is listed) and the speed field's text.
struct SerialChoice {
  QString portItem;
  QString speedText;
};

// --- Files ---------------------------------------------------------------------------------------

// The texts for files that cannot be used, the same on both links.
[[nodiscard]] QString FileReadMessage(const Language& lang, FileRead status, const QString& path, qint64 maxBytes,
                                      const QString& reason);
[[nodiscard]] QString FileWriteMessage(const Language& lang, const QString& path, const QString& reason);

// --- USB ---------------------------------------------------------------------------------------

// A discovery fault in the user's words, and the telling of it: a fault that is news gets its box,
// a persistent one is told once (the window's poll timer, an operation and the check box alike).
[[nodiscard]] QString DiscoveryFaultText(const Language& lang, DiscoveryFault fault);
void TellDiscoveryFault(HidLink& link, Feedback& fb, const Language& lang);

[[nodiscard]] OpResult FirmwareUpgradeUsb(UsbEnv& env, const QString& path);
[[nodiscard]] OpResult BackupDownloadUsb(UsbEnv& env, const QString& path);
// The file at `path` is replaced only when the device delivered every packet, in order.
[[nodiscard]] OpResult BackupReadBackUsb(UsbEnv& env, const QString& path);
[[nodiscard]] OpResult ReadVersionUsb(UsbEnv& env);
// A value outside kMinFrequency..kMaxFrequency is refused with nothing sent.
[[nodiscard]] OpResult SetFrequencyUsb(UsbEnv& env, qint32 hz);
[[nodiscard]] OpResult ReadFrequencyUsb(UsbEnv& env);
[[nodiscard]] OpResult InitCallButtonsUsb(UsbEnv& env);

// Reads the device's backup back and compares it byte by byte with `expected` (what was downloaded):
// a difference fails, naming the first differing offset and how many bytes differ.
[[nodiscard]] OpResult VerifyBackupUsb(UsbEnv& env, const QByteArray& expected);

// An image already in memory, sent as `command` packets (0xC3 firmware, 0xC4 backup) behind
// progress lines that start with `title`; no outcome box.
[[nodiscard]] OpResult UploadImageUsb(UsbEnv& env, std::uint8_t command, const QByteArray& image, const QString& title);

// --- Serial ------------------------------------------------------------------------------------

enum class SerialOpen {
  Opened,
  NotStarted,  // no port listed or an empty speed field: nothing opened, nothing shown
  Failed,      // the port could not be opened or set up; the message has been shown
};

// Takes the port and the speed from the window's choice and opens the port. Never raises: every
// failure is shown here, in the user's language, and the port is left closed. `why`, when given,
// receives the port and the system's reason on a failure, for logs; `fault` what kept it closed.
[[nodiscard]] SerialOpen OpenSerialPort(CSerialPort& port, const SerialChoice& choice, Feedback& fb,
                                        const Language& lang, QString* why = nullptr, LinkFault* fault = nullptr);

// Each selects and opens the port itself, and leaves the port and the progress window closed.
[[nodiscard]] OpResult FirmwareUpgradeSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult BackupDownloadSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult ReadVersionSerial(SerialEnv& env, const SerialChoice& choice);
[[nodiscard]] OpResult BackupReadBackSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult VerifyBackupSerial(SerialEnv& env, const SerialChoice& choice, const QByteArray& expected);

}  // namespace quorvin
