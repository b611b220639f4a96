#pragma once
// What an operation tells the person at the bench: message boxes, the progress window, and the
// message pump. The window implements it with widgets, quorvinctl with terminal lines, tests with
// a recorder. Operations never touch widgets directly.

#include <QString>
#include <cstddef>
#include <cstdint>

namespace quorvin {

enum class MsgIcon { None, Information, Warning, Critical };
enum class TraceDir { Out, In };

class Feedback {
 public:
  virtual ~Feedback() = default;

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

  // Lets the host serve its pending events; false when a quit request was met.
  virtual bool PumpMessages() { return true; }

  // A diagnostic line (the device-arrival line, for instance).
  virtual void DebugLine(const QString& /*line*/) {}
  // Every report or serial frame that crosses a link, for verbose output.
  virtual void Trace(TraceDir /*dir*/, const std::uint8_t* /*bytes*/, std::size_t /*count*/) {}
  // True when the host asked the running operation to stop (Ctrl+C in the terminal).
  [[nodiscard]] virtual bool CancelRequested() { return false; }
};

}  // namespace quorvin
