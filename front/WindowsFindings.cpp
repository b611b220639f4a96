// The doctor's checks on Windows, over what host/SystemProbeWin.cpp gathered: the HID layer, the
// repeater as the configuration manager has it (its driver, its problem code), the COM ports, and
// the folders the tool keeps its history and snapshots in.

#include "front/Findings.h"

namespace quorvin {

namespace {

// The configuration manager's problem codes (cfgmgr32.h) a technician meets with a USB device.
constexpr unsigned kProblemDisabled = 22;
constexpr unsigned kProblemReportedFailure = 43;

// Drivers through which hidapi reaches the repeater: Windows' own HID driver, or the composite
// driver that hands its interfaces to it.
bool HidDriver(const QString& service) {
  return service.compare(QLatin1String("HidUsb"), Qt::CaseInsensitive) == 0 ||
         service.compare(QLatin1String("usbccgp"), Qt::CaseInsensitive) == 0;
}

void CheckHidLayer(const SystemFacts& s, Findings& r) {
  if (!s.hidLayerStarts) return;
  if (*s.hidLayerStarts) {
    r.Ok("hid-layer", {}, r.T(QT_TRANSLATE_NOOP("quorvin", "The system's USB HID layer starts.")));
    return;
  }
  r.Problem("hid-layer", {},
            r.T(QT_TRANSLATE_NOOP("quorvin",
                                  "The system's USB HID layer could not start: no repeater can be reached over USB.")),
            r.T(QT_TRANSLATE_NOOP("quorvin",
                                  "This system lacks functions of hid.dll or cfgmgr32.dll that USB access needs: run "
                                  "the tool on Windows 7 or later with its updates, or use the serial link (--port "
                                  "COMn), which does not need them.")));
}

QString DeviceFix(const WindowsDevice& d, Findings& r) {
  if (d.problem == kProblemDisabled)
    return r.T(QT_TRANSLATE_NOOP("quorvin", "Enable it: in Device Manager, right-click it and choose Enable device."));
  if (d.problem == kProblemReportedFailure)
    return r.T(QT_TRANSLATE_NOOP("quorvin",
                                 "The repeater reported a fault to Windows: unplug it, switch it off and on, and plug "
                                 "it into another USB socket, with another cable if that does not help."));
  return r.T(QT_TRANSLATE_NOOP("quorvin",
                               "In Device Manager, right-click it, choose Uninstall device, then unplug it and plug it "
                               "in again: Windows installs its own HID driver for it."));
}

void CheckDevices(const SystemFacts& s, Findings& r) {
  if (s.devices.empty()) {
    r.Problem("usb-device", {}, r.T(QT_TRANSLATE_NOOP("quorvin", "No repeater (USB 0483:1234) is attached.")),
              r.T(QT_TRANSLATE_NOOP("quorvin",
                                    "Plug the repeater in with a data cable and switch it on; Device Manager then "
                                    "lists it under Human Interface Devices.")));
    return;
  }
  for (const WindowsDevice& d : s.devices) {
    const QString name = d.name.isEmpty() ? d.instanceId : d.name;
    if (d.problem != 0) {
      r.Problem(
          "usb-device", d.instanceId,
          r.T(QT_TRANSLATE_NOOP("quorvin", "%1 has a problem in Device Manager (code %2).")).arg(name).arg(d.problem),
          DeviceFix(d, r));
    } else if (d.usb && !d.service.isEmpty() && !HidDriver(d.service)) {
      // A driver put in by hand for another tool (WinUSB, libusb) takes the device from the HID driver.
      r.Problem(
          "usb-device", d.instanceId,
          r.T(QT_TRANSLATE_NOOP("quorvin",
                                "%1 is driven by %2, not by Windows' HID driver, so the tool cannot reach it."))
              .arg(name, d.service),
          r.T(QT_TRANSLATE_NOOP("quorvin",
                                "In Device Manager, right-click it, choose Uninstall device and tick the box that "
                                "deletes its driver, then unplug it and plug it in again.")));
    } else {
      r.Ok("usb-device", d.instanceId,
           d.service.isEmpty()
               ? r.T(QT_TRANSLATE_NOOP("quorvin", "Repeater attached: %1.")).arg(name)
               : r.T(QT_TRANSLATE_NOOP("quorvin", "Repeater attached: %1 (driver %2).")).arg(name, d.service));
    }
  }
}

void CheckComPorts(const SystemFacts& s, Findings& r) {
  if (s.comPorts.empty())
    r.Ok("serial-port", {},
         r.T(QT_TRANSLATE_NOOP("quorvin", "No serial port is present (needed for the serial link only).")));
  for (const ComPort& p : s.comPorts) {
    if (p.error == 0) {
      r.Ok("serial-port", p.name, r.T(QT_TRANSLATE_NOOP("quorvin", "This user can open %1.")).arg(p.name));
    } else if (p.busy) {
      // The Restart Manager names the holder of a file, seldom of a device: without a name the
      // fix says where such a program is usually found.
      if (p.holder.isEmpty())
        r.Problem("serial-port", p.name,
                  r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is held by another program.")).arg(p.name),
                  r.T(QT_TRANSLATE_NOOP("quorvin",
                                        "Close the program that uses %1 (a terminal program, another set-up tool, a "
                                        "second window of this one) and try again."))
                      .arg(p.name));
      else
        r.Problem(
            "serial-port", p.name, r.T(QT_TRANSLATE_NOOP("quorvin", "%1 is held by %2.")).arg(p.name, p.holder),
            r.T(QT_TRANSLATE_NOOP("quorvin", "Close %1, or end it in Task Manager, and try again.")).arg(p.holder));
    } else {
      r.Problem("serial-port", p.name,
                r.T(QT_TRANSLATE_NOOP("quorvin", "%1 cannot be opened: %2.")).arg(p.name, p.errorText),
                r.T(QT_TRANSLATE_NOOP("quorvin",
                                      "Unplug the adapter and plug it in again; if that does not help, reinstall its "
                                      "driver in Device Manager, under Ports (COM & LPT).")));
    }
  }
}

}  // namespace

void CheckWindows(const SystemFacts& s, Findings& r) {
  CheckHidLayer(s, r);
  CheckDevices(s, r);
  CheckComPorts(s, r);
}

void CheckFolders(const SystemFacts& s, Findings& r) {
  for (const FolderFacts& f : s.folders) {
    if (f.notFolder)
      r.Problem("folder", f.path,
                r.T(QT_TRANSLATE_NOOP("quorvin", "The folder %1 cannot be made: the file %2 is in its way."))
                    .arg(f.path, f.why),
                r.T(QT_TRANSLATE_NOOP("quorvin", "Move the file %1 elsewhere; the tool makes the folder itself."))
                    .arg(f.why));
    else if (!f.writable)
      r.Problem("folder", f.path,
                r.T(QT_TRANSLATE_NOOP("quorvin", "This user cannot write into the folder %1: %2.")).arg(f.path, f.why),
                r.T(QT_TRANSLATE_NOOP("quorvin",
                                      "Give this user the right to write there: the folder's Properties, Security, "
                                      "Edit; or free space on its drive if it is full.")));
    else
      r.Ok("folder", f.path, r.T(QT_TRANSLATE_NOOP("quorvin", "The folder %1 can be written into.")).arg(f.path));
  }
}

}  // namespace quorvin
