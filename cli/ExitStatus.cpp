#include "cli/ExitStatus.h"

#include <QHash>

#include "front/RunWords.h"

namespace quorvin::cli {

Verdict Judge(const OpResult& r, bool lineRefused) {
  if (lineRefused) return {kExitUsage, QStringLiteral("usage-error")};
  const QString code = OutcomeCode(r);
  static const QHash<QString, int> statuses = {
      {QStringLiteral("ok"), kExitOk},
      {QStringLiteral("device-failed"), kExitFailed},
      {QStringLiteral("no-device"), kExitNoDevice},
      {QStringLiteral("permission-denied"), kExitPermission},
      {QStringLiteral("busy"), kExitBusy},
      {QStringLiteral("hid-unavailable"), kExitNoDevice},
      {QStringLiteral("ambiguous-device"), kExitUsage},
      {QStringLiteral("quiet-end"), kExitQuiet},
      {QStringLiteral("file-error"), kExitFile},
      {QStringLiteral("invalid-input"), kExitUsage},
      {QStringLiteral("not-started"), kExitNoDevice},
      {QStringLiteral("interrupted"), kExitInterrupted},
  };
  return {statuses.value(code, kExitFailed), code};
}

}  // namespace quorvin::cli
