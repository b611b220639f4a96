#include "cli/Commands.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

#include "cli/Doctor.h"
#include "cli/Session.h"
#include "cli/TerminalFeedback.h"
#include "cli/UdevRule.h"
#include "front/FrequencyInput.h"
#include "front/RunWords.h"
#include "front/Snapshot.h"
#include "host/FileOpen.h"
#include "host/History.h"
#include "host/InputFile.h"
#include "host/OutputFile.h"
#include "host/SystemProbe.h"
#include "host/TarArchive.h"
#include "link/Backends.h"
#include "link/SerialPort.h"
#include "link/SerialPortList.h"
#include "ops/FaultTexts.h"
#include "ops/Operations.h"

namespace quorvin::cli {

const std::vector<Command>& CommandTable() {
  // The order is the usage's.
  static const std::vector<Command> table = {
      {{"version"}, Argument::None, LinkUse::UsbOrSerial, "version", "read the firmware version", &Session::Version},
      {{"frequency", "get"},
       Argument::None,
       LinkUse::UsbOnly,
       "frequency get",
       "read the working frequency (prints it in decimal)",
       &Session::FrequencyGet},
      {{"frequency", "set"},
       Argument::Hz,
       LinkUse::UsbOnly,
       "frequency set",
       "set it (300000000..900000000)",
       &Session::FrequencySet,
       {QStringLiteral("--snapshot")}},
      {{"init-buttons"},
       Argument::None,
       LinkUse::UsbOnly,
       "init-buttons",
       "initialise the call-button data",
       &Session::InitButtons,
       {QStringLiteral("--snapshot")}},
      {{"upgrade"},
       Argument::File,
       LinkUse::UsbOrSerial,
       "upgrade",
       "upgrade the firmware from FILE",
       &Session::Upgrade,
       {QStringLiteral("--snapshot")}},
      {{"backup", "download"},
       Argument::File,
       LinkUse::UsbOrSerial,
       "backup download",
       "send the backup data in FILE into the device (--verify: read it back, compare)",
       &Session::BackupDownload,
       {QStringLiteral("--verify"), QStringLiteral("--snapshot")}},
      {{"backup", "read"},
       Argument::File,
       LinkUse::UsbOrSerial,
       "backup read",
       "read the device's backup data into FILE",
       &Session::BackupRead},
      {{"devices"},
       Argument::None,
       LinkUse::UsbListing,
       "devices",
       "list attached repeaters (identity, location, serial, path) on the USB link",
       &Session::Devices},
      {{"devices", "--probe"},
       Argument::None,
       LinkUse::UsbListing,
       "devices",
       "the same, with each one's version and frequency read over the link",
       &Session::Devices},
      {{"snapshot"},
       Argument::None,
       LinkUse::UsbOnly,
       "snapshot",
       "keep the unit's version, frequency and backup in a new snapshot",
       &Session::Snapshot},
      {{"snapshots"}, Argument::None, LinkUse::None, "snapshots", "list the snapshots", &Session::Snapshots},
      {{"restore"},
       Argument::Snapshot,
       LinkUse::UsbOnly,
       "restore",
       "put a snapshot back: its backup, then its frequency",
       &Session::Restore,
       {QStringLiteral("--force")}},
      {{"record-report"},
       Argument::File,
       LinkUse::None,
       "record-report",
       "bundle the last recording, the history and doctor's findings into FILE (tar) for support",
       &Session::RecordReport},
      {{"ports"}, Argument::None, LinkUse::None, "ports", "list serial ports", &Session::Ports},
      {{"station"},
       Argument::File,
       LinkUse::UsbOnly,
       "station",
       "run the recipe in FILE on every repeater plugged in, until Ctrl+C",
       &Session::Station},
      {{"history"},
       Argument::None,
       LinkUse::None,
       "history",
       "what was done, oldest first (--since DATE: from then on)",
       &Session::History,
       {QStringLiteral("--since DATE")}},
      {{"udev-rule"},
       Argument::None,
       LinkUse::None,
       "udev-rule",
       "print the udev rule that grants non-root access",
       &Session::UdevRule},
      {{"doctor"},
       Argument::None,
       LinkUse::None,
       "doctor",
       "why the repeater or a port cannot be used, and the fix (--file FILE: its size limits)",
       &Session::Doctor,
       {QStringLiteral("--file FILE")}},
  };
  return table;
}

namespace {

struct Verdict {
  int exitCode;
  QString code;  // --json's "code": stable, for scripts to branch on
};

// The one place a run's end becomes an exit status: the run's code word (OutcomeCode), which
// the typed outcome and the link fault decide, never a message. `lineRefused`: the command line
// asked for something impossible and nothing was tried.
Verdict Judge(const OpResult& r, bool lineRefused = false) {
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

}  // namespace

void PrintOut(const QString& text) {
  const QByteArray b = (text + QLatin1Char('\n')).toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), stdout);
  std::fflush(stdout);
}

void PrintJson(const QJsonObject& o) { PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact))); }

QString Printable(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (const char32_t c : text.toUcs4()) {
    switch (QChar::category(c)) {
      case QChar::Other_Control:
      case QChar::Other_Format:  // bidirectional overrides too: they would reorder what follows
      case QChar::Other_Surrogate:
      case QChar::Other_PrivateUse:
      case QChar::Other_NotAssigned:
      case QChar::Separator_Line:
      case QChar::Separator_Paragraph:
        shown += c < 0x100 ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'))
                           : QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
        break;
      default:
        if (c == U'\\') shown += QLatin1Char('\\');  // so that an escape in the text cannot pass for one of ours
        shown += QString::fromUcs4(&c, 1);
    }
  }
  return shown;
}

void Session::WarnHistory(const FileProblem& problem) {
  std::fprintf(stderr, "quorvinctl: %s\n",
               qUtf8Printable(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the history could not be written: %1"))
                                  .arg(problem.path + QStringLiteral(": ") + FileProblemText(m_lang, problem))));
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

int Session::Version() {
  return OnUnit([](Channel& ch) { return ReadVersion(ch); });
}

int Session::FrequencyGet() {
  return OnUnit([this](Channel& ch) {
    const OpResult r = ReadFrequency(ch);
    if (r.Ok()) m_extra[QStringLiteral("frequency")] = r.frequency;
    // Printed as the window's field would show it.
    if (r.Ok() && !m_o.json) PrintOut(QString::number(r.frequency));
    return r;
  });
}

int Session::FrequencySet() {
  QString prompt;
  const auto hz = ParseFrequency(m_o.command.last(), m_lang, &prompt);
  if (!hz) {
    m_fb.Say(prompt);
    OpResult r;
    r.outcome = Outcome::InvalidInput;
    return Finish(r);
  }
  return OnUnit([this, hz](Channel& ch) {
    const OpResult r = SetFrequency(ch, *hz);
    if (r.Ok()) m_extra[QStringLiteral("frequency")] = r.frequency;
    return r;
  });
}

int Session::InitButtons() {
  return OnUnit([](Channel& ch) { return InitCallButtons(ch); });
}

int Session::Upgrade() {
  const QString file = *m_file;
  return OnUnit([file](Channel& ch) { return quorvin::Upgrade(ch, file); }, FileUse::Sent);
}

int Session::BackupDownload() {
  const QString file = *m_file;
  if (!m_o.verify) return OnUnit([file](Channel& ch) { return DownloadBackup(ch, file); }, FileUse::Sent);
  return OnUnit(
      [this, file](Channel& ch) {
        OpResult sent = DownloadBackup(ch, file);
        if (!sent.Ok()) return sent;
        // The file is read once more for the comparison: what the download sent is what it read
        // then, and a file changed in between is the technician's to know about, as a difference.
        QByteArray expected;
        if (ReadWholeFile(file, expected, kMaxUsbImage + kMaxSerialImage) != FileRead::Ok) {
          sent.outcome = Outcome::FileError;
          sent.fault = Fault::FileUnreadable;
          sent.detail = QStringLiteral("%1 could not be read again for the comparison").arg(file);
          return sent;
        }
        OpResult check = VerifyBackup(ch, expected);
        check.bytes = sent.bytes;
        QJsonObject v{{QStringLiteral("match"), check.Ok()},
                      {QStringLiteral("deviceBytes"), check.verifiedBytes},
                      {QStringLiteral("fileBytes"), expected.size()}};
        if (check.firstDifference >= 0) {
          v[QStringLiteral("firstDifference")] = check.firstDifference;
          v[QStringLiteral("differingBytes")] = check.differingBytes;
        }
        m_extra[QStringLiteral("verify")] = v;
        return check;
      },
      FileUse::Sent);
}

int Session::BackupRead() {
  const QString file = *m_file;
  return OnUnit([file](Channel& ch) { return ReadBackup(ch, file); }, FileUse::Written);
}

int Session::History() {
  QDateTime since;
  if (!m_o.since.isEmpty()) {
    since = QDateTime::fromString(m_o.since, Qt::ISODate);
    if (!since.isValid()) since = QDateTime(QDate::fromString(m_o.since, Qt::ISODate), QTime(0, 0), Qt::UTC);
    if (!since.isValid()) {
      OpResult r;
      r.outcome = Outcome::InvalidInput;
      r.detail = QStringLiteral("--since takes a date or time such as 2026-12-01 or 2026-12-01T08:00:00Z");
      m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Not a date: %1 (write it as 2026-12-01)")).arg(m_o.since));
      return Finish(r);
    }
  }
  int skipped = 0;
  FileProblem problem;
  const QVector<QJsonObject> entries = ReadHistory(HistoryPath(), &skipped, &problem);
  if (problem.Any()) {
    const QString why = FileProblemText(m_lang, problem);
    // There, but not readable: an empty listing would pass for a history with nothing in it.
    OpResult r;
    r.outcome = Outcome::FileError;
    r.fault = Fault::FileUnreadable;
    r.detail = QStringLiteral("%1: %2").arg(HistoryPath(), why);
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The history %1 cannot be read: %2")).arg(HistoryPath(), why));
    m_extra[QStringLiteral("path")] = HistoryPath();
    return Finish(r);
  }
  QJsonArray list;
  for (const QJsonObject& e : entries) {
    if (since.isValid() && QDateTime::fromString(e[QStringLiteral("time")].toString(), Qt::ISODateWithMs) < since)
      continue;
    list.append(e);
    if (!m_o.json) {
      QStringList cells;
      for (const char* key : {"time", "program", "operation", "link", "unit", "outcome", "fault", "version", "file"}) {
        const QString cell = Printable(e[QLatin1String(key)].toVariant().toString());
        if (!cell.isEmpty()) cells << cell;
      }
      cells << QStringLiteral("%1 ms").arg(e[QStringLiteral("ms")].toInteger());
      PrintOut(cells.join(QLatin1String("  ")));
    }
  }
  if (skipped > 0) std::fprintf(stderr, "quorvinctl: %d history lines are not JSON; skipped\n", skipped);
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("path")] = HistoryPath();
  m_extra[QStringLiteral("entries")] = list;
  return Finish(r);
}

int Session::Snapshot() {
  // The snapshot the policy takes before a change, with no change after it.
  OpResult nothing;
  nothing.outcome = Outcome::Success;
  const int status = OnUnit([nothing](Channel&) { return nothing; }, FileUse::None, /*snapshotFirst=*/true);
  if (status == kExitOk && m_extra.contains(QStringLiteral("snapshot")) && !m_o.json)
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshot taken: %1"))
                 .arg(m_extra[QStringLiteral("snapshot")].toString()));
  return status;
}

int Session::Snapshots() {
  QJsonArray list;
  for (const SnapshotInfo& s : ListSnapshots()) {
    const QString name = QFileInfo(s.folder).fileName();
    if (!m_o.json)
      PrintOut(QStringLiteral("%1  %2  %3  %4 Hz  %5 bytes")
                   .arg(name, s.unit.isEmpty() ? QStringLiteral("-") : s.unit, s.version)
                   .arg(s.frequency)
                   .arg(s.backupBytes));
    list.append(QJsonObject{{QStringLiteral("name"), name},
                            {QStringLiteral("folder"), s.folder},
                            {QStringLiteral("unit"), s.unit},
                            {QStringLiteral("version"), s.version},
                            {QStringLiteral("frequency"), s.frequency},
                            {QStringLiteral("backupBytes"), s.backupBytes}});
  }
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("snapshots")] = list;
  return Finish(r);
}

int Session::Restore() {
  SnapshotInfo info;
  QString why;
  if (!LoadSnapshot(m_o.command.last(), info, &why)) {
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "This snapshot cannot be restored: %1")).arg(why));
    OpResult r;
    r.outcome = Outcome::FileError;
    r.fault = Fault::Mismatch;
    r.detail = why;
    return Finish(r);
  }
  m_file = info.folder;
  return OnUnit([this, info](Channel& ch) {
    // Another unit's snapshot is put back only when asked to: it would overwrite this one's data.
    // The unit is told by its serial number and where it hangs, never by its device path, which
    // every unit plugged into the same socket gets.
    const AttachedRepeater& unit = m_claim->Unit();
    if (!m_o.force && !unit.identity.isEmpty() && !TakenFrom(info, unit)) {
      m_fb.Say(m_lang
                   .Text(QT_TRANSLATE_NOOP("quorvin",
                                           "This snapshot was taken from another unit (%1), not from this one (%2); "
                                           "add --force to restore it here anyway."))
                   .arg(SnapshotUnitText(info), unit.identity));
      OpResult r;
      r.outcome = Outcome::InvalidInput;
      r.detail = QStringLiteral("snapshot of %1, this unit is %2").arg(SnapshotUnitText(info), unit.identity);
      return r;
    }
    return RestoreSnapshot(ch, info);
  });
}

int Session::RecordReport() {
  TarArchive tar;
  QStringList parts;
  for (const QString& path : {LastRecordingPath(), HistoryPath()}) {
    QFile file(path);
    QString why;
    const RegularOpen opened = OpenRegularForReading(file, &why);
    if (opened == RegularOpen::Missing) continue;  // nothing recorded yet, or no history
    QByteArray data;
    if (opened == RegularOpen::Opened) data = file.readAll();
    if (opened == RegularOpen::NotRegular) why = NotRegularFileText(m_lang);
    if (opened == RegularOpen::Opened && file.error() != QFileDevice::NoError) why = file.errorString();
    if (opened != RegularOpen::Opened || file.error() != QFileDevice::NoError) {
      // The bundle is still worth sending without it; its contents say what it holds.
      std::fprintf(
          stderr, "quorvinctl: %s\n",
          qUtf8Printable(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 is left out of the bundle: %2")).arg(path, why)));
      continue;
    }
    tar.Add(QFileInfo(path).fileName(), data);
    parts << QFileInfo(path).fileName();
  }
  const QByteArray about = QStringLiteral("quorvinctl %1\n%2\n")
                               .arg(QStringLiteral(QUORVIN_VERSION), QSysInfo::prettyProductName())
                               .toUtf8();
  tar.Add(QStringLiteral("about.txt"), about);
  parts << QStringLiteral("about.txt");
  // Doctor's findings in English: they are for support to read.
  QStringList lines;
  for (const Finding& f : Diagnose(ProbeSystem(QStringLiteral("/"), kVendorId, kProductId), std::nullopt, Language()))
    lines << FindingLine(f, Language());
  tar.Add(QStringLiteral("doctor.txt"), (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
  parts << QStringLiteral("doctor.txt");
  const QByteArray bytes = tar.Finish();
  OutputFile out(*m_file);
  OpResult r;
  const OutputRefusal refusal = out.Open();
  if (refusal != OutputRefusal::None || !out.Write(bytes.constData(), bytes.size()) || !out.Commit()) {
    const QString why =
        refusal != OutputRefusal::None ? OutputRefusalText(m_lang, refusal, out.Reason()) : out.Reason();
    m_fb.Say(FileWriteMessage(m_lang, *m_file, why));
    r.outcome = Outcome::FileError;
    r.fault = Fault::FileWriteFailed;
    return Finish(r);
  }
  r.outcome = Outcome::Success;
  r.bytes = bytes.size();
  m_extra[QStringLiteral("contents")] = QJsonArray::fromStringList(parts);
  if (!m_o.json) PrintOut(parts.join(QLatin1Char(' ')));
  return Finish(r);
}

int Session::Ports() {
  QJsonArray list;
  for (const auto& p : AvailableSerialPorts()) {
    if (!m_o.json) PrintOut(p.name + QLatin1Char('\t') + p.location + QLatin1Char('\t') + p.description);
    list.append(QJsonObject{{QStringLiteral("name"), p.name},
                            {QStringLiteral("location"), p.location},
                            {QStringLiteral("description"), p.description}});
  }
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("ports")] = list;
  return Finish(r);
}

int Session::UdevRule() {
  if (!m_o.json) {
    std::fputs(kUdevRule, stdout);
    return kExitOk;
  }
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("rule")] = QString::fromUtf8(kUdevRule);
  return Finish(r);
}

int Session::Doctor() {
  std::optional<FileFacts> file;
  if (!m_o.checkFile.isNull()) file = LookAtFile(QFileInfo(m_o.checkFile).absoluteFilePath());
  const std::vector<Finding> findings = Diagnose(ProbeSystem(QStringLiteral("/"), kVendorId, kProductId), file, m_lang);
  if (!m_o.json)
    for (const Finding& f : findings) PrintOut(FindingLine(f, m_lang));
  OpResult r;
  r.outcome = AllWell(findings) ? Outcome::Success : Outcome::Failed;
  m_code = r.Ok() ? QStringLiteral("ok") : QStringLiteral("problems-found");
  m_extra[QStringLiteral("findings")] = FindingsJson(findings);
  return Finish(r);
}

int ReportUsageError(const CliOptions& refused) {
  const Verdict v = Judge(OpResult{}, /*lineRefused=*/true);
  if (!refused.json) {
    std::fprintf(stderr, "quorvinctl: %s\n\n%s", qPrintable(refused.error), qPrintable(UsageText()));
    return v.exitCode;
  }
  PrintJson({{QStringLiteral("operation"), refused.command.value(0)},
             {QStringLiteral("success"), false},
             {QStringLiteral("outcome"), QStringLiteral("usage-error")},
             {QStringLiteral("code"), v.code},
             {QStringLiteral("exitCode"), v.exitCode},
             {QStringLiteral("messages"), QJsonArray()},
             {QStringLiteral("result"), QJsonObject()},
             {QStringLiteral("detail"), refused.error},
             {QStringLiteral("error"), refused.error},
             {QStringLiteral("usage"), UsageText()}});
  return v.exitCode;
}

int ShowHelp(bool json) {
  OpResult shown;
  shown.outcome = Outcome::Success;
  const Verdict v = Judge(shown);
  if (!json) {
    std::fputs(qPrintable(UsageText()), stdout);
    return v.exitCode;
  }
  PrintJson({{QStringLiteral("operation"), QStringLiteral("help")},
             {QStringLiteral("success"), true},
             {QStringLiteral("outcome"), OutcomeName(shown.outcome)},
             {QStringLiteral("code"), v.code},
             {QStringLiteral("exitCode"), v.exitCode},
             {QStringLiteral("messages"), QJsonArray()},
             {QStringLiteral("result"), QJsonObject()},
             {QStringLiteral("usage"), UsageText()}});
  return v.exitCode;
}

int RunCommand(const CliOptions& options, const Language& lang, std::atomic<bool>& interrupted) {
  Session session(options, lang, interrupted);
  return session.Run();
}

}  // namespace quorvin::cli
