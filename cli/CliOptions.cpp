#include "cli/CliOptions.h"

#include <algorithm>

namespace quorvin::cli {

namespace {

struct GlobalOption {
  QString name;         // "--baud"
  QString value;        // its value as the option list shows it ("N"); empty for a switch
  QStringList allowed;  // the values it takes; empty: any
  QString nonEmpty;     // set: an empty value is refused as "NAME needs <nonEmpty>"
  QString needs;        // another option it works only with
  QString help;         // its lines in the usage; empty: not listed
  void (*set)(CliOptions&, const QString& value);
};

const std::vector<GlobalOption>& GlobalOptionTable() {
  static const std::vector<GlobalOption> table = {
      {"--lang",
       "zh|en",
       {"zh", "en"},
       {},
       {},
       "language of the messages (default: the locale's)",
       [](CliOptions& o, const QString& v) { o.language = v; }},
      // An empty name would silently mean the USB link: a script whose port variable came out
      // empty must not end up upgrading whatever repeater is plugged in over USB.
      {"--port",
       "NAME",
       {},
       "a port name",
       {},
       "use the serial port NAME (ttyUSB0, /dev/ttyUSB0, COM3) instead of USB;\n"
       "frequency and init-buttons work over USB only",
       [](CliOptions& o, const QString& v) { o.port = v; }},
      {"--baud",
       "N",
       {"9600", "57600", "115200"},
       {},
       "--port",
       "serial speed, 9600, 57600 or 115200 (default 115200)",
       [](CliOptions& o, const QString& v) { o.baud = v; }},
      {"--device",
       "SELECTOR",
       {},
       "a device selector",
       {},
       "drive this repeater when several are attached: usb:1-2.3 (its USB port),\n"
       "sn:SERIAL, sim:N (a virtual unit) or its path; default $QUORVIN_DEVICE",
       [](CliOptions& o, const QString& v) { o.device = v; }},
      {"--wait-lock",
       {},
       {},
       {},
       {},
       "if another quorvinctl or window drives the repeater, wait for it (Ctrl+C stops)",
       [](CliOptions& o, const QString&) { o.waitLock = true; }},
      {"--json",
       {},
       {},
       {},
       {},
       "print one JSON object with the outcome on standard output instead of the messages",
       [](CliOptions& o, const QString&) { o.json = true; }},
      {"--verbose",
       {},
       {},
       {},
       {},
       "trace every report or serial frame on standard error",
       [](CliOptions& o, const QString&) { o.verbose = true; }},
      {"--record",
       "FILE",
       {},
       "a file name",
       {},
       "write every report or serial chunk that crosses the link, with its time, into FILE\n"
       "(quorvin-sim --replay FILE plays the device's side back)",
       [](CliOptions& o, const QString& v) { o.record = v; }},
      {"--report",
       "FILE",
       {},
       "a file name",
       {},
       "station: append one JSON line per unit to FILE (needed by station)",
       [](CliOptions& o, const QString& v) { o.report = v; }},
      {"--ask-id",
       {},
       {},
       {},
       {},
       "station: ask for each unit's id (a barcode) before it runs",
       [](CliOptions& o, const QString&) { o.askId = true; }},
      {"--help", {}, {}, {}, {}, {}, [](CliOptions& o, const QString&) { o.help = true; }},
  };
  return table;
}

const GlobalOption* FindOption(const QString& name) {
  for (const GlobalOption& opt : GlobalOptionTable())
    if (opt.name == name) return &opt;
  return nullptr;
}

const Command* FindCommand(const QStringList& words) {
  for (const Command& c : CommandTable()) {
    const qsizetype count = c.words.size() + (c.argument == Argument::None ? 0 : 1);
    if (words.size() == count && words.mid(0, c.words.size()) == c.words) return &c;
  }
  return nullptr;
}

// A command's switch written with its value in the table ("--since DATE").
bool TakesValue(const QString& flag) {
  for (const Command& c : CommandTable())
    for (const QString& f : c.flags)
      if (f.contains(QLatin1Char(' ')) && f.section(QLatin1Char(' '), 0, 0) == flag) return true;
  return false;
}

// "zh or en", "9600, 57600 or 115200"
QString Alternatives(const QStringList& values) {
  if (values.size() < 2) return values.join(QString());
  return values.mid(0, values.size() - 1).join(QLatin1String(", ")) + QLatin1String(" or ") + values.last();
}

// "--lang zh|en" in the usage line; nested options (--baud under --port) follow inside its brackets.
QString Synopsis(const GlobalOption& opt) {
  QString s = QLatin1Char('[') + opt.name;
  if (!opt.value.isEmpty())
    s += QLatin1Char(' ') + (opt.allowed.isEmpty() ? opt.value : opt.allowed.join(QLatin1Char('|')));
  for (const GlobalOption& inner : GlobalOptionTable())
    if (inner.needs == opt.name) s += QLatin1Char(' ') + Synopsis(inner);
  return s + QLatin1Char(']');
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

// Where the usage's descriptions start, after "  " and the command or option.
constexpr int kCommandWidth = 25;
constexpr int kOptionWidth = 19;

}  // namespace

CliOptions ParseCli(const QStringList& args, const QList<QByteArray>& raw) {
  CliOptions o;
  QStringList given;
  // Qt decodes arguments as UTF-8, a sequence that is not turning into U+FFFD: such a value would
  // name another file or unit than the one given.
  const auto faithful = [&](qsizetype k) {
    return raw.size() != args.size() || QString::fromUtf8(raw[k]).toUtf8() == raw[k];
  };
  const auto valueAt = [&](qsizetype k, const QString& option) {
    if (o.notUtf8Option.isEmpty() && !faithful(k)) o.notUtf8Option = option;
  };
  // The first fault found is the one told; the walk goes on past it, so --json is seen wherever it
  // stands among the global options.
  auto refuse = [&o](const QString& error) {
    if (o.error.isEmpty()) o.error = error;
  };
  qsizetype i = 0;
  for (; i < args.size() && args[i].startsWith(QLatin1String("--")); ++i) {  // options come before the command
    const GlobalOption* opt = FindOption(args[i]);
    if (!opt) {
      refuse(QStringLiteral("unknown option ") + args[i]);
      continue;
    }
    QString value;
    if (!opt->value.isEmpty()) {
      if (i + 1 >= args.size()) {
        refuse(opt->name + QStringLiteral(" needs a value"));
        continue;
      }
      value = args[++i];
      valueAt(i, opt->name);
      if (!opt->allowed.isEmpty() && !opt->allowed.contains(value)) {
        refuse(opt->name + QStringLiteral(" takes ") + Alternatives(opt->allowed));
        continue;
      }
      if (!opt->nonEmpty.isEmpty() && value.isEmpty()) {
        refuse(opt->name + QStringLiteral(" needs ") + opt->nonEmpty);
        continue;
      }
    }
    opt->set(o, value);
    given << opt->name;
  }
  o.command = args.mid(i);
  if (!o.error.isEmpty() || o.help) return o;
  if (o.command.isEmpty()) {
    o.error = QStringLiteral("no command given");
    return o;
  }
  // Anywhere on the line, not only among the options: `version --baud 9600` has always been told
  // that --baud needs --port.
  for (const GlobalOption& opt : GlobalOptionTable()) {
    if (!opt.needs.isEmpty() && args.contains(opt.name) && !given.contains(opt.needs)) {
      o.error = opt.name + QStringLiteral(" needs ") + opt.needs;
      return o;
    }
  }
  // A command's own switches follow its argument: `backup download FILE --verify`.
  QStringList flags;
  qsizetype end = args.size();  // where the words not yet taken end, in `args`
  for (;;) {
    static const QStringList kSwitches{QStringLiteral("--verify"), QStringLiteral("--snapshot"),
                                       QStringLiteral("--force")};
    if (o.command.size() > 1 && kSwitches.contains(o.command.last())) {
      flags << o.command.takeLast();
      o.flagWords += 1;
      end -= 1;
    } else if (o.command.size() > 2 && TakesValue(o.command[o.command.size() - 2])) {
      const QString value = o.command.takeLast();
      flags << o.command.takeLast();
      (flags.last() == QLatin1String("--since") ? o.since : o.checkFile) = value;
      valueAt(end - 1, flags.last());
      o.flagWords += 2;
      end -= 2;
    } else {
      break;
    }
  }
  o.what = FindCommand(o.command);
  if (!o.what) {
    o.error = QStringLiteral("bad command: ") + (o.command + flags).join(QLatin1Char(' '));
    return o;
  }
  for (const QString& flag : flags) {
    const auto named = [&flag](const QString& f) { return f.section(QLatin1Char(' '), 0, 0) == flag; };
    if (std::none_of(o.what->flags.begin(), o.what->flags.end(), named)) {
      o.error = flag + QStringLiteral(" does not go with ") + o.what->operation;
      return o;
    }
    if (flag == QLatin1String("--verify")) o.verify = true;
    if (flag == QLatin1String("--snapshot")) o.snapshot = true;
    if (flag == QLatin1String("--force")) o.force = true;
  }
  // A station without a report would test units and keep no record of them.
  const bool station = o.what->operation == QLatin1String("station");
  if (station && o.report.isEmpty()) o.error = QStringLiteral("station needs --report FILE");
  if (!station && (!o.report.isEmpty() || o.askId))
    o.error = QStringLiteral("--report and --ask-id work with station only");
  return o;
}

QString UsageText() {
  QString text = QStringLiteral("usage: quorvinctl");
  for (const GlobalOption& opt : GlobalOptionTable())
    if (!opt.help.isEmpty() && opt.needs.isEmpty()) text += QLatin1Char(' ') + Synopsis(opt);
  text += QStringLiteral(" COMMAND\n\ncommands:\n");
  for (const Command& c : CommandTable()) {
    QString form = c.words.join(QLatin1Char(' '));
    if (c.argument != Argument::None) form += QLatin1Char(' ') + ArgumentName(c.argument);
    for (const QString& flag : c.flags) form += QStringLiteral(" [%1]").arg(flag);
    // A form too long for its column gets the description on a line of its own.
    if (form.size() >= kCommandWidth) form += QLatin1Char('\n') + QString(2 + kCommandWidth, QLatin1Char(' '));
    text += QLatin1String("  ") + form.leftJustified(kCommandWidth) + c.help + QLatin1Char('\n');
  }
  text += QStringLiteral("\noptions (before the command):\n");
  for (const GlobalOption& opt : GlobalOptionTable()) {
    if (opt.help.isEmpty()) continue;
    const QString form = opt.value.isEmpty() ? opt.name : opt.name + QLatin1Char(' ') + opt.value;
    text +=
        QLatin1String("  ") + form.leftJustified(kOptionWidth) +
        QString(opt.help).replace(QLatin1Char('\n'), QLatin1Char('\n') + QString(2 + kOptionWidth, QLatin1Char(' '))) +
        QLatin1Char('\n');
  }
  return text +
         QStringLiteral(
             "\n"
             "Messages go to standard output, one line each; progress goes to standard error.\n"
             "QUORVIN_HID_SOCKET=PATH uses the virtual repeater of `quorvin-sim --hid-socket PATH` instead of USB;\n"
             "QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT the one of `quorvin-sim --hid-tcp 127.0.0.1:PORT` (one unit);\n"
             "QUORVIN_HID_SOCKET=DIR the units of `quorvin-sim --hid-socket DIR --units N`.\n"
             "With several repeaters attached a USB command needs --device (or QUORVIN_DEVICE); it refuses\n"
             "rather than guess (status 2), and only one process drives a repeater at a time (status 7).\n"
             "\n"
             "exit status:\n"
             "  0    success\n"
             "  1    the device refused, did not answer, or the transfer failed\n"
             "  2    bad usage or invalid input, or several repeaters and none chosen (nothing was sent)\n"
             "  3    no repeater found on the USB link, or the serial port could not be opened\n"
             "  4    permission denied on the device or port (install the udev rule: quorvinctl udev-rule)\n"
             "  5    file error: the file cannot be read or written, or is too large\n"
             "  6    the serial transfer ended without a verdict from the device\n"
             "  7    the device or port is busy: another process holds it (see --wait-lock)\n"
             "  130  interrupted (Ctrl+C); the link is released and no partial file is left\n");
}

}  // namespace quorvin::cli
