#pragma once
// What an operation tells the person at the bench: message boxes and the progress window, beyond
// what the link itself needs (LinkEvents: stop requests, the message pump, the trace). The window
// implements it with widgets, quorvinctl with terminal lines, tests with a recorder. Operations
// never touch widgets directly.

#include <QString>

#include "link/LinkEvents.h"

namespace quorvin {

enum class MsgIcon { None, Information, Warning, Critical };

class Feedback : public LinkEvents {
 public:
  // A modal box with an OK button; returns once the user has acknowledged it.
  virtual void MessageBox(const QString& text, MsgIcon icon = MsgIcon::None) = 0;

  // Creates the progress window if there is none, shows it and sets its range to 0..3.
  virtual void ShowProgress() = 0;
  // Sets the progress line and has it painted before the next blocking step.
  virtual void SetProgressText(const QString& text) = 0;
  virtual void SetProgressRange(int max) = 0;  // 0..max
  virtual void SetProgressPos(int pos) = 0;
  [[nodiscard]] virtual int ProgressPos() = 0;
  // Destroys the progress window and gives the main window back its focus.
  virtual void CloseProgress() = 0;

  // A diagnostic line (the device-arrival line, for instance).
  virtual void DebugLine(const QString& /*line*/) {}
};

}  // namespace quorvin
