// The commands about this machine, which drive no repeater: its serial ports, the udev rule it needs,
// and doctor's findings on why a repeater or port cannot be used.

#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/UdevRule.h"
#include "front/Doctor.h"
#include "host/SystemProbe.h"
#include "link/HidLink.h"
#include "link/SerialPortList.h"

namespace quorvin::cli {

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
  const std::vector<Finding> findings = Diagnose(GatherFacts(QStringLiteral("/")), file, m_lang);
  if (!m_o.json)
    for (const Finding& f : findings) PrintOut(FindingLine(f, m_lang));
  OpResult r;
  r.outcome = AllWell(findings) ? Outcome::Success : Outcome::Failed;
  m_code = r.Ok() ? QStringLiteral("ok") : QStringLiteral("problems-found");
  m_extra[QStringLiteral("findings")] = FindingsJson(findings);
  return Finish(r);
}

}  // namespace quorvin::cli
