#include "cli/Grammar.h"

#include <algorithm>

#include "cli/Session.h"

namespace quorvin::cli {

const std::vector<Option>& OptionTable() {
  static const std::vector<Option> table = {
      {.name = "--lang",
       .value = "zh|en",
       .field = &CliOptions::language,
       .help = "language of the messages (default: the locale's)",
       .allowed = {"zh", "en"}},
      // An empty name would silently mean the USB link: a script whose port variable came out
      // empty must not end up upgrading whatever repeater is plugged in over USB.
      {.name = "--port",
       .value = "NAME",
       .field = &CliOptions::port,
       .help = "use the serial port NAME (ttyUSB0, /dev/ttyUSB0, COM3) instead of USB;\n"
               "frequency and init-buttons work over USB only",
       .nonEmpty = "a port name"},
      {.name = "--baud",
       .value = "N",
       .field = &CliOptions::baud,
       .help = "serial speed, 9600, 57600 or 115200 (default 115200)",
       .allowed = {"9600", "57600", "115200"},
       .needs = "--port"},
      {.name = "--device",
       .value = "SELECTOR",
       .field = &CliOptions::device,
       .help = "drive this repeater when several are attached: usb:1-2.3 (its USB port),\n"
               "sn:SERIAL, sim:N (a virtual unit) or its path; default $QUORVIN_DEVICE",
       .nonEmpty = "a device selector"},
      {.name = "--wait-lock",
       .field = &CliOptions::waitLock,
       .help = "if another quorvinctl or window drives the repeater, wait for it (Ctrl+C stops)"},
      {.name = "--json",
       .field = &CliOptions::json,
       .help = "print one JSON object with the outcome on standard output instead of the messages"},
      {.name = "--verbose",
       .field = &CliOptions::verbose,
       .help = "trace every report or serial frame on standard error"},
      {.name = "--record",
       .value = "FILE",
       .field = &CliOptions::record,
       .help = "write every report or serial chunk that crosses the link, with its time, into FILE\n"
               "(quorvin-sim --replay FILE plays the device's side back)",
       .nonEmpty = "a file name"},
      // A station without a report would test units and keep no record of them.
      {.name = "--report",
       .value = "FILE",
       .field = &CliOptions::report,
       .help = "station: append one JSON line per unit to FILE (needed by station)",
       .nonEmpty = "a file name",
       .onlyWith = "station",
       .required = true},
      {.name = "--ask-id",
       .field = &CliOptions::askId,
       .help = "station: ask for each unit's id (a barcode) before it runs",
       .onlyWith = "station"},
      {.name = "--help", .field = &CliOptions::help},
      {.name = "--version", .field = &CliOptions::toolVersion},
      // The commands' switches; the usage names the commands each goes with.
      {.name = "--verify",
       .field = &CliOptions::verify,
       .help = "read the data back from the device and compare it with FILE",
       .of = Switch::Verify},
      {.name = "--snapshot",
       .field = &CliOptions::snapshot,
       .help = "keep a snapshot of the unit first; no change when it cannot be taken",
       .of = Switch::Snapshot},
      {.name = "--force",
       .field = &CliOptions::force,
       .help = "put back a snapshot taken from another unit too",
       .of = Switch::Force},
      {.name = "--since",
       .value = "DATE",
       .field = &CliOptions::since,
       .help = "only what was done from DATE on (2026-12-01, 2026-12-01T08:00:00Z)",
       .of = Switch::Since},
      {.name = "--file",
       .value = "FILE",
       .field = &CliOptions::checkFile,
       .help = "whether FILE is within the size limits of the links",
       .of = Switch::File},
      {.name = "--probe",
       .field = &CliOptions::probe,
       .help = "read each one's version and frequency over the link too",
       .of = Switch::Probe},
  };
  return table;
}

const std::vector<Command>& CommandTable() {
  static const std::vector<Command> table = {
      {{"version"}, Argument::None, LinkUse::UsbOrSerial, "version", "read the firmware version", &Session::Version},
      {{"frequency", "get"},
       Argument::None,
       LinkUse::UsbOnly,
       "frequency get",
       "read the working frequency (prints it in decimal)",
       &Session::FrequencyGet},
      {{"frequency", "set"},
       Argument::Hz,
       LinkUse::UsbOnly,
       "frequency set",
       "set it (300000000..900000000)",
       &Session::FrequencySet,
       {Switch::Snapshot}},
      {{"init-buttons"},
       Argument::None,
       LinkUse::UsbOnly,
       "init-buttons",
       "initialise the call-button data",
       &Session::InitButtons,
       {Switch::Snapshot}},
      {{"upgrade"},
       Argument::File,
       LinkUse::UsbOrSerial,
       "upgrade",
       "upgrade the firmware from FILE",
       &Session::Upgrade,
       {Switch::Snapshot}},
      {{"backup", "download"},
       Argument::File,
       LinkUse::UsbOrSerial,
       "backup download",
       "send the backup data in FILE into the device",
       &Session::BackupDownload,
       {Switch::Verify, Switch::Snapshot}},
      {{"backup", "read"},
       Argument::File,
       LinkUse::UsbOrSerial,
       "backup read",
       "read the device's backup data into FILE",
       &Session::BackupRead},
      {{"devices"},
       Argument::None,
       LinkUse::UsbListing,
       "devices",
       "list attached repeaters (identity, location, serial, path) on the USB link",
       &Session::Devices,
       {Switch::Probe}},
      {{"snapshot"},
       Argument::None,
       LinkUse::UsbOnly,
       "snapshot",
       "keep the unit's version, frequency and backup in a new snapshot",
       &Session::Snapshot},
      {{"snapshots"}, Argument::None, LinkUse::None, "snapshots", "list the snapshots", &Session::Snapshots},
      {{"restore"},
       Argument::Snapshot,
       LinkUse::UsbOnly,
       "restore",
       "put a snapshot back: its backup, then its frequency",
       &Session::Restore,
       {Switch::Force}},
      {{"record-report"},
       Argument::File,
       LinkUse::None,
       "record-report",
       "bundle the last recording, the history and doctor's findings into FILE (tar) for support",
       &Session::RecordReport},
      {{"ports"}, Argument::None, LinkUse::None, "ports", "list serial ports", &Session::Ports},
      {{"station"},
       Argument::File,
       LinkUse::UsbOnly,
       "station",
       "run the recipe in FILE on every repeater plugged in, until Ctrl+C",
       &Session::Station},
      {{"history"},
       Argument::None,
       LinkUse::None,
       "history",
       "what was done, oldest first",
       &Session::History,
       {Switch::Since}},
      {{"udev-rule"},
       Argument::None,
       LinkUse::None,
       "udev-rule",
       "print the udev rule that grants non-root access",
       &Session::UdevRule},
      {{"doctor"},
       Argument::None,
       LinkUse::None,
       "doctor",
       "why the repeater or a port cannot be used, and the fix",
       &Session::Doctor,
       {Switch::File}},
  };
  return table;
}

bool Command::Takes(Switch s) const { return std::find(switches.begin(), switches.end(), s) != switches.end(); }

const Option* FindOption(const QString& name) {
  for (const Option& opt : OptionTable())
    if (opt.name == name) return &opt;
  return nullptr;
}

const Option& SwitchRow(Switch s) {
  const auto& table = OptionTable();
  return *std::find_if(table.begin(), table.end(), [s](const Option& opt) { return opt.of == s; });
}

std::vector<const Command*> CommandsTaking(Switch s) {
  std::vector<const Command*> takers;
  for (const Command& c : CommandTable())
    if (c.Takes(s)) takers.push_back(&c);
  return takers;
}

QString ArgumentName(Argument a) {
  switch (a) {
    case Argument::None:
      return {};
    case Argument::Hz:
      return QStringLiteral("HZ");
    case Argument::File:
      return QStringLiteral("FILE");
    case Argument::Snapshot:
      return QStringLiteral("SNAPSHOT");
  }
  return {};
}

QString OneOf(const QStringList& values) {
  if (values.size() < 2) return values.join(QString());
  return values.mid(0, values.size() - 1).join(QLatin1String(", ")) + QLatin1String(" or ") + values.last();
}

}  // namespace quorvin::cli
