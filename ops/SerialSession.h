#pragma once
// What the four serial operations share: the run of one operation from the open port to its end,
// the ends themselves (box, progress window, port), frame writes, and the top-level catch that
// keeps a failed read or write from escaping into the window's worker thread.

#include <QByteArray>
#include <functional>

#include "ops/SerialOps.h"

namespace quorvin {

// Texts the serial operations share.
[[nodiscard]] QString SerialReceiveOkText(const Language& lang);  // "Receive successful !"
[[nodiscard]] QString SerialErrorDataText(const Language& lang);  // "Return error data !"

class SerialSession {
 public:
  explicit SerialSession(SerialEnv& env) : m_env(env) {}
  ~SerialSession();  // the port never outlives the operation
  SerialSession(const SerialSession&) = delete;
  SerialSession& operator=(const SerialSession&) = delete;

  [[nodiscard]] SerialEnv& Env() { return m_env; }
  [[nodiscard]] Feedback& Fb() { return m_env.fb; }
  [[nodiscard]] const Language& Lang() const { return m_env.lang; }

  // Shows the progress window (range 0..3) and remembers that it is up.
  void ShowProgress();
  [[nodiscard]] bool ProgressShown() const { return m_progressShown; }

  // Writes a whole frame to the port.
  void WriteFrame(const QByteArray& frame);

  // Success and failure end: progress window closed, then the box, then the port closed.
  [[nodiscard]] OpResult End(Outcome outcome, const QString& box, const QString& detail);
  // The version read shows its result while the progress window is still up.
  [[nodiscard]] OpResult EndBoxFirst(Outcome outcome, const QString& box, const QString& detail);
  // An end without a box (quiet end, interruption): the window and the port are still closed.
  [[nodiscard]] OpResult EndSilently(Outcome outcome, const QString& detail);

  void CloseProgress();

 private:
  SerialEnv& m_env;
  bool m_progressShown = false;
};

// Runs `body` for one operation: opens the port from the choice first (ending at once when that
// does not happen), and turns anything the port raises into a box with the system's text.
[[nodiscard]] OpResult RunSerialOperation(SerialEnv& env, const SerialChoice& choice,
                                          const std::function<OpResult(SerialSession&)>& body);

}  // namespace quorvin
