// The main window's view of the units and the link: what the device watcher sees goes into the
// list; the chosen unit's card is filled, its version and frequency read once as it arrives (a
// read-only look, off in the settings if a bench wants none); the status strip says what the
// buttons will work on.

#include <QDebug>
#include <QLabel>

#include "app/DeviceCard.h"
#include "app/LinkPanel.h"
#include "app/LogPane.h"
#include "app/MainWindow.h"
#include "app/OperationsPanel.h"
#include "app/QtFeedback.h"
#include "app/Settings.h"
#include "app/UnitList.h"
#include "front/FeedbackWrappers.h"
#include "ops/FaultTexts.h"
#include "ops/Operations.h"

namespace quorvin {

void MainWindow::ApplySight(const Sight& sight) {
  if (sight.ports) {
    // The port used last is chosen again once it is listed, whatever the list put first.
    const QString last = Settings::LastPort();
    {
      const QSignalBlocker quiet(m_link);
      m_link->SetPorts(*sight.ports);
      if (!last.isEmpty()) m_link->ChoosePort(last);
    }
    OnLinkChanged();
  }
  TellDiscovery(sight.fault);
  const QString chosenBefore = m_units->ChosenKey();
  const int presentBefore = m_units->PresentCount();
  const std::vector<AttachedRepeater> arrived = m_units->Update(sight.units);
  for (const AttachedRepeater& unit : arrived)
    m_log->Append(LogPane::Level::Info,
                  m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater attached: %1 (%2)"))
                      .arg(unit.identity, unit.info.location.isEmpty() ? unit.info.path : unit.info.location));
  if (m_units->PresentCount() < presentBefore + static_cast<int>(arrived.size()))
    m_log->Append(LogPane::Level::Info, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "A repeater was unplugged.")));
  for (const AttachedRepeater& unit : arrived) {
    // The unit chosen last time is chosen again when it comes back.
    if (unit.identity == Settings::LastUnit() && !m_units->ChosenPresent()) m_units->ChooseKey(UnitList::UnitKey(unit));
    QueueProbe(unit);
  }
  if (m_units->ChosenKey() != chosenBefore) OnChosenChanged();
  ShowChosen();
  ProbeNext();
}

void MainWindow::LookNow() {
  Sight sight;
  const bool started = m_backend.Started();
  const std::vector<HidDeviceInfo> interfaces = started ? m_backend.Enumerate() : std::vector<HidDeviceInfo>{};
  sight.fault = FaultOf(started, interfaces);
  sight.units = ChooseRepeater(interfaces, std::nullopt).attached;
  ApplySight(sight);
}

void MainWindow::TellDiscovery(DiscoveryFault fault) {
  // A fault that keeps units from being found is shown once, when it is news, never on every look.
  if (fault == m_toldFault) return;
  m_toldFault = fault;
  if (fault == DiscoveryFault::None) return;
  qInfo().noquote() << "discovery:" << DiscoveryFaultText(Language(), fault);
  m_log->Append(LogPane::Level::Fault, DiscoveryFaultText(m_lang, fault));
  QMetaObject::invokeMethod(
      this, [this, fault] { ShowBox(MsgIcon::Warning, DiscoveryFaultText(m_lang, fault), {}); }, Qt::QueuedConnection);
}

void MainWindow::OnChosenChanged() {
  if (const std::optional<AttachedRepeater> unit = m_units->Chosen()) Settings::SetLastUnit(unit->identity);
  const std::optional<UnitFacts> facts = m_units->Facts(m_units->ChosenKey());
  if (facts && facts->frequency)
    m_ops->ShowFrequency(*facts->frequency);
  else
    m_ops->ForgetFrequency();
  ShowChosen();
}

void MainWindow::OnLinkChanged() {
  Settings::SetLink(m_link->Serial(), m_link->Port(), m_link->Speed());
  m_ops->SetSerialLink(m_link->Serial());
  m_units->setEnabled(!m_busy && !m_link->Serial());
  ShowChosen();
}

void MainWindow::ShowChosen() {
  const std::optional<AttachedRepeater> unit = m_units->Chosen();
  if (unit)
    m_card->Show(*unit, m_units->Facts(m_units->ChosenKey()).value_or(UnitFacts{}), m_units->ChosenPresent());
  else
    m_card->ShowNone(m_units->PresentCount());
  UpdateStatus();
}

void MainWindow::UpdateStatus() {
  const Language& l = m_lang;
  QString text;
  if (m_link->Serial()) {
    text =
        m_link->Port().isEmpty()
            ? l.Text(QT_TRANSLATE_NOOP("quorvin", "Serial link: no serial port on this computer"))
            : l.Text(QT_TRANSLATE_NOOP("quorvin", "Serial link: %1 at %2 bit/s")).arg(m_link->Port(), m_link->Speed());
  } else if (m_units->PresentCount() == 0) {
    text = l.Text(QT_TRANSLATE_NOOP("quorvin", "No repeater attached"));
  } else if (!m_units->ChosenPresent()) {
    text = l.Text(QT_TRANSLATE_NOOP("quorvin", "%1 repeaters attached: choose one in the list"))
               .arg(m_units->PresentCount());
  } else {
    const std::optional<UnitFacts> facts = m_units->Facts(m_units->ChosenKey());
    text = facts && !facts->version.isEmpty()
               ? l.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater: %1, version %2")).arg(ChosenName(), facts->version)
               : l.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater: %1")).arg(ChosenName());
  }
  m_status->setText(text);
  m_status->setToolTip(text);
}

void MainWindow::QueueProbe(const AttachedRepeater& unit) {
  for (const AttachedRepeater& queued : m_probes)
    if (UnitList::UnitKey(queued) == UnitList::UnitKey(unit)) return;
  m_probes.push_back(unit);
}

void MainWindow::ProbeNext() {
  if (m_probes.empty() || m_runner.IsBusy() || m_busy) return;
  if (!Settings::ProbeOnConnect()) {
    m_probes.clear();
    return;
  }
  const AttachedRepeater unit = m_probes.front();
  m_probes.pop_front();
  m_probing = true;
  m_cancel = false;
  const bool started = m_runner.Start([this, unit] {
    // A look, not an operation: nothing shown, nothing written down, and a unit another program
    // drives is left alone (its lock is taken like any run's).
    SilentFeedback quiet(*m_feedback);
    UnitClaim claim(&m_backend, nullptr, quiet, m_clock, m_lang);
    Target target;
    target.device = unit.info.location.isEmpty() ? DeviceSelector{DeviceSelector::Kind::Path, unit.info.path}
                                                 : DeviceSelector{DeviceSelector::Kind::Location, unit.info.location};
    const UnitLook look = LookAtUnit(claim, target);
    QMetaObject::invokeMethod(
        this,
        [this, key = UnitList::UnitKey(unit), look] { FinishProbe(key, look.report, look.version, look.frequency); },
        Qt::QueuedConnection);
  });
  if (!started) m_probing = false;
}

void MainWindow::FinishProbe(const QString& key, const RunReport& report, const OpResult& version,
                             const OpResult& frequency) {
  m_probing = false;
  UnitFacts facts = m_units->Facts(key).value_or(UnitFacts{});
  if (version.Ok()) facts.version = version.version;
  if (frequency.Ok()) facts.frequency = frequency.frequency;
  if (report.claim == ClaimEnd::Busy)
    facts.state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "in use by another program (process %1)"))
                      .arg(report.holderPid > 0 ? QString::number(report.holderPid) : QStringLiteral("?"));
  else if (report.discovery == DiscoveryFault::AccessDenied)
    facts.state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "no permission to open it"));
  else if (!version.Ok())
    facts.state = version.fault == Fault::NoReply || version.fault == Fault::NotSent
                      ? m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "does not answer"))
                      : m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "answers, but not as a repeater should"));
  else
    facts.state.clear();
  m_units->SetFacts(key, facts);
  if (key == m_units->ChosenKey() && frequency.Ok()) m_ops->ShowFrequency(frequency.frequency);
  ShowChosen();
}

}  // namespace quorvin
