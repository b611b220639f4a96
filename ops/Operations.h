#pragma once
// The device operations. Each takes a Channel (USB or serial, ops/Channel.h) and runs from start
// to outcome box: the front end has already chosen the file or the frequency and passes a path or
// a number. Every operation shows its own messages through the channel's Feedback and returns a
// typed result; none raises. Which frames, pauses and texts a link uses is the link's own
// (UsbOperations.cpp, SerialOperations.cpp); the caller never needs to know.

#include <QByteArray>
#include <QString>

#include "ops/Channel.h"
#include "ops/FaultTexts.h"
#include "ops/OpResult.h"
#include "protocol/Protocol.h"

namespace quorvin {

[[nodiscard]] OpResult Upgrade(Channel& ch, const QString& path);
[[nodiscard]] OpResult DownloadBackup(Channel& ch, const QString& path);
// The file at `path` is replaced only when the device delivered every packet, in order.
[[nodiscard]] OpResult ReadBackup(Channel& ch, const QString& path);
// Reads the device's backup back and compares it byte by byte with `expected` (what was downloaded):
// a difference fails, naming the first differing offset and how many bytes differ.
[[nodiscard]] OpResult VerifyBackup(Channel& ch, const QByteArray& expected);
// Downloads `path`, then reads the unit's data back and compares it with the file, read once more:
// what the unit keeps, not what it said. A file changed in between is the technician's to know
// about, as a difference. The result is the comparison's with the bytes sent; `fileBytes`, when
// given, gets the size compared (-1 when the download itself failed).
[[nodiscard]] OpResult DownloadAndVerify(Channel& ch, const QString& path, qint64* fileBytes = nullptr);
[[nodiscard]] OpResult ReadVersion(Channel& ch);

// USB only (Capability::Frequency); on another link nothing is sent and the result is NotStarted.
// A value outside kMinFrequency..kMaxFrequency is refused with nothing sent.
[[nodiscard]] OpResult SetFrequency(Channel& ch, qint32 hz);
[[nodiscard]] OpResult ReadFrequency(Channel& ch);
// USB only (Capability::CallButtons).
[[nodiscard]] OpResult InitCallButtons(Channel& ch);

// An image already in memory (the station reads its files once, at start), sent as firmware or as
// backup data behind the usual progress lines, with no outcome box.
enum class ImageKind { Firmware, Backup };
[[nodiscard]] OpResult SendImage(Channel& ch, ImageKind kind, const QByteArray& image);

// --- Serial port opening --------------------------------------------------------------------

enum class SerialOpen {
  Opened,
  NotStarted,  // no port listed or an empty speed field: nothing opened, nothing shown
  Failed,      // the port could not be opened or set up; the message has been shown
};

// Takes the port and the speed from the choice and opens the port. Never raises: every failure is
// shown here, in the user's language, and the port is left closed. `why`, when given, receives the
// port and the system's reason on a failure, for logs; `fault` what kept it closed. Each serial
// operation opens its port this way and closes it at its end.
[[nodiscard]] SerialOpen OpenSerialPort(SerialPort& port, const SerialChoice& choice, Feedback& fb,
                                        const Language& lang, QString* why = nullptr, LinkFault* fault = nullptr);

// Tells a discovery fault (DiscoveryFaultText): one that is news gets its box, a persistent one is
// told once (the window's poll timer, an operation and the check box alike).
void TellDiscoveryFault(HidLink& link, Feedback& fb, const Language& lang);

}  // namespace quorvin
