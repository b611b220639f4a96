#include "cli/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/Grammar.h"
#include "front/RunWords.h"
#include "link/Backends.h"
#include "link/SerialPort.h"
#include "ops/FaultTexts.h"

namespace quorvin::cli {

int Session::Run() {
  if (!m_o.notUtf8Option.isEmpty()) return RefuseOptionValue();
  const Command& c = *m_o.what;
  if (c.link == LinkUse::UsbOnly && !m_o.port.isEmpty()) return UsbOnly();
  if (m_o.device && !m_o.port.isEmpty() && c.link == LinkUse::UsbOrSerial) {
    // Naming a USB repeater and a serial port at once is a slip: which one was meant?
    OpResult r;
    r.outcome = Outcome::NotStarted;
    r.detail = QStringLiteral("--device names a USB repeater, --port a serial port");
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "--device chooses a USB repeater: leave out --port.")));
    return Finish(r, /*lineRefused=*/true);
  }
  if (c.TakesFile()) {
    // Qt decodes the arguments as UTF-8; a name that is not would be turned into another name, and
    // a read-back would then write a file the user never named.
    if (QFile::encodeName(QFile::decodeName(m_o.fileArgBytes)) != m_o.fileArgBytes) return RefuseFileName();
    // An empty name stays empty (the operation refuses it) rather than becoming the current folder.
    m_file = m_o.command.last().isEmpty() ? QString() : QFileInfo(m_o.command.last()).absoluteFilePath();
  }
  return (this->*c.run)();
}

int Session::OnUnit(const Op& op, FileUse use, bool snapshotFirst) {
  int refused = 0;
  const std::optional<Target> target = ChooseTarget(refused);
  if (!target) return refused;
  std::unique_ptr<HidBackend> backend;
  if (target->link == LinkKind::Usb) {
    QString why;
    backend = MakeDefaultBackend(&why);
    if (!backend) return RefuseSocketVariable(why);
  }
  SerialPort port;
  UnitClaim claim(backend.get(), &port, m_fb, m_clock, m_lang);
  m_claim = &claim;
  ClaimOptions options{m_o.waitLock, kMaxLockWaitMs, {}};
  options.onWait = [this](const AttachedRepeater& unit, qint64 holder) {
    if (m_o.json) return;
    const QString line =
        m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Waiting for the repeater %1, in use by process %2 ..."))
            .arg(unit.identity, holder > 0 ? QString::number(holder) : QStringLiteral("?"));
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
  };
  const RunPlan plan{QStringLiteral("quorvinctl"), m_o.what->operation,           m_file.value_or(QString()),
                     m_file ? use : FileUse::None, m_o.snapshot || snapshotFirst, m_o.record};
  const RunReport report = RunOnUnit(claim, *target, options, plan, op);
  m_claim = nullptr;
  m_ran = true;
  port.Close();
  Tell(report);
  if (!report.device.identity.isEmpty()) m_extra[QStringLiteral("device")] = report.device.identity;
  if (report.snapshot) m_extra[QStringLiteral("snapshot")] = report.snapshot->folder;
  // Keyed on what the link reports, never on the message: a repeater or port that is there but
  // would not open.
  const OpResult& r = report.result;
  if (report.stop == RunStop::None && !r.Ok()) {
    m_suggestDoctor =
        target->link == LinkKind::Usb
            ? report.discovery == DiscoveryFault::AccessDenied || report.discovery == DiscoveryFault::OpenFailed
            : r.linkFault == LinkFault::PermissionDenied || r.linkFault == LinkFault::Busy ||
                  r.linkFault == LinkFault::NotFound;
  }
  return Finish(r);
}

int Session::Finish(const OpResult& r, bool lineRefused) {
  Verdict v = Judge(r, lineRefused);
  if (!m_code.isEmpty()) v.code = m_code;
  // A run refused before it reached a unit (its input, its snapshot) is still written down; the
  // policy wrote the line of every run it took.
  const bool drives = m_o.what->link == LinkUse::UsbOnly || m_o.what->link == LinkUse::UsbOrSerial;
  if (drives && !lineRefused && !m_ran) {
    const FileProblem problem = RecordRefusedRun(
        {QStringLiteral("quorvinctl"), m_o.what->operation, m_file.value_or(QString()), FileUse::None, false, {}},
        m_o.port.isEmpty() ? LinkKind::Usb : LinkKind::Serial, r);
    if (problem.Any()) WarnHistory(problem);
  }
  if (m_suggestDoctor) m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "To find out why, run `quorvinctl doctor`")));
  if (!m_o.json) return v.exitCode;
  QJsonObject result = m_extra;
  if (!r.version.isNull()) result[QStringLiteral("version")] = r.version;
  if (r.bytes > 0 || m_file) result[QStringLiteral("bytes")] = r.bytes;
  if (m_file) result[QStringLiteral("file")] = *m_file;
  QJsonObject o{{QStringLiteral("operation"), m_o.what->operation},
                {QStringLiteral("success"), v.exitCode == kExitOk},
                {QStringLiteral("outcome"), OutcomeName(r.outcome)},
                {QStringLiteral("code"), v.code},
                {QStringLiteral("exitCode"), v.exitCode},
                {QStringLiteral("messages"), QJsonArray::fromStringList(m_fb.Messages())},
                {QStringLiteral("result"), result},
                {QStringLiteral("durationMs"), m_clock.NowMs() - m_start}};
  if (m_o.what->link != LinkUse::None)
    o[QStringLiteral("link")] = m_o.port.isEmpty() ? QStringLiteral("usb") : QStringLiteral("serial");
  if (!r.detail.isEmpty()) o[QStringLiteral("detail")] = r.detail;
  if (r.fault != Fault::None) o[QStringLiteral("fault")] = FaultName(r.fault);
  if (!m_o.port.isEmpty()) o[QStringLiteral("port")] = m_o.port;
  PrintJson(o);
  return v.exitCode;
}

int Session::UsbOnly() {
  OpResult r;
  r.outcome = Outcome::NotStarted;
  r.detail = QStringLiteral("works over USB only");
  m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "This operation works over USB only: leave out --port.")));
  return Finish(r, /*lineRefused=*/true);
}

int Session::RefuseFileName() {
  OpResult r;
  r.outcome = Outcome::InvalidInput;
  r.detail = QStringLiteral("the file name is not valid UTF-8");
  m_fb.Say(
      m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file name %1 is not valid UTF-8: rename the file and try again."))
          .arg(m_o.command.last()));
  return Finish(r);
}

// An option's value that is not valid UTF-8 would be read as another name (a report or recording
// written under a name nobody gave, another unit chosen): the line is refused before anything runs.
int Session::RefuseOptionValue() {
  OpResult r;
  r.outcome = Outcome::InvalidInput;
  r.detail = QStringLiteral("the value of %1 is not valid UTF-8").arg(m_o.notUtf8Option);
  m_extra[QStringLiteral("option")] = m_o.notUtf8Option;
  m_fb.Say(m_lang
               .Text(QT_TRANSLATE_NOOP("quorvin",
                                       "The value given to %1 is not valid UTF-8: give it in UTF-8 (rename a file "
                                       "whose name is not) and try again."))
               .arg(m_o.notUtf8Option));
  return Finish(r, /*lineRefused=*/true);
}

// A QUORVIN_HID_SOCKET that cannot be used is the caller's set-up at fault, like a bad command
// line: said in the same plain words, and nothing is tried.
int Session::RefuseSocketVariable(const QString& why) {
  if (!m_o.json) std::fprintf(stderr, "quorvinctl: %s\n", qPrintable(why));
  OpResult r;
  r.outcome = Outcome::NotStarted;
  r.detail = why;
  return Finish(r, /*lineRefused=*/true);
}

void Session::WarnHistory(const FileProblem& problem) {
  std::fprintf(stderr, "quorvinctl: %s\n",
               qUtf8Printable(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the history could not be written: %1"))
                                  .arg(problem.path + QStringLiteral(": ") + FileProblemText(m_lang, problem))));
}

int RunCommand(const CliOptions& options, const Language& lang, std::atomic<bool>& interrupted) {
  Session session(options, lang, interrupted);
  return session.Run();
}

}  // namespace quorvin::cli
