#pragma once
// The serial forms of upgrade, version read, backup download and backup read-back.

#include "link/Clock.h"
#include "link/Feedback.h"
#include "ops/OpResult.h"

#include <QString>

namespace quorvin {

class CSerialPort;

struct SerialEnv {
  CSerialPort& port;
  Feedback& fb;
  Clock& clock;
  bool english;
};

// What the window's serial controls hold: the text of the selected port item (empty when no port
// is listed) and the speed field's text.
struct SerialChoice {
  QString portItem;
  QString speedText;
};

[[nodiscard]] OpResult FirmwareUpgradeSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult BackupDownloadSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);
[[nodiscard]] OpResult ReadVersionSerial(SerialEnv& env, const SerialChoice& choice);
[[nodiscard]] OpResult BackupReadBackSerial(SerialEnv& env, const SerialChoice& choice, const QString& path);

}  // namespace quorvin
