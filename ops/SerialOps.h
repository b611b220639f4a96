#pragma once
// The serial forms of upgrade, version read, backup download and backup read-back.

#include <QString>

#include "link/Clock.h"
#include "link/Feedback.h"
#include "link/Language.h"
#include "ops/OpResult.h"
#include "protocol/Protocol.h"

namespace quorvin {

class CSerialPort;

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

enum class SerialOpen {
  Opened,
  NotStarted,  // no port listed or an empty speed field: nothing opened, nothing shown
  Failed,      // the port could not be opened or set up; the message has been shown
};

// Takes the port and the speed from the window's choice and opens the port. Never raises: every
// failure is shown here, in the user's language, and the port is left closed. `why`, when given,
// receives the port and the system's reason on a failure, for logs.
// `fault`, when given, receives what kept the port from opening.
[[nodiscard]] SerialOpen OpenSerialPort(CSerialPort& port, const SerialChoice& choice, Feedback& fb,
                                        const Language& lang, QString* why = nullptr, LinkFault* fault = nullptr);

// Each operation selects and opens the port itself, shows its outcome, and leaves the port and the
// progress window closed, whatever happens; no exception leaves it.
[[nodiscard]] OpResult FirmwareUpgradeSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult BackupDownloadSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult ReadVersionSerial(SerialEnv& env, const SerialChoice& choice);
// The file at `path` is replaced only when the device delivered every packet.
[[nodiscard]] OpResult BackupReadBackSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);

}  // namespace quorvin
