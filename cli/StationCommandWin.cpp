// The production station is not built for Windows yet: its terminal view and report file are
// POSIX code. The command says so instead of failing to exist.

#include "cli/Session.h"

namespace quorvin::cli {

int Session::Station() {
  m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The production station runs on Linux only for now.")));
  OpResult r;
  r.outcome = Outcome::NotStarted;
  r.detail = QStringLiteral("the station is not available on this system");
  return Finish(r, /*lineRefused=*/true);
}

}  // namespace quorvin::cli
