// quorvinctl doctor over a made-up system tree: each broken set-up a technician meets is found, and
// a sound one passes.

#include "front/Doctor.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <map>

#include "link/HidLink.h"
#include "protocol/Protocol.h"

namespace quorvin {
namespace {

constexpr char kRule[] =
    "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"0483\", ATTRS{idProduct}==\"1234\", TAG+=\"uaccess\"\n";

class FakeRoot {
 public:
  void File(const QString& rel, const QByteArray& text = {}) {
    const QString path = m_dir.filePath(rel);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  void Dir(const QString& rel) { ASSERT_TRUE(QDir().mkpath(m_dir.filePath(rel))); }
  // The repeater on USB with its hidraw node; a node that is a folder cannot be opened.
  void Repeater(bool nodeOpens) {
    File("sys/bus/usb/devices/1-2/idVendor", "0483\n");
    File("sys/bus/usb/devices/1-2/idProduct", "1234\n");
    File("sys/class/hidraw/hidraw0/device/uevent", "DRIVER=hid-generic\nHID_ID=0003:00000483:00001234\n");
    File("sys/class/hidraw/hidraw1/device/uevent", "HID_ID=0003:0000046D:0000C52B\n");  // a mouse
    if (nodeOpens)
      File("dev/hidraw0");
    else
      Dir("dev/hidraw0");
  }
  void SeatLate() { File("usr/lib/udev/rules.d/73-seat-late.rules", "TAG==\"uaccess\", RUN{builtin}+=\"uaccess\"\n"); }
  void Healthy() {
    Repeater(true);
    SeatLate();
    File("etc/udev/rules.d/70-quorvin.rules", kRule);
  }
  std::vector<Finding> Run(const std::optional<FileFacts>& file = std::nullopt) const {
    return Diagnose(ProbeSystem(m_dir.path(), kVendorId, kProductId), file, Language());
  }
  QString Path(const QString& rel) const { return m_dir.filePath(rel); }

 private:
  QTemporaryDir m_dir;
};

// Whether the findings of `check` are all fine; nullopt when there is none.
std::optional<bool> Verdict(const std::vector<Finding>& findings, const QString& check) {
  std::optional<bool> ok;
  for (const Finding& f : findings)
    if (f.check == check) ok = ok.value_or(true) && f.ok;
  return ok;
}

TEST(Doctor, EachBrokenSetUpIsFoundAndASoundOnePasses) {
  struct Case {
    const char* name;
    std::function<void(FakeRoot&)> build;
    QString check;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"sound set-up", [](FakeRoot& r) { r.Healthy(); }, "", true},
      {"no device", [](FakeRoot& r) { r.SeatLate(); }, "usb-device", false},
      {"node not openable",
       [](FakeRoot& r) {
         r.Healthy();
         QDir(r.Path("dev")).removeRecursively();
         r.Repeater(false);
       },
       "hidraw", false},
      {"on USB without hidraw",
       [](FakeRoot& r) {
         r.Healthy();
         QDir(r.Path("sys/class/hidraw")).removeRecursively();
       },
       "hidraw", false},
      {"rule missing",
       [](FakeRoot& r) {
         r.Repeater(true);
         r.SeatLate();
       },
       "udev-rule", false},
      {"rule after 73-seat-late",
       [](FakeRoot& r) {
         r.Repeater(true);
         r.SeatLate();
         r.File("lib/udev/rules.d/99-quorvin.rules", kRule);
       },
       "udev-rule", false},
      // A file of the same name in /etc hides the packaged one from udev.
      {"rule masked in /etc",
       [](FakeRoot& r) {
         r.Repeater(true);
         r.SeatLate();
         r.File("usr/lib/udev/rules.d/70-quorvin.rules", kRule);
         r.File("etc/udev/rules.d/70-quorvin.rules");
       },
       "udev-rule", false},
      {"uaccess never applied",
       [](FakeRoot& r) {
         r.Repeater(true);
         r.File("etc/udev/rules.d/70-quorvin.rules", kRule);
       },
       "udev-rule", false},
      {"ModemManager running",
       [](FakeRoot& r) {
         r.Healthy();
         r.File("proc/812/comm", "ModemManager\n");
         r.File("proc/1/comm", "systemd\n");
       },
       "serial-grabber", false},
      {"serial port openable",
       [](FakeRoot& r) {
         r.Healthy();
         r.Dir("sys/class/tty/ttyUSB0/device");
         r.Dir("sys/class/tty/tty1");  // a console: no device, not a port
         r.File("dev/ttyUSB0");
       },
       "serial-port", true},
      {"serial port without node",
       [](FakeRoot& r) {
         r.Healthy();
         r.Dir("sys/class/tty/ttyUSB0/device");
       },
       "serial-port", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRoot root;
    c.build(root);
    const auto findings = root.Run();
    if (c.check.isEmpty()) {
      for (const Finding& f : findings) EXPECT_TRUE(f.ok) << f.what.toStdString() << " / " << f.fix.toStdString();
      EXPECT_TRUE(AllWell(findings));
    } else {
      EXPECT_EQ(Verdict(findings, c.check), c.ok);
      EXPECT_EQ(AllWell(findings), c.ok);
    }
    for (const Finding& f : findings) EXPECT_EQ(f.fix.isEmpty(), f.ok) << f.what.toStdString();
  }
}

TEST(Doctor, FileLimitsPerLink) {
  FakeRoot root;
  root.Healthy();
  const auto sized = [&](const QString& name, qint64 size) {
    QFile f(root.Path(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(size));
    return LookAtFile(f.fileName());
  };
  struct Case {
    qint64 size;
    std::optional<bool> usb, serial;
  };
  for (const Case& c : {Case{kMaxUsbImage, true, true}, Case{kMaxUsbImage + 1, false, true},
                        Case{kMaxSerialImage + 1, false, false}, Case{0, std::nullopt, std::nullopt}}) {
    SCOPED_TRACE(c.size);
    const auto findings = root.Run(sized("image.bin", c.size));
    EXPECT_EQ(Verdict(findings, "file-usb"), c.usb);
    EXPECT_EQ(Verdict(findings, "file-serial"), c.serial);
    EXPECT_EQ(AllWell(findings), c.usb.value_or(false) && c.serial.value_or(false));
  }
  EXPECT_EQ(Verdict(root.Run(LookAtFile(root.Path("missing.bin"))), "file"), false);
  EXPECT_EQ(Verdict(root.Run(LookAtFile(root.Path("dev"))), "file"), false);
}

// Denied access is judged by errno, and the fix depends on what is already in place.
TEST(Doctor, DeniedAccessGetsTheFixThatApplies) {
  SystemFacts s;
  s.available = true;
  s.usbDevices = 1;
  s.hidraw = {{"/dev/hidraw0", {EACCES, "Permission denied"}}};
  s.uaccessRule = "/usr/lib/udev/rules.d/73-seat-late.rules";
  SerialNode port;
  port.node = "/dev/ttyUSB0";
  port.open = {EACCES, "Permission denied"};
  port.group = "dialout";
  port.groupListed = true;  // added to dialout after logging in
  s.serial = {port};
  auto fixOf = [](const std::vector<Finding>& list, const QString& check) {
    for (const Finding& f : list)
      if (f.check == check && !f.ok) return f.fix;
    return QString();
  };
  auto findings = Diagnose(s, std::nullopt, Language());
  EXPECT_TRUE(fixOf(findings, "hidraw").contains("quorvinctl udev-rule | sudo tee"));
  EXPECT_TRUE(fixOf(findings, "serial-port").contains("log out and in again"));
  EXPECT_FALSE(fixOf(findings, "serial-port").contains("usermod"));

  s.rules = {{"70-quorvin.rules", "/etc/udev/rules.d/70-quorvin.rules", true, true}};
  s.serial[0].groupListed = false;
  findings = Diagnose(s, std::nullopt, Language());
  EXPECT_TRUE(fixOf(findings, "hidraw").contains("udevadm trigger"));
  EXPECT_TRUE(fixOf(findings, "serial-port").contains("usermod -aG dialout"));
}

// Windows: each finding as Device Manager, the COM ports and the tool's folders present it, with
// a fix for every problem, and in Chinese once the catalog is loaded.
TEST(Doctor, WindowsFindingsEachWithItsFix) {
  SystemFacts s;
  s.windows = true;
  s.hidLayerStarts = false;
  auto findings = Diagnose(s, std::nullopt, Language());
  EXPECT_EQ(Verdict(findings, "hid-layer"), false);
  EXPECT_EQ(Verdict(findings, "usb-device"), false);  // none attached
  EXPECT_EQ(Verdict(findings, "serial-port"), true);  // none present is fine
  EXPECT_FALSE(AllWell(findings));

  struct DeviceCase {
    const char* name;
    WindowsDevice device;
    bool ok;
    const char* fixHas;
  };
  const std::vector<DeviceCase> devices = {
      {"HID driver", {"USB\\VID_0483&PID_1234\\QV1", "USB Input Device", "HidUsb", true, 0}, true, ""},
      {"disabled", {"USB\\VID_0483&PID_1234\\QV1", "USB Input Device", "HidUsb", true, 22}, false, "Enable"},
      {"failed", {"USB\\VID_0483&PID_1234\\QV1", "USB Input Device", "HidUsb", true, 43}, false, "another USB socket"},
      {"other driver",
       {"USB\\VID_0483&PID_1234\\QV1", "WinUSB Device", "WinUSB", true, 0},
       false,
       "deletes its driver"},
      // The HID collection on the device is driven by HidClass, never a fault of its own.
      {"collection", {"HID\\VID_0483&PID_1234\\7&1", "HID-compliant device", "HidClass", false, 0}, true, ""},
  };
  for (const DeviceCase& c : devices) {
    SCOPED_TRACE(c.name);
    s.hidLayerStarts = true;
    s.devices = {c.device};
    findings = Diagnose(s, std::nullopt, Language());
    EXPECT_EQ(Verdict(findings, "hid-layer"), true);
    EXPECT_EQ(Verdict(findings, "usb-device"), c.ok);
    for (const Finding& f : findings)
      if (f.check == "usb-device" && !f.ok) {
        EXPECT_TRUE(f.fix.contains(c.fixHas)) << f.fix.toStdString();
      }
  }

  ComPort free;
  free.name = "COM3";
  ComPort held;
  held.name = "COM4";
  held.error = 5;
  held.busy = true;
  held.holder = "terminal.exe (pid 812)";
  ComPort broken;
  broken.name = "COM5";
  broken.error = 31;
  broken.errorText = "A device attached to the system is not functioning";
  s.comPorts = {free, held, broken};
  QTemporaryDir dir;
  QFile inTheWay(dir.filePath("history"));
  ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
  inTheWay.close();
  s.folders = {LookAtFolder(dir.filePath("snapshots/QV1")), LookAtFolder(dir.filePath("history/sub"))};
  EXPECT_TRUE(s.folders[0].writable);  // made when first written: the folder above takes it
  EXPECT_TRUE(s.folders[1].notFolder);
  findings = Diagnose(s, std::nullopt, Language());
  std::map<QString, Finding> by;
  for (const Finding& f : findings) by[f.subject] = f;
  EXPECT_TRUE(by["COM3"].ok);
  EXPECT_FALSE(by["COM4"].ok);
  EXPECT_TRUE(by["COM4"].what.contains("terminal.exe (pid 812)"));
  EXPECT_FALSE(by["COM5"].ok);
  EXPECT_TRUE(by["COM5"].what.contains("not functioning"));
  EXPECT_TRUE(by[s.folders[0].path].ok);
  EXPECT_FALSE(by[s.folders[1].path].ok);
  EXPECT_TRUE(by[s.folders[1].path].fix.contains(QDir::toNativeSeparators(inTheWay.fileName())));
  for (const Finding& f : findings) EXPECT_EQ(f.fix.isEmpty(), f.ok) << f.what.toStdString();

  // Every Windows text has its Chinese: none comes out as its English source.
  s.hidLayerStarts = false;
  s.devices = {devices[1].device, devices[3].device};
  const std::vector<Finding> english = Diagnose(s, std::nullopt, Language());
  const std::vector<Finding> chinese = Diagnose(s, std::nullopt, Language::Load(QStringLiteral("zh_CN")));
  ASSERT_EQ(english.size(), chinese.size());
  for (std::size_t i = 0; i < english.size(); ++i) {
    EXPECT_NE(english[i].what, chinese[i].what);
    if (!english[i].ok) {
      EXPECT_NE(english[i].fix, chinese[i].fix) << english[i].fix.toStdString();
    }
  }
}

}  // namespace
}  // namespace quorvin
