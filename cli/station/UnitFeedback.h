#pragma once
// The Feedback of one unit on the station. The operations run on the unit's own thread and talk to
// it as they would to the window; the station's display reads a snapshot of it from the main
// thread. Boxes never block: they are kept, and the last one is the unit's reason on a FAIL.

#include <QStringList>
#include <atomic>
#include <mutex>

#include "host/Clock.h"
#include "ops/Feedback.h"

namespace quorvin::station {

struct UnitProgress {
  QString step;  // the recipe step running now
  int stepIndex = 0;
  int stepCount = 0;
  QString text;            // the operation's progress line
  int percent = -1;        // of the step; -1 while the step gives no measure
  qint64 stepLeftMs = -1;  // estimated from the step's pace; -1 when unknown
};

class UnitFeedback final : public Feedback {
 public:
  UnitFeedback(Clock& clock, std::atomic<bool>& abort) : m_clock(clock), m_abort(abort) {}

  void MessageBox(const QString& text, MsgIcon icon) override;
  void ShowProgress() override;
  void SetProgressText(const QString& text) override;
  void SetProgressRange(int max) override;
  void SetProgressPos(int pos) override;
  int ProgressPos() override;
  void CloseProgress() override;
  // The station's stop at once; the first Ctrl+C lets a running unit finish and never reaches here.
  bool CancelRequested() override { return m_abort.load(); }

  void BeginStep(const QString& name, int index, int count);
  [[nodiscard]] UnitProgress Snapshot();
  // The boxes the operations showed since the step began, joined into one line.
  [[nodiscard]] QString StepMessages();

 private:
  Clock& m_clock;
  std::atomic<bool>& m_abort;
  std::mutex m_mutex;
  UnitProgress m_progress;
  QStringList m_boxes;
  int m_max = 3;
  int m_pos = 0;
  int m_startPos = 0;
  qint64 m_startMs = 0;
};

}  // namespace quorvin::station
