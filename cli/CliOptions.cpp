#include "cli/CliOptions.h"

namespace quorvin::cli {

std::optional<CliOptions> ParseCli(const QStringList& args, QString* error) {
  CliOptions o;
  qsizetype i = 0;
  auto value = [&](const QString& name) -> std::optional<QString> {
    if (i + 1 >= args.size()) {
      *error = name + QStringLiteral(" needs a value");
      return std::nullopt;
    }
    return args[++i];
  };
  for (; i < args.size(); ++i) {
    const QString& a = args[i];
    if (!a.startsWith(QLatin1String("--"))) break;  // global options come before the command
    if (a == QLatin1String("--help")) {
      o.help = true;
    } else if (a == QLatin1String("--json")) {
      o.json = true;
    } else if (a == QLatin1String("--verbose")) {
      o.verbose = true;
    } else if (a == QLatin1String("--lang")) {
      const auto v = value(a);
      if (!v) return std::nullopt;
      if (*v != QLatin1String("zh") && *v != QLatin1String("en")) {
        *error = QStringLiteral("--lang takes zh or en");
        return std::nullopt;
      }
      o.english = *v == QLatin1String("en");
    } else if (a == QLatin1String("--port")) {
      const auto v = value(a);
      if (!v) return std::nullopt;
      // An empty name would silently mean the USB link: a script whose port variable came out
      // empty must not end up upgrading whatever repeater is plugged in over USB.
      if (v->isEmpty()) {
        *error = QStringLiteral("--port needs a port name");
        return std::nullopt;
      }
      o.port = *v;
    } else if (a == QLatin1String("--baud")) {
      const auto v = value(a);
      if (!v) return std::nullopt;
      if (*v != QLatin1String("9600") && *v != QLatin1String("57600") && *v != QLatin1String("115200")) {
        *error = QStringLiteral("--baud takes 9600, 57600 or 115200");
        return std::nullopt;
      }
      o.baud = *v;
    } else {
      *error = QStringLiteral("unknown option ") + a;
      return std::nullopt;
    }
  }
  o.command = args.mid(i);
  if (o.help) return o;
  if (o.command.isEmpty()) {
    *error = QStringLiteral("no command given");
    return std::nullopt;
  }
  if (args.contains(QStringLiteral("--baud")) && o.port.isEmpty()) {
    *error = QStringLiteral("--baud needs --port");
    return std::nullopt;
  }
  const QString& c = o.command[0];
  const qsizetype n = o.command.size();
  const QString sub = n > 1 ? o.command[1] : QString();
  const bool ok = ((c == QLatin1String("version") || c == QLatin1String("init-buttons") ||
                    c == QLatin1String("devices") || c == QLatin1String("ports") || c == QLatin1String("udev-rule")) &&
                   n == 1) ||
                  (c == QLatin1String("frequency") && ((sub == QLatin1String("get") && n == 2) ||
                                                       (sub == QLatin1String("set") && n == 3))) ||
                  (c == QLatin1String("upgrade") && n == 2) ||
                  (c == QLatin1String("backup") &&
                   (sub == QLatin1String("download") || sub == QLatin1String("read")) && n == 3);
  if (!ok) {
    *error = QStringLiteral("bad command: ") + o.command.join(QLatin1Char(' '));
    return std::nullopt;
  }
  return o;
}

GlobalOptionScan ScanGlobalOptions(const QStringList& args) {
  // Walks the options the way ParseCli does, but goes on past anything it would refuse, so that a
  // script asking for --json gets its object even when the rest of the line is wrong.
  GlobalOptionScan scan;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (!a.startsWith(QLatin1String("--"))) {
      scan.command = a;
      break;
    }
    if (a == QLatin1String("--json")) {
      scan.json = true;
    } else if (a == QLatin1String("--lang") || a == QLatin1String("--port") || a == QLatin1String("--baud")) {
      ++i;  // its value
    }
  }
  return scan;
}

QString UsageText() {
  return QStringLiteral(
      "usage: quorvinctl [--lang zh|en] [--port NAME [--baud 9600|57600|115200]] [--json] [--verbose] COMMAND\n"
      "\n"
      "commands:\n"
      "  version                  read the firmware version\n"
      "  frequency get            read the working frequency (prints it in decimal)\n"
      "  frequency set HZ         set it (300000000..900000000)\n"
      "  init-buttons             initialise the call-button data\n"
      "  upgrade FILE             upgrade the firmware from FILE\n"
      "  backup download FILE     send the backup data in FILE into the device\n"
      "  backup read FILE         read the device's backup data into FILE\n"
      "  devices                  list attached repeaters (path, ids) on the USB link\n"
      "  ports                    list serial ports\n"
      "  udev-rule                print the udev rule that grants non-root access\n"
      "\n"
      "options (before the command):\n"
      "  --lang zh|en   language of the messages (default: the locale's)\n"
      "  --port NAME    use the serial port NAME (ttyUSB0, /dev/ttyUSB0, COM3) instead of USB;\n"
      "                 frequency and init-buttons work over USB only\n"
      "  --baud N       serial speed, 9600, 57600 or 115200 (default 115200)\n"
      "  --json         print one JSON object with the outcome on standard output instead of the messages\n"
      "  --verbose      trace every report or serial frame on standard error\n"
      "\n"
      "Messages go to standard output, one line each; progress goes to standard error.\n"
      "QUORVIN_HID_SOCKET=PATH uses the virtual repeater of `quorvin-sim --hid-socket PATH` instead of USB.\n"
      "\n"
      "exit status:\n"
      "  0    success\n"
      "  1    the device refused, did not answer, or the transfer failed\n"
      "  2    bad usage or invalid input (nothing was sent)\n"
      "  3    no repeater found on the USB link, or the serial port could not be opened\n"
      "  4    permission denied on the device or port (install the udev rule: quorvinctl udev-rule)\n"
      "  5    file error: the file cannot be read or written, or is too large\n"
      "  6    the serial transfer ended without a verdict from the device\n"
      "  7    the device or port is busy: another process holds it\n"
      "  130  interrupted (Ctrl+C); the link is released and no partial file is left\n");
}

}  // namespace quorvin::cli
