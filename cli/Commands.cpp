#include "cli/Commands.h"

#include "cli/TerminalFeedback.h"
#include "cli/UdevRule.h"
#include "link/Backends.h"
#include "link/SerialPort.h"
#include "ops/FrequencyInput.h"
#include "ops/SerialOps.h"
#include "ops/UsbOps.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>
#include <unistd.h>

namespace quorvin::cli {

namespace {

QString OutcomeName(Outcome o) {
  switch (o) {
    case Outcome::Success: return QStringLiteral("success");
    case Outcome::Failed: return QStringLiteral("failed");
    case Outcome::QuietEnd: return QStringLiteral("quiet-end");
    case Outcome::FileError: return QStringLiteral("file-error");
    case Outcome::InvalidInput: return QStringLiteral("invalid-input");
    case Outcome::NotStarted: return QStringLiteral("not-started");
    case Outcome::Interrupted: return QStringLiteral("interrupted");
  }
  return {};
}

void PrintOut(const QString& text) {
  const QByteArray b = (text + QLatin1Char('\n')).toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), stdout);
  std::fflush(stdout);
}

class Session {
 public:
  Session(const CliOptions& o, bool english, std::atomic<bool>& interrupted)
      : m_o(o),
        m_english(english),
        m_fb({!o.json, o.verbose, isatty(STDERR_FILENO) == 1}, interrupted, m_clock),
        m_start(m_clock.NowMs()) {}

  int Run();

 private:
  int Usb(const std::function<OpResult(UsbEnv&)>& op);
  int Serial(const std::function<OpResult(SerialEnv&, const SerialChoice&)>& op);
  int UsbExit(const OpResult& r, const HidLink& link) const;
  int SerialExit(const OpResult& r) const;
  int Finish(int code, const OpResult& r);
  int Devices();
  int Ports();
  int UsbOnly();
  int UdevRule();
  int RefuseFileName();

  const CliOptions& m_o;
  bool m_english;
  RealClock m_clock;
  TerminalFeedback m_fb;
  qint64 m_start;
  QString m_file;
  bool m_fileCommand = false;  // the command takes a FILE: --json reports it, even when empty
  QJsonObject m_extra;
};

// The exit status an outcome gives whatever the link; failures are told apart by the caller.
int OutcomeExit(const OpResult& r) {
  switch (r.outcome) {
    case Outcome::Success: return kExitOk;
    case Outcome::FileError: return kExitFile;
    case Outcome::InvalidInput: return kExitUsage;
    case Outcome::Interrupted: return kExitInterrupted;
    case Outcome::QuietEnd: return kExitQuiet;
    case Outcome::NotStarted: return kExitNoDevice;
    case Outcome::Failed: return kExitFailed;
  }
  return kExitFailed;
}

// The exit status of a link that could not be used, told by the operation; 0 when it told none.
int LinkFaultExit(const OpResult& r) {
  if (r.outcome != Outcome::Failed && r.outcome != Outcome::NotStarted) return 0;
  switch (r.linkFault) {
    case LinkFault::None: return 0;
    case LinkFault::NotFound: return kExitNoDevice;
    case LinkFault::PermissionDenied: return kExitPermission;
    case LinkFault::Busy: return kExitBusy;
  }
  return 0;
}

int Session::UsbExit(const OpResult& r, const HidLink& link) const {
  if (r.outcome != Outcome::Failed && r.outcome != Outcome::NotStarted) return OutcomeExit(r);
  if (const int code = LinkFaultExit(r)) return code;
  if (link.LastFault() == DiscoveryFault::AccessDenied) return kExitPermission;
  if (!link.LinkUp() && !link.SawMatchingDevice()) return kExitNoDevice;
  return kExitFailed;
}

int Session::SerialExit(const OpResult& r) const {
  if (const int code = LinkFaultExit(r)) return code;
  return OutcomeExit(r);
}

int Session::Finish(int code, const OpResult& r) {
  if (!m_o.json) return code;
  QJsonObject result;
  if (!r.version.isNull()) result[QStringLiteral("version")] = r.version;
  if (m_o.command[0] == QLatin1String("frequency") && r.Ok()) result[QStringLiteral("frequency")] = r.frequency;
  if (r.bytes > 0 || m_fileCommand) result[QStringLiteral("bytes")] = r.bytes;
  if (m_fileCommand) result[QStringLiteral("file")] = m_file;
  for (auto it = m_extra.begin(); it != m_extra.end(); ++it) result[it.key()] = it.value();
  QJsonObject o{{QStringLiteral("operation"), m_o.command.join(QLatin1Char(' ')).section(QLatin1Char(' '), 0,
                                                  m_o.command[0] == QLatin1String("frequency") ||
                                                          m_o.command[0] == QLatin1String("backup")
                                                      ? 1
                                                      : 0)},
                {QStringLiteral("success"), code == kExitOk},
                {QStringLiteral("outcome"), OutcomeName(r.outcome)},
                {QStringLiteral("exitCode"), code},
                {QStringLiteral("messages"), QJsonArray::fromStringList(m_fb.Messages())},
                {QStringLiteral("result"), result},
                {QStringLiteral("durationMs"), m_clock.NowMs() - m_start}};
  // Listing the ports or printing the rule uses no link at all.
  if (m_o.command[0] != QLatin1String("ports") && m_o.command[0] != QLatin1String("udev-rule"))
    o[QStringLiteral("link")] = m_o.port.isEmpty() ? QStringLiteral("usb") : QStringLiteral("serial");
  if (!r.detail.isEmpty()) o[QStringLiteral("detail")] = r.detail;
  if (!m_o.port.isEmpty()) o[QStringLiteral("port")] = m_o.port;
  PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
  return code;
}

int Session::Usb(const std::function<OpResult(UsbEnv&)>& op) {
  auto backend = MakeDefaultBackend();
  HidLink link(*backend, m_fb, m_clock);
  link.SetEnglish(m_english);
  UsbEnv env{link, m_fb, m_clock, m_english};
  const OpResult r = op(env);
  return Finish(UsbExit(r, link), r);
}

int Session::Serial(const std::function<OpResult(SerialEnv&, const SerialChoice&)>& op) {
  CSerialPort port;
  SerialEnv env{port, m_fb, m_clock, m_english};
  const OpResult r = op(env, SerialChoice{m_o.port, m_o.baud});
  port.Close();
  return Finish(SerialExit(r), r);
}

int Session::UsbOnly() {
  OpResult r;
  r.outcome = Outcome::NotStarted;
  r.detail = QStringLiteral("works over USB only");
  m_fb.Say(Tr(m_english, "此操作只能通过USB进行，请去掉 --port 选项。",
              "This operation works over USB only: leave out --port."));
  return Finish(kExitUsage, r);
}

int Session::UdevRule() {
  if (!m_o.json) {
    std::fputs(kUdevRule, stdout);
    return kExitOk;
  }
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("rule")] = QString::fromUtf8(kUdevRule);
  return Finish(kExitOk, r);
}

int Session::RefuseFileName() {
  OpResult r;
  r.outcome = Outcome::InvalidInput;
  r.detail = QStringLiteral("the file name is not valid UTF-8");
  m_fb.Say(Tr(m_english, "文件名 %1 不是有效的 UTF-8 编码，请重命名该文件。",
              "The file name %1 is not valid UTF-8: rename the file and try again.")
               .arg(m_o.command.last()));
  return Finish(kExitUsage, r);
}

int Session::Devices() {
  auto backend = MakeDefaultBackend();
  QJsonArray list;
  for (const auto& d : backend->Enumerate()) {
    if (d.vendorId != kVendorId || d.productId != kProductId) continue;
    const QString ids = QStringLiteral("%1:%2").arg(d.vendorId, 4, 16, QLatin1Char('0')).arg(d.productId, 4, 16, QLatin1Char('0'));
    if (!m_o.json) PrintOut(d.path + QLatin1Char(' ') + ids);
    list.append(QJsonObject{{QStringLiteral("path"), d.path}, {QStringLiteral("ids"), ids}});
  }
  OpResult r;
  r.outcome = list.isEmpty() ? Outcome::Failed : Outcome::Success;
  if (list.isEmpty()) m_fb.Say(Tr(m_english, "没有设备连接到电脑上！", "No device connected to PC !"));
  m_extra[QStringLiteral("devices")] = list;
  return Finish(list.isEmpty() ? kExitNoDevice : kExitOk, r);
}

int Session::Ports() {
  QJsonArray list;
  for (const auto& p : QSerialPortInfo::availablePorts()) {
    if (!m_o.json) PrintOut(p.portName() + QLatin1Char('\t') + p.systemLocation() + QLatin1Char('\t') + p.description());
    list.append(QJsonObject{{QStringLiteral("name"), p.portName()},
                            {QStringLiteral("location"), p.systemLocation()},
                            {QStringLiteral("description"), p.description()}});
  }
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("ports")] = list;
  return Finish(kExitOk, r);
}

int Session::Run() {
  const QStringList& c = m_o.command;
  const QString& what = c[0];
  const bool serial = !m_o.port.isEmpty();
  if (what == QLatin1String("udev-rule")) return UdevRule();
  if (what == QLatin1String("devices")) return Devices();
  if (what == QLatin1String("ports")) return Ports();
  if (what == QLatin1String("version")) {
    if (serial) return Serial([](SerialEnv& e, const SerialChoice& ch) { return ReadVersionSerial(e, ch); });
    return Usb([](UsbEnv& e) { return ReadVersionUsb(e); });
  }
  if (what == QLatin1String("frequency") || what == QLatin1String("init-buttons")) {
    if (serial) return UsbOnly();
    if (what == QLatin1String("init-buttons")) return Usb([](UsbEnv& e) { return InitCallButtonsUsb(e); });
    if (c[1] == QLatin1String("get")) {
      return Usb([this](UsbEnv& e) {
        OpResult r = ReadFrequencyUsb(e);
        // Printed as the window's field would show it.
        if (r.Ok() && !m_o.json) PrintOut(QString::number(r.frequency));
        return r;
      });
    }
    QString prompt;
    const auto hz = ParseFrequency(c[2], m_english, &prompt);
    if (!hz) {
      m_fb.Say(prompt);
      OpResult r;
      r.outcome = Outcome::InvalidInput;
      return Finish(kExitUsage, r);
    }
    return Usb([hz](UsbEnv& e) { return SetFrequencyUsb(e, *hz); });
  }
  // Qt decodes the arguments as UTF-8; a name that is not would be turned into another name, and
  // a read-back would then write a file the user never named.
  if (QFile::encodeName(QFile::decodeName(m_o.fileArgBytes)) != m_o.fileArgBytes) return RefuseFileName();
  m_fileCommand = true;
  // An empty name stays empty (the operation refuses it) rather than becoming the current folder.
  m_file = c.last().isEmpty() ? QString() : QFileInfo(c.last()).absoluteFilePath();
  const QString file = m_file;
  if (what == QLatin1String("upgrade")) {
    if (serial) return Serial([file](SerialEnv& e, const SerialChoice& ch) { return FirmwareUpgradeSerial(e, ch, file); });
    return Usb([file](UsbEnv& e) { return FirmwareUpgradeUsb(e, file); });
  }
  if (c[1] == QLatin1String("download")) {
    if (serial) return Serial([file](SerialEnv& e, const SerialChoice& ch) { return BackupDownloadSerial(e, ch, file); });
    return Usb([file](UsbEnv& e) { return BackupDownloadUsb(e, file); });
  }
  if (serial) return Serial([file](SerialEnv& e, const SerialChoice& ch) { return BackupReadBackSerial(e, ch, file); });
  return Usb([file](UsbEnv& e) { return BackupReadBackUsb(e, file); });
}

}  // namespace

int ReportUsageError(const QStringList& args, const QString& error) {
  const GlobalOptionScan scan = ScanGlobalOptions(args);
  if (!scan.json) {
    std::fprintf(stderr, "quorvinctl: %s\n\n%s", qPrintable(error), qPrintable(UsageText()));
    return kExitUsage;
  }
  const QJsonObject o{{QStringLiteral("operation"), scan.command},
                      {QStringLiteral("success"), false},
                      {QStringLiteral("outcome"), QStringLiteral("usage-error")},
                      {QStringLiteral("exitCode"), kExitUsage},
                      {QStringLiteral("messages"), QJsonArray()},
                      {QStringLiteral("result"), QJsonObject()},
                      {QStringLiteral("detail"), error},
                      {QStringLiteral("error"), error},
                      {QStringLiteral("usage"), UsageText()}};
  PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
  return kExitUsage;
}

int ShowHelp(bool json) {
  if (!json) {
    std::fputs(qPrintable(UsageText()), stdout);
    return kExitOk;
  }
  const QJsonObject o{{QStringLiteral("operation"), QStringLiteral("help")},
                      {QStringLiteral("success"), true},
                      {QStringLiteral("outcome"), OutcomeName(Outcome::Success)},
                      {QStringLiteral("exitCode"), kExitOk},
                      {QStringLiteral("messages"), QJsonArray()},
                      {QStringLiteral("result"), QJsonObject()},
                      {QStringLiteral("usage"), UsageText()}};
  PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
  return kExitOk;
}

int RunCommand(const CliOptions& options, bool english, std::atomic<bool>& interrupted) {
  Session session(options, english, interrupted);
  return session.Run();
}

}  // namespace quorvin::cli
