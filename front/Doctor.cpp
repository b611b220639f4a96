#include "front/Doctor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>

#include "front/Findings.h"
#include "front/Snapshot.h"
#include "host/FileOpen.h"
#include "host/History.h"
#include "link/HidapiBackend.h"
#include "protocol/Protocol.h"

namespace quorvin {

namespace {

constexpr char kRuleInstall[] =
    "quorvinctl udev-rule | sudo tee /etc/udev/rules.d/70-quorvin.rules && "
    "sudo udevadm control --reload && sudo udevadm trigger";
constexpr char kRulesFolders[] = "/etc/udev/rules.d, /run/udev/rules.d, /usr/lib/udev/rules.d, /lib/udev/rules.d";

bool Denied(int error) { return error == EACCES || error == EPERM; }

void CheckRepeater(const SystemFacts& s, Findings& r) {
  if (s.usbDevices == 0 && s.hidraw.empty()) {
    r.Problem("usb-device", {}, r.T(QT_TRANSLATE_NOOP("quorvin", "No repeater (USB 0483:1234) is attached.")),
              r.T(QT_TRANSLATE_NOOP("quorvin",
                                    "Plug the repeater in with a data cable and switch it on; `lsusb -d 0483:1234` "
                                    "then lists it.")));
    return;
  }
  r.Ok("usb-device", {},
       r.T(QT_TRANSLATE_NOOP("quorvin", "Repeaters on USB: %1; their hidraw nodes: %2."))
           .arg(s.usbDevices)
           .arg(s.hidraw.size()));
  if (s.hidraw.empty())
    r.Problem("hidraw", {}, r.T(QT_TRANSLATE_NOOP("quorvin", "The repeater is on USB but has no hidraw node.")),
              r.T(QT_TRANSLATE_NOOP("quorvin",
                                    "Unplug it and plug it in again; `sudo dmesg | tail` tells why the HID driver "
                                    "did not take it.")));
}

void CheckHidraw(const SystemFacts& s, Findings& r) {
  const bool ruleInstalled = !s.rules.empty();
  for (const HidrawNode& n : s.hidraw) {
    if (n.open.Opened()) {
      r.Ok("hidraw", n.node, r.T(QT_TRANSLATE_NOOP("quorvin", "This user can open %1.")).arg(n.node));
    } else if (Denied(n.open.error)) {
      r.Problem("hidraw", n.node,
                r.T(QT_TRANSLATE_NOOP("quorvin", "This user may not open %1: %2.")).arg(n.node, n.open.errorText),
                ruleInstalled
                    ? r.T(QT_TRANSLATE_NOOP("quorvin",
                                            "The rule is installed but not applied to the node: run `sudo udevadm "
                                            "control --reload && sudo udevadm trigger` and plug the repeater in again "
                                            "(access goes to the user at the local seat, not over ssh)."))
                    : r.T(QT_TRANSLATE_NOOP("quorvin", "Install the udev rule: `%1`, then plug the repeater in again."))
                          .arg(QString::fromLatin1(kRuleInstall)));
    } else {
      r.Problem("hidraw", n.node,
                r.T(QT_TRANSLATE_NOOP("quorvin", "%1 cannot be opened: %2.")).arg(n.node, n.open.errorText),
                r.T(QT_TRANSLATE_NOOP("quorvin", "Close any other program using the repeater and plug it in again.")));
    }
  }
}

void CheckRules(const SystemFacts& s, Findings& r) {
  if (s.rules.empty()) {
    r.Problem("udev-rule", {},
              r.T(QT_TRANSLATE_NOOP("quorvin", "No udev rule for the repeater is installed (looked in %1)."))
                  .arg(QString::fromLatin1(kRulesFolders)),
              r.T(QT_TRANSLATE_NOOP("quorvin", "Install it: `%1`.")).arg(QString::fromLatin1(kRuleInstall)));
    return;
  }
  const QString seatLate = QString::fromLatin1(kSeatLateRules);
  for (const UdevRuleFile& rule : s.rules) {
    if (!rule.uaccess) {
      // Access given by mode or group does not depend on the rules that follow.
      r.Ok("udev-rule", rule.path, r.T(QT_TRANSLATE_NOOP("quorvin", "The udev rule %1 is installed.")).arg(rule.path));
    } else if (rule.name >= seatLate) {
      const QString folder = QFileInfo(rule.path).path();
      r.Problem("udev-rule", rule.path,
                r.T(QT_TRANSLATE_NOOP("quorvin",
                                      "The udev rule %1 sorts after %2, so its uaccess tag comes too late to apply."))
                    .arg(rule.path, seatLate),
                r.T(QT_TRANSLATE_NOOP("quorvin", "Rename it: `%1`."))
                    .arg(QStringLiteral("sudo mv %1 %2/70-quorvin.rules && sudo udevadm control --reload && "
                                        "sudo udevadm trigger")
                             .arg(rule.path, folder)));
    } else if (s.uaccessRule.isEmpty()) {
      r.Problem("udev-rule", rule.path,
                r.T(QT_TRANSLATE_NOOP("quorvin",
                                      "The udev rule %1 relies on the uaccess tag, but %2, which applies it, is not "
                                      "installed."))
                    .arg(rule.path, seatLate),
                r.T(QT_TRANSLATE_NOOP("quorvin",
                                      "Give access by group instead: replace TAG+=\"uaccess\" in %1 with "
                                      "MODE=\"0660\", GROUP=\"plugdev\" and run `sudo usermod -aG plugdev $USER`."))
                    .arg(rule.path));
    } else {
      r.Ok("udev-rule", rule.path,
           r.T(QT_TRANSLATE_NOOP("quorvin", "The udev rule %1 is installed and sorts before %2."))
               .arg(rule.path, seatLate));
    }
  }
}

void CheckSerialPort(const SerialNode& p, Findings& r) {
  if (!p.holder.isEmpty() || p.open.error == EBUSY) {
    const QString who = p.holder.isEmpty() ? r.T(QT_TRANSLATE_NOOP("quorvin", "another process")) : p.holder;
    r.Problem("serial-port", p.node, r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is held by %2.")).arg(p.node, who),
              r.T(QT_TRANSLATE_NOOP("quorvin", "Close %1, or stop it, and try again.")).arg(who));
  } else if (p.open.Opened()) {
    r.Ok("serial-port", p.node, r.T(QT_TRANSLATE_NOOP("quorvin", "This user can open %1.")).arg(p.node));
  } else if (Denied(p.open.error)) {
    const QString what =
        r.T(QT_TRANSLATE_NOOP("quorvin", "This user may not open %1 (group %2).")).arg(p.node, p.group);
    if (p.groupListed && !p.inGroup)
      r.Problem("serial-port", p.node, what,
                r.T(QT_TRANSLATE_NOOP("quorvin", "You were added to %1 since logging in: log out and in again."))
                    .arg(p.group));
    else
      r.Problem("serial-port", p.node, what,
                r.T(QT_TRANSLATE_NOOP("quorvin", "Run `sudo usermod -aG %1 $USER`, then log out and in again."))
                    .arg(p.group));
  } else {
    r.Problem("serial-port", p.node,
              r.T(QT_TRANSLATE_NOOP("quorvin", "%1 cannot be opened: %2.")).arg(p.node, p.open.errorText),
              r.T(QT_TRANSLATE_NOOP("quorvin", "Unplug the adapter and plug it in again.")));
  }
}

void CheckSerial(const SystemFacts& s, Findings& r) {
  if (s.serial.empty())
    r.Ok("serial-port", {},
         r.T(QT_TRANSLATE_NOOP("quorvin", "No serial port is present (needed for the serial link only).")));
  for (const SerialNode& p : s.serial) CheckSerialPort(p, r);
  if (s.grabbers.empty()) {
    r.Ok("serial-grabber", {},
         r.T(QT_TRANSLATE_NOOP("quorvin",
                               "Neither ModemManager nor brltty is running: no one grabs USB-serial "
                               "adapters.")));
    return;
  }
  for (const Grabber& g : s.grabbers) {
    const QString who = QStringLiteral("%1 (pid %2)").arg(g.name).arg(g.pid);
    const QString what =
        r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is running; it is known to take USB-serial adapters for itself."))
            .arg(who);
    if (g.name == QLatin1String("brltty"))
      r.Problem("serial-grabber", who, what,
                r.T(QT_TRANSLATE_NOOP("quorvin", "Unless a braille display is used here: `%1`."))
                    .arg(QStringLiteral("sudo systemctl disable --now brltty && sudo apt-get remove brltty")));
    else
      r.Problem("serial-grabber", who, what,
                r.T(QT_TRANSLATE_NOOP("quorvin", "Stop it while the repeater is in use: `%1`."))
                    .arg(QStringLiteral("sudo systemctl stop %1").arg(g.name)));
  }
}

void CheckLimit(const FileFacts& f, const char* check, qint64 limit, const QString& link, Findings& r) {
  if (f.size > limit)
    r.Problem(check, f.path,
              r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is %2 bytes: over the %3 limit of %4 bytes."))
                  .arg(f.path, QString::number(f.size), link, QString::number(limit)),
              f.size > kMaxSerialImage
                  ? r.T(QT_TRANSLATE_NOOP("quorvin", "No link takes it: use an image of at most %1 bytes."))
                        .arg(kMaxSerialImage)
                  : r.T(QT_TRANSLATE_NOOP("quorvin",
                                          "Send it over the serial link (--port NAME), which takes up "
                                          "to %1 bytes."))
                        .arg(kMaxSerialImage));
  else
    r.Ok(check, f.path,
         r.T(QT_TRANSLATE_NOOP("quorvin", "%1 (%2 bytes) is within the %3 limit of %4 bytes."))
             .arg(f.path, QString::number(f.size), link, QString::number(limit)));
}

void CheckFile(const FileFacts& f, Findings& r) {
  if (!f.exists || !f.regular || !f.readable) {
    r.Problem("file", f.path, r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is not a readable file.")).arg(f.path),
              r.T(QT_TRANSLATE_NOOP("quorvin", "Check the name and the file's permissions.")));
    return;
  }
  if (f.size == 0) {
    r.Problem("file", f.path, r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is empty: there is nothing to send.")).arg(f.path),
              r.T(QT_TRANSLATE_NOOP("quorvin", "Choose the image or backup file itself.")));
    return;
  }
  CheckLimit(f, "file-usb", kMaxUsbImage, QStringLiteral("USB"), r);
  CheckLimit(f, "file-serial", kMaxSerialImage, r.T(QT_TRANSLATE_NOOP("quorvin", "serial")), r);
}

}  // namespace

FileFacts LookAtFile(const QString& path) {
  FileFacts f;
  f.path = path;
  const QFileInfo info(path);
  f.exists = info.exists();
  f.regular = info.isFile();
  f.size = f.regular ? info.size() : 0;
  QFile file(path);
  f.readable = f.regular && OpenRegularForReading(file) == RegularOpen::Opened;  // never waits on a FIFO
  return f;
}

FolderFacts LookAtFolder(const QString& path) {
  FolderFacts f;
  f.path = QDir::toNativeSeparators(path);
  // The tool makes a missing folder when it first writes there: the nearest one above that is
  // there has to take it.
  QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  while (!QFileInfo::exists(at) && QFileInfo(at).path() != at) at = QFileInfo(at).path();
  if (!QFileInfo(at).isDir()) {
    f.notFolder = true;
    f.why = QDir::toNativeSeparators(at);
    return f;
  }
  // Tried, not read off the permissions: Windows' access lists and a read-only medium say no only
  // when asked to write.
  QTemporaryFile probe(at + QStringLiteral("/.quorvin-doctor-XXXXXX"));
  f.writable = probe.open();
  if (!f.writable) f.why = probe.errorString();
  return f;
}

SystemFacts GatherFacts(const QString& root) {
  SystemFacts s = ProbeSystem(root, kVendorId, kProductId);
  if (s.windows) {
    // Whether hidapi starts is the first thing Windows can fail at: without it no repeater is
    // found, whatever Device Manager shows.
    s.hidLayerStarts = HidapiBackend().Started();
    s.folders = {LookAtFolder(QFileInfo(HistoryPath()).path()), LookAtFolder(SnapshotRoot())};
  }
  return s;
}

std::vector<Finding> Diagnose(const SystemFacts& system, const std::optional<FileFacts>& file, const Language& lang) {
  Findings r(lang);
  if (system.available) {
    CheckRepeater(system, r);
    CheckHidraw(system, r);
    CheckRules(system, r);
    CheckSerial(system, r);
  } else if (system.windows) {
    CheckWindows(system, r);
    CheckFolders(system, r);
  } else {
    r.Problem("system", {},
              r.T(QT_TRANSLATE_NOOP("quorvin", "The device and port checks are not available on this system.")),
              r.T(QT_TRANSLATE_NOOP("quorvin", "Check the device and its driver in the system's device manager.")));
  }
  if (file) CheckFile(*file, r);
  return r.Take();
}

bool AllWell(const std::vector<Finding>& findings) {
  return std::all_of(findings.begin(), findings.end(), [](const Finding& f) { return f.ok; });
}

QString FindingLine(const Finding& f, const Language& lang) {
  if (f.ok) return lang.Text(QT_TRANSLATE_NOOP("quorvin", "OK       %1")).arg(f.what);
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "PROBLEM  %1 Fix: %2")).arg(f.what, f.fix);
}

QJsonArray FindingsJson(const std::vector<Finding>& findings) {
  QJsonArray list;
  for (const Finding& f : findings) {
    QJsonObject o{{QStringLiteral("check"), f.check}, {QStringLiteral("ok"), f.ok}, {QStringLiteral("what"), f.what}};
    if (!f.subject.isEmpty()) o[QStringLiteral("subject")] = f.subject;
    if (!f.ok) o[QStringLiteral("fix")] = f.fix;
    list.append(o);
  }
  return list;
}

}  // namespace quorvin
