// The commands that drive one repeater, or the serial port, through the run policy (Session::OnUnit):
// version, frequency, init-buttons, upgrade, backup download and read.

#include <QJsonObject>

#include "cli/Output.h"
#include "cli/Session.h"
#include "front/FrequencyInput.h"
#include "protocol/Protocol.h"

namespace quorvin::cli {

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
        qint64 fileBytes = -1;
        OpResult check = DownloadAndVerify(ch, file, &fileBytes);
        if (fileBytes < 0) return check;
        QJsonObject v{{QStringLiteral("match"), check.Ok()},
                      {QStringLiteral("deviceBytes"), check.verifiedBytes},
                      {QStringLiteral("fileBytes"), fileBytes}};
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

}  // namespace quorvin::cli
