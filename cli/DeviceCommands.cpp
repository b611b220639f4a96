// Which USB repeater a command drives when several are attached, the lock that keeps a second
// process off it, and the `devices` listing.

#include <QJsonArray>
#include <cstdio>

#include "cli/Session.h"
#include "link/Backends.h"

namespace quorvin::cli {

namespace {

// The longest --wait-lock waits: longer than any upgrade takes, short enough that a forgotten
// holder does not stall a production line for good.
constexpr int kMaxLockWaitMs = 15 * 60 * 1000;
constexpr int kLockRetryMs = 50;

// `devices --probe` reads each repeater without a box per device: the values go into the list.
class QuietFeedback final : public Feedback {
 public:
  explicit QuietFeedback(Feedback& outer) : m_outer(outer) {}
  void MessageBox(const QString&, MsgIcon) override {}
  void ShowProgress() override {}
  void SetProgressText(const QString&) override {}
  void SetProgressRange(int) override {}
  void SetProgressPos(int pos) override { m_pos = pos; }
  int ProgressPos() override { return m_pos; }
  void CloseProgress() override {}
  bool CancelRequested() override { return m_outer.CancelRequested(); }

 private:
  Feedback& m_outer;
  int m_pos = 0;
};

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

std::optional<int> Session::ChooseDevice(HidBackend& backend, HidLink& link, DeviceLock& lock) {
  QString bad;
  const auto selector = Selector(bad);
  if (!bad.isEmpty()) {
    OpResult r;
    r.outcome = Outcome::NotStarted;
    r.detail = bad;
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The device selector is not understood: %1")).arg(bad));
    return Finish(r, /*lineRefused=*/true);
  }
  if (!backend.Started()) return std::nullopt;  // the link says so, as always
  const DeviceChoice choice = ChooseRepeater(backend.Enumerate(), selector);
  OpResult r;
  r.outcome = Outcome::NotStarted;
  switch (choice.result) {
    case DeviceChoice::Result::NoneAttached:
      return std::nullopt;  // the operation finds no device and says so in its own words
    case DeviceChoice::Result::NoMatch:
      r.linkFault = LinkFault::NotFound;
      r.detail = QStringLiteral("no attached repeater matches %1").arg(selector->value);
      m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "No attached repeater matches %1. Attached:"))
                   .arg(m_o.device.value_or(qEnvironmentVariable("QUORVIN_DEVICE"))));
      List(choice.attached);
      return Finish(r);
    case DeviceChoice::Result::Several:
      r.linkFault = LinkFault::Ambiguous;
      r.detail = QStringLiteral("%1 repeaters fit; none was chosen").arg(choice.candidates.size());
      m_fb.Say(selector ? m_lang
                              .Text(QT_TRANSLATE_NOOP("quorvin",
                                                      "Several repeaters fit %1: choose one by its location "
                                                      "with --device:"))
                              .arg(m_o.device.value_or(qEnvironmentVariable("QUORVIN_DEVICE")))
                        : m_lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                                        "Several repeaters are attached: choose one with --device "
                                                        "or QUORVIN_DEVICE:")));
      List(choice.candidates);
      return Finish(r);
    case DeviceChoice::Result::Chosen:
      break;
  }
  // Discovery links this repeater only, even when others come and go while the operation runs.
  const QString path = choice.chosen.info.path;
  const QString location = choice.chosen.info.location;
  link.SetFilter(
      [path, location](const HidDeviceInfo& info) { return info.path == path && info.location == location; });
  m_extra[QStringLiteral("device")] = choice.chosen.identity;
  return Lock(backend, choice.chosen, lock);
}

std::optional<int> Session::Lock(const HidBackend& backend, const AttachedRepeater& device, DeviceLock& lock) {
  if (!backend.SharedWithOtherProcesses()) return std::nullopt;
  const QString key = LockKey(backend.Name(), device.identity);
  const qint64 until = m_clock.NowMs() + kMaxLockWaitMs;
  bool told = false;
  for (;;) {
    qint64 holder = 0;
    QString detail;
    OpResult r;
    switch (lock.TryAcquire(key, holder, detail)) {
      case LockResult::Acquired:
        return std::nullopt;
      case LockResult::Failed:
        r.outcome = Outcome::FileError;
        r.detail = detail;
        m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The lock of the repeater %1 cannot be taken: %2"))
                     .arg(device.identity, detail));
        return Finish(r);
      case LockResult::Busy:
        break;
    }
    if (m_fb.CancelRequested()) {
      r.outcome = Outcome::Interrupted;
      return Finish(r);
    }
    if (!m_o.waitLock || m_clock.NowMs() >= until) {
      r.linkFault = LinkFault::Busy;
      r.detail = holder > 0 ? QStringLiteral("%1 is locked by process %2").arg(device.identity).arg(holder)
                            : QStringLiteral("%1 is locked by another process").arg(device.identity);
      const QString holderText = holder > 0 ? QString::number(holder) : QStringLiteral("?");
      m_fb.Say(m_lang
                   .Text(QT_TRANSLATE_NOOP("quorvin",
                                           "The repeater %1 is in use by another program (process %2). Try again "
                                           "once it has finished, or add --wait-lock."))
                   .arg(device.identity, holderText));
      return Finish(r);
    }
    if (!told && !m_o.json) {
      const QString line =
          m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Waiting for the repeater %1, in use by process %2 ..."))
              .arg(device.identity, holder > 0 ? QString::number(holder) : QStringLiteral("?"));
      std::fprintf(stderr, "%s\n", line.toUtf8().constData());
      told = true;
    }
    m_clock.SleepMs(kLockRetryMs);
  }
}

void Session::Probe(HidBackend& backend, const AttachedRepeater& device, QJsonObject& entry, QString& line) {
  DeviceLock lock;
  qint64 holder = 0;
  QString detail;
  if (lock.TryAcquire(LockKey(backend.Name(), device.identity), holder, detail) != LockResult::Acquired) {
    // Another process is driving it (or it cannot be locked): it is not disturbed.
    entry[QStringLiteral("busy")] = true;
    line += QStringLiteral("\tbusy\t-");
    return;
  }
  QuietFeedback quiet(m_fb);
  HidLink link(backend, quiet, m_clock);
  const QString path = device.info.path;
  link.SetFilter([path](const HidDeviceInfo& info) { return info.path == path; });
  UsbEnv env{link, quiet, m_clock, m_lang};
  const OpResult version = ReadVersionUsb(env);
  const OpResult frequency = version.Ok() ? ReadFrequencyUsb(env) : version;
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
    (void)probe.FindHidDevice();
    TellDiscoveryFault(probe, m_fb, m_lang);
    m_extra[QStringLiteral("devices")] = QJsonArray();
    return Finish(r);
  }
  const DeviceChoice all = ChooseRepeater(backend->Enumerate(), std::nullopt);
  const bool probe = m_o.what->words.contains(QLatin1String("--probe"));
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
    if (probe) Probe(*backend, d, entry, line);
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
