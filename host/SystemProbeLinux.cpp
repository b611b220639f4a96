#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "host/PortHolder.h"
#include "host/SystemProbe.h"

namespace quorvin {

namespace {

// udev reads a rule file by its name from the first of these folders that has it; all names then
// run in one sorted order, whatever folder they came from.
constexpr const char* kRuleFolders[] = {"etc/udev/rules.d", "run/udev/rules.d", "usr/lib/udev/rules.d",
                                        "lib/udev/rules.d"};

// Processes that open new USB-serial adapters on their own: ModemManager probes them for a modem,
// brltty claims some adapter chips as braille displays.
constexpr const char* kGrabbers[] = {"ModemManager", "brltty"};

QString Under(const QString& root, const QString& path) { return QDir::cleanPath(root + QLatin1Char('/') + path); }

QByteArray ReadSmall(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.read(64 * 1024);
}

OpenTry TryOpen(const QString& node, int flags) {
  OpenTry t;
  const int fd = ::open(QFile::encodeName(node).constData(), flags | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    ::close(fd);
    return t;
  }
  t.error = errno;
  t.errorText = QString::fromLocal8Bit(std::strerror(t.error));
  return t;
}

// "HID_ID=0003:00000483:00001234" in a hidraw node's device uevent.
bool HidIdsMatch(const QByteArray& uevent, std::uint16_t vid, std::uint16_t pid) {
  for (const QByteArray& line : uevent.split('\n')) {
    if (!line.startsWith("HID_ID=")) continue;
    const QList<QByteArray> parts = line.mid(7).split(':');
    if (parts.size() != 3) return false;
    bool okV = false;
    bool okP = false;
    return parts[1].toUInt(&okV, 16) == vid && okV && parts[2].toUInt(&okP, 16) == pid && okP;
  }
  return false;
}

std::vector<HidrawNode> FindHidraw(const QString& root, std::uint16_t vid, std::uint16_t pid) {
  std::vector<HidrawNode> found;
  const QDir dir(Under(root, QStringLiteral("sys/class/hidraw")));
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    if (!HidIdsMatch(ReadSmall(dir.filePath(name + QStringLiteral("/device/uevent"))), vid, pid)) continue;
    HidrawNode n;
    n.node = Under(root, QStringLiteral("dev/") + name);
    n.open = TryOpen(n.node, O_RDWR);
    found.push_back(n);
  }
  return found;
}

int CountUsb(const QString& root, std::uint16_t vid, std::uint16_t pid) {
  int count = 0;
  const QDir dir(Under(root, QStringLiteral("sys/bus/usb/devices")));
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool okV = false;
    bool okP = false;
    const uint v = ReadSmall(dir.filePath(name + QStringLiteral("/idVendor"))).trimmed().toUInt(&okV, 16);
    const uint p = ReadSmall(dir.filePath(name + QStringLiteral("/idProduct"))).trimmed().toUInt(&okP, 16);
    if (okV && okP && v == vid && p == pid) ++count;
  }
  return count;
}

// A rule line for the device: it matches on both ids (ATTR or ATTRS, any case of the hex digits).
void JudgeRuleFile(UdevRuleFile& rule, std::uint16_t vid, std::uint16_t pid) {
  const QString v = QStringLiteral("%1").arg(vid, 4, 16, QLatin1Char('0'));
  const QString p = QStringLiteral("%1").arg(pid, 4, 16, QLatin1Char('0'));
  const QRegularExpression vendor(QStringLiteral("idVendor\"?\\}?\\s*==\\s*\"%1\"").arg(v),
                                  QRegularExpression::CaseInsensitiveOption);
  const QRegularExpression product(QStringLiteral("idProduct\"?\\}?\\s*==\\s*\"%1\"").arg(p),
                                   QRegularExpression::CaseInsensitiveOption);
  for (const QByteArray& raw : ReadSmall(rule.path).split('\n')) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.startsWith(QLatin1Char('#')) || !line.contains(vendor) || !line.contains(product)) continue;
    rule.names = true;
    if (line.contains(QRegularExpression(QStringLiteral("TAG\\s*\\+=\\s*\"uaccess\"")))) rule.uaccess = true;
  }
}

void FindRules(const QString& root, std::uint16_t vid, std::uint16_t pid, SystemFacts& facts) {
  std::map<QString, QString> byName;  // sorted as udev runs them
  for (const char* folder : kRuleFolders) {
    const QDir dir(Under(root, QString::fromLatin1(folder)));
    for (const QString& name : dir.entryList({QStringLiteral("*.rules")}, QDir::Files | QDir::System))
      byName.try_emplace(name, dir.filePath(name));
  }
  for (const auto& [name, path] : byName) {
    if (name == QLatin1String(kSeatLateRules)) facts.uaccessRule = path;
    UdevRuleFile rule{name, path};
    JudgeRuleFile(rule, vid, pid);
    if (rule.names) facts.rules.push_back(rule);
  }
}

QString UserName() {
  const passwd* pw = ::getpwuid(::geteuid());
  return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

void JudgeGroup(SerialNode& s) {
  struct stat st {};
  if (::stat(QFile::encodeName(s.node).constData(), &st) != 0) return;
  const gid_t gid = st.st_gid;
  const group* gr = ::getgrgid(gid);
  s.group = gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(gid);
  s.inGroup = ::getegid() == gid;
  const int n = ::getgroups(0, nullptr);
  if (n > 0) {
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    const int got = ::getgroups(n, groups.data());
    if (got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got) s.inGroup = true;
  }
  s.groupListed = s.inGroup;
  const QString user = UserName();
  if (gr && !user.isEmpty())
    for (char** m = gr->gr_mem; m && *m; ++m)
      if (QString::fromLocal8Bit(*m) == user) s.groupListed = true;
}

std::vector<SerialNode> FindSerial(const QString& root) {
  std::vector<SerialNode> found;
  const QDir dir(Under(root, QStringLiteral("sys/class/tty")));
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    // Only ports with hardware behind them; the 8250 driver lists UARTs a PC does not have.
    if (!QFileInfo::exists(dir.filePath(name + QStringLiteral("/device")))) continue;
    if (QFileInfo(dir.filePath(name + QStringLiteral("/device/driver")))
            .canonicalFilePath()
            .endsWith(QLatin1String("/serial8250")))
      continue;
    SerialNode s;
    s.node = Under(root, QStringLiteral("dev/") + name);
    s.usb = name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
    s.open = TryOpen(s.node, O_RDWR | O_NOCTTY);
    JudgeGroup(s);
    s.holder = FindPortHolder(s.node).who;
    found.push_back(s);
  }
  return found;
}

std::vector<Grabber> FindGrabbers(const QString& root) {
  std::vector<Grabber> found;
  const QDir proc(Under(root, QStringLiteral("proc")));
  for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool ok = false;
    const qint64 pid = entry.toLongLong(&ok);
    if (!ok) continue;
    const QString comm = QString::fromLocal8Bit(ReadSmall(proc.filePath(entry + QStringLiteral("/comm")))).trimmed();
    for (const char* name : kGrabbers)
      if (comm == QLatin1String(name)) found.push_back({comm, pid});
  }
  return found;
}

}  // namespace

SystemFacts ProbeSystem(const QString& root, std::uint16_t vendorId, std::uint16_t productId) {
  SystemFacts facts;
  facts.available = true;
  facts.usbDevices = CountUsb(root, vendorId, productId);
  facts.hidraw = FindHidraw(root, vendorId, productId);
  FindRules(root, vendorId, productId, facts);
  facts.serial = FindSerial(root);
  facts.grabbers = FindGrabbers(root);
  return facts;
}

}  // namespace quorvin
