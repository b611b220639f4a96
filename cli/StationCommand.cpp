// `quorvinctl station RECIPE`, the same on every system: the report goes through the host's
// append-and-sync, and only the terminal view's console and standard input differ
// (StationViewPosix.cpp, StationViewWin.cpp).

#include <QFileInfo>

#include "cli/Session.h"
#include "cli/StationView.h"
#include "cli/station/Recipe.h"
#include "cli/station/ReportFile.h"
#include "cli/station/Station.h"
#include "link/Backends.h"

namespace quorvin::cli {

int Session::Station() {
  using namespace station;
  RecipeError problem;
  const std::optional<Recipe> recipe = LoadRecipe(*m_file, m_lang, &problem);
  if (!recipe) {
    // Judged before any device is touched: a wrong recipe never reaches a unit.
    m_fb.Say(problem.text);
    OpResult r;
    const bool file = problem.problem == RecipeProblem::Unreadable || problem.problem == RecipeProblem::FileMissing ||
                      problem.problem == RecipeProblem::FileBad || problem.problem == RecipeProblem::FolderMissing;
    r.outcome = file ? Outcome::FileError : Outcome::InvalidInput;
    r.fault = file ? Fault::FileUnreadable : Fault::None;
    r.detail = QStringLiteral("the recipe is refused (%1)").arg(ProblemName(problem.problem));
    m_extra[QStringLiteral("problem")] = ProblemName(problem.problem);
    if (problem.line > 0) m_extra[QStringLiteral("line")] = problem.line;
    return Finish(r);
  }
  ReportFile report;
  QString why;
  const QString reportPath = QFileInfo(m_o.report).absoluteFilePath();
  m_extra[QStringLiteral("report")] = reportPath;
  if (!report.Open(reportPath, &why, m_lang)) {
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The report %1 cannot be written: %2")).arg(reportPath, why));
    OpResult r;
    r.outcome = Outcome::FileError;
    r.fault = Fault::FileNotWritable;
    r.detail = QStringLiteral("%1: %2").arg(reportPath, why);
    return Finish(r);
  }
  // --device or QUORVIN_DEVICE narrows the station to the units it matches; one that names
  // nothing is refused like anywhere else, before a unit is touched.
  QString bad;
  const std::optional<DeviceSelector> only = Selector(bad);
  if (!bad.isEmpty()) {
    OpResult r;
    r.outcome = Outcome::NotStarted;
    r.detail = bad;
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The device selector is not understood: %1")).arg(bad));
    return Finish(r, /*lineRefused=*/true);
  }
  auto backend = MakeDefaultBackend(&why);
  if (!backend) return RefuseSocketVariable(why);

  TerminalStationView view(m_lang, StandardErrorRedrawsInPlace(), m_o.json);
  StdinLines ids;
  std::atomic<bool> abort{false};
  StationOptions options{*recipe,
                         *backend,
                         m_clock,
                         m_lang,
                         report,
                         view,
                         m_fb.CancelFlag(),
                         abort,
                         m_o.askId ? &ids : nullptr,
                         QStringLiteral("quorvinctl " QUORVIN_VERSION),
                         500,
                         {},
                         only};
  if (only) {
    m_extra[QStringLiteral("only")] = SelectorText();
    view.Event(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Only the units that match %1 are run.")).arg(SelectorText()));
  }
  const StationSummary summary = RunStation(options);
  m_extra[QStringLiteral("units")] = summary.units;
  m_extra[QStringLiteral("passed")] = summary.passed;
  m_extra[QStringLiteral("failed")] = summary.failed;
  m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Station stopped: %1 units, %2 passed, %3 failed."))
               .arg(summary.units)
               .arg(summary.passed)
               .arg(summary.failed));
  OpResult r;
  r.outcome = Outcome::Success;
  if (summary.reportFailed) {
    r.outcome = Outcome::FileError;
    r.fault = Fault::FileWriteFailed;
    r.detail = QStringLiteral("a report line could not be written to %1").arg(reportPath);
  } else if (summary.leftWithoutId > 0) {
    // Units were plugged in and never run: the line's input (the ids) fell short, not the units.
    r.outcome = Outcome::InvalidInput;
    r.detail = QStringLiteral("standard input ended while %1 units waited for their id").arg(summary.leftWithoutId);
    m_extra[QStringLiteral("withoutId")] = summary.leftWithoutId;
  } else if (m_fb.CancelRequested()) {
    r.outcome = Outcome::Interrupted;
  }
  return Finish(r);
}

}  // namespace quorvin::cli
