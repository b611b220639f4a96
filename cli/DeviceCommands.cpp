// Which repeater a command drives, what the run policy refused on the way (several attached and
// none chosen, one another program drives), and the `devices` listing.

#include <QJsonArray>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/Grammar.h"
#include "cli/Session.h"
#include "front/FeedbackWrappers.h"
#include "host/OutputFile.h"
#include "link/Backends.h"
#include "ops/FaultTexts.h"

namespace quorvin::cli {

namespace {

QString OrDash(const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; }

}  // namespace

std::optional<DeviceSelector> Session::Selector(QString& bad) {
  const QString text = m_o.device ? *m_o.device : qEnvironmentVariable("QUORVIN_DEVICE");
  if (!m_o.device && text.isEmpty()) return std::nullopt;
  QString why;
  auto selector = ParseSelector(text, &why);
  if (!selector) bad = why;
  return selector;
}

void Session::List(const std::vector<AttachedRepeater>& repeaters) {
  QJsonArray list;
  for (const auto& d : repeaters) {
    const QString ids = QStringLiteral("%1:%2")
                            .arg(d.info.vendorId, 4, 16, QLatin1Char('0'))
                            .arg(d.info.productId, 4, 16, QLatin1Char('0'));
    if (!m_o.json)
      PrintOut(
          QStringList{d.identity, OrDash(d.info.location), OrDash(d.info.serial), d.info.path}.join(QLatin1Char('\t')));
    list.append(QJsonObject{{QStringLiteral("identity"), d.identity},
                            {QStringLiteral("location"), d.info.location},
                            {QStringLiteral("serial"), d.info.serial},
                            {QStringLiteral("path"), d.info.path},
                            {QStringLiteral("ids"), ids},
                            {QStringLiteral("duplicateSerial"), d.duplicateSerial}});
  }
  m_extra[QStringLiteral("devices")] = list;
}

QString Session::SelectorText() const { return m_o.device.value_or(qEnvironmentVariable("QUORVIN_DEVICE")); }

std::optional<Target> Session::ChooseTarget(int& refused) {
  Target target;
  if (!m_o.port.isEmpty()) {
    // A snapshot reads the frequency, which only the USB link carries.
    if (m_o.snapshot) {
      refused = UsbOnly();
      return std::nullopt;
    }
    target.link = LinkKind::Serial;
    target.serial = {m_o.port, m_o.baud};
    return target;
  }
  QString bad;
  target.device = Selector(bad);
  if (!bad.isEmpty()) {
    OpResult r;
    r.outcome = Outcome::NotStarted;
    r.detail = bad;
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The device selector is not understood: %1")).arg(bad));
    refused = Finish(r, /*lineRefused=*/true);
    return std::nullopt;
  }
  return target;
}

void Session::Tell(const RunReport& report) {
  const QString holder = report.holderPid > 0 ? QString::number(report.holderPid) : QStringLiteral("?");
  switch (report.stop) {
    case RunStop::None:
    case RunStop::Snapshot:  // the snapshot's own boxes said why
      break;
    case RunStop::Recording:
      m_fb.Say(FileWriteMessage(m_lang, report.recording.path, FileProblemText(m_lang, report.recording)));
      break;
    case RunStop::Claim:
      switch (report.claim) {
        case ClaimEnd::Claimed:
        case ClaimEnd::NoneAttached:
        case ClaimEnd::Interrupted:
          break;
        case ClaimEnd::NoMatch:
          m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "No attached repeater matches %1. Attached:"))
                       .arg(SelectorText()));
          List(report.listed);
          break;
        case ClaimEnd::Several:
          m_fb.Say(m_o.device || !qEnvironmentVariable("QUORVIN_DEVICE").isEmpty()
                       ? m_lang
                             .Text(QT_TRANSLATE_NOOP("quorvin",
                                                     "Several repeaters fit %1: choose one by its location "
                                                     "with --device:"))
                             .arg(SelectorText())
                       : m_lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                                       "Several repeaters are attached: choose one with --device "
                                                       "or QUORVIN_DEVICE:")));
          List(report.listed);
          break;
        case ClaimEnd::Busy:
          m_fb.Say(m_lang
                       .Text(QT_TRANSLATE_NOOP("quorvin",
                                               "The repeater %1 is in use by another program (process %2). Try again "
                                               "once it has finished, or add --wait-lock."))
                       .arg(report.device.identity, holder));
          break;
        case ClaimEnd::LockFailed:
          m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The lock of the repeater %1 cannot be taken: %2"))
                       .arg(report.device.identity, report.result.detail));
          break;
      }
      break;
  }
  // Problems that leave the run's outcome standing: one warning each.
  if (report.stop != RunStop::Recording && report.recording.Any())
    std::fprintf(
        stderr, "quorvinctl: %s\n",
        qUtf8Printable(FileWriteMessage(m_lang, report.recording.path, FileProblemText(m_lang, report.recording))));
  if (report.history.Any()) WarnHistory(report.history);
}

void Session::Probe(HidBackend& backend, const AttachedRepeater& device, QJsonObject& entry, QString& line) {
  // Read without a box per device: the values go into the list. A unit another program drives is
  // not disturbed.
  SilentFeedback quiet(m_fb);
  UnitClaim claim(&backend, nullptr, quiet, m_clock, m_lang);
  Target target;
  target.device = DeviceSelector{DeviceSelector::Kind::Path, device.info.path};
  const UnitLook look = LookAtUnit(claim, target);
  const RunReport& report = look.report;
  const OpResult& version = look.version;
  const OpResult& frequency = look.frequency;
  if (report.stop == RunStop::Claim) {
    entry[QStringLiteral("busy")] = report.claim == ClaimEnd::Busy;
    if (report.claim != ClaimEnd::Busy) entry[QStringLiteral("probeDetail")] = report.result.detail;
    line += report.claim == ClaimEnd::Busy ? QStringLiteral("\tbusy\t-") : QStringLiteral("\t?\t?");
    return;
  }
  if (version.Ok()) entry[QStringLiteral("version")] = version.version;
  if (frequency.Ok()) entry[QStringLiteral("frequency")] = frequency.frequency;
  if (!frequency.Ok()) entry[QStringLiteral("probeDetail")] = frequency.detail;
  line += QLatin1Char('\t') + (version.Ok() ? version.version : QStringLiteral("?")) + QLatin1Char('\t') +
          (frequency.Ok() ? QString::number(frequency.frequency) : QStringLiteral("?"));
}

int Session::Devices() {
  QString why;
  auto backend = MakeDefaultBackend(&why);
  if (!backend) return RefuseSocketVariable(why);
  OpResult r;
  r.outcome = Outcome::Success;
  if (!backend->Started()) {
    r.outcome = Outcome::Failed;
    r.linkFault = LinkFault::HidUnavailable;
    HidLink probe(*backend, m_fb, m_clock);
    (void)probe.FindHidDevice();  // only to learn its fault, told in the link's own words
    TellDiscoveryFault(probe, m_fb, m_lang);
    m_extra[QStringLiteral("devices")] = QJsonArray();
    return Finish(r);
  }
  const DeviceChoice all = ChooseRepeater(backend->Enumerate(), std::nullopt);
  QJsonArray list;
  QStringList shared;
  for (const auto& d : all.attached) {
    QString line =
        QStringList{d.identity, OrDash(d.info.location), OrDash(d.info.serial), d.info.path}.join(QLatin1Char('\t'));
    QJsonObject entry{{QStringLiteral("identity"), d.identity},
                      {QStringLiteral("location"), d.info.location},
                      {QStringLiteral("serial"), d.info.serial},
                      {QStringLiteral("path"), d.info.path},
                      {QStringLiteral("ids"), QStringLiteral("%1:%2")
                                                  .arg(d.info.vendorId, 4, 16, QLatin1Char('0'))
                                                  .arg(d.info.productId, 4, 16, QLatin1Char('0'))},
                      {QStringLiteral("duplicateSerial"), d.duplicateSerial}};
    if (m_o.probe) Probe(*backend, d, entry, line);
    if (m_fb.CancelRequested()) {
      r.outcome = Outcome::Interrupted;
      break;
    }
    if (!m_o.json) PrintOut(line);
    if (d.duplicateSerial && !shared.contains(d.info.serial)) shared << d.info.serial;
    list.append(entry);
  }
  // Told after the list, so a script reading the list line by line is not thrown.
  for (const QString& serial : shared)
    m_fb.Say(m_lang
                 .Text(QT_TRANSLATE_NOOP("quorvin",
                                         "Warning: several repeaters report the serial number %1; they are named "
                                         "by their port instead."))
                 .arg(serial));
  if (all.attached.empty()) {
    r.outcome = Outcome::Failed;
    r.linkFault = LinkFault::NotFound;
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "No device connected to PC !")));
  }
  m_extra[QStringLiteral("devices")] = list;
  return Finish(r);
}

}  // namespace quorvin::cli
