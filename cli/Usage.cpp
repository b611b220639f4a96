#include "cli/Usage.h"

#include <QJsonArray>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/Output.h"
#include "front/RunWords.h"

namespace quorvin::cli {

namespace {

// "--lang zh|en" in the usage line; nested options (--baud under --port) follow inside its brackets.
QString Synopsis(const Option& opt) {
  QString s = QLatin1Char('[') + opt.name;
  if (opt.TakesValue())
    s += QLatin1Char(' ') + (opt.allowed.isEmpty() ? opt.value : opt.allowed.join(QLatin1Char('|')));
  for (const Option& inner : OptionTable())
    if (inner.needs == opt.name) s += QLatin1Char(' ') + Synopsis(inner);
  return s + QLatin1Char(']');
}

QString Form(const Option& opt) { return opt.TakesValue() ? opt.name + QLatin1Char(' ') + opt.value : opt.name; }

// Where the usage's descriptions start, after "  " and the command or option.
constexpr int kCommandWidth = 25;
constexpr int kOptionWidth = 19;

// "  --port NAME        use the serial port ...", its further lines indented to the column.
QString OptionLine(const Option& opt) {
  const QString indent = QLatin1Char('\n') + QString(2 + kOptionWidth, QLatin1Char(' '));
  return QLatin1String("  ") + Form(opt).leftJustified(kOptionWidth) +
         QString(opt.help).replace(QLatin1Char('\n'), indent) + QLatin1Char('\n');
}

QStringList UsageLines(const CliOptions& refused) {
  QStringList lines;
  for (const Command* c : refused.usageOf) lines << CommandUsage(*c);
  if (lines.isEmpty()) lines << QStringLiteral("quorvinctl [options] COMMAND");
  return lines;
}

QStringList Quoted(const QStringList& words) {
  QStringList quoted;
  for (const QString& w : words) quoted << QLatin1Char('`') + w + QLatin1Char('`');
  return quoted;
}

}  // namespace

QString CommandForm(const Command& c) {
  QString form = c.words.join(QLatin1Char(' '));
  if (c.argument != Argument::None) form += QLatin1Char(' ') + ArgumentName(c.argument);
  for (const Switch s : c.switches) form += QStringLiteral(" [%1]").arg(Form(SwitchRow(s)));
  return form;
}

QString CommandUsage(const Command& c) {
  QString line = QStringLiteral("quorvinctl [options]");
  // The options only this command takes: the ones it needs, then the others.
  for (const bool needed : {true, false})
    for (const Option& opt : OptionTable())
      if (opt.onlyWith == c.operation && opt.required == needed)
        line += QLatin1Char(' ') + (needed ? Form(opt) : QStringLiteral("[%1]").arg(Form(opt)));
  return line + QLatin1Char(' ') + CommandForm(c);
}

QString UsageText() {
  QString text = QStringLiteral("usage: quorvinctl");
  for (const Option& opt : OptionTable())
    if (!opt.of && !opt.help.isEmpty() && opt.needs.isEmpty()) text += QLatin1Char(' ') + Synopsis(opt);
  text += QStringLiteral(" COMMAND\n\ncommands:\n");
  for (const Command& c : CommandTable()) {
    QString form = CommandForm(c);
    // A form too long for its column gets the description on a line of its own.
    if (form.size() >= kCommandWidth) form += QLatin1Char('\n') + QString(2 + kCommandWidth, QLatin1Char(' '));
    text += QLatin1String("  ") + form.leftJustified(kCommandWidth) + c.help + QLatin1Char('\n');
  }
  text += QStringLiteral("\noptions (before the command):\n");
  for (const Option& opt : OptionTable())
    if (!opt.of && !opt.help.isEmpty()) text += OptionLine(opt);
  text += QStringLiteral("\nswitches (after the command; each command above shows the ones it takes):\n");
  for (const Option& opt : OptionTable())
    if (opt.of) text += OptionLine(opt);
  return text +
         QStringLiteral(
             "\n"
             "Messages go to standard output, one line each; progress goes to standard error.\n"
             "QUORVIN_HID_SOCKET=PATH uses the virtual repeater of `quorvin-sim --hid-socket PATH` instead of USB;\n"
             "QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT the one of `quorvin-sim --hid-tcp 127.0.0.1:PORT` (one unit);\n"
             "QUORVIN_HID_SOCKET=DIR the units of `quorvin-sim --hid-socket DIR --units N`.\n"
             "With several repeaters attached a USB command needs --device (or QUORVIN_DEVICE); it refuses\n"
             "rather than guess (status 2), and only one process drives a repeater at a time (status 7).\n"
             "A refused command line is answered with the error and the usage line of its command (status 2).\n"
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

QString UsageErrorText(const CliOptions& refused) {
  QString text = QStringLiteral("quorvinctl: %1\n").arg(refused.error);
  if (!refused.nearMisses.isEmpty())
    text += QStringLiteral("did you mean %1?\n").arg(OneOf(Quoted(refused.nearMisses)));
  const QStringList lines = UsageLines(refused);
  for (qsizetype i = 0; i < lines.size(); ++i)
    text += (i == 0 ? QStringLiteral("usage: ") : QStringLiteral("       ")) + lines[i] + QLatin1Char('\n');
  return text + QStringLiteral("see quorvinctl --help\n");
}

QJsonObject UsageErrorJson(const CliOptions& refused) {
  const Verdict v = Judge(OpResult{}, /*lineRefused=*/true);
  QJsonObject o{{QStringLiteral("operation"), refused.command.value(0)},
                {QStringLiteral("success"), false},
                {QStringLiteral("outcome"), QStringLiteral("usage-error")},
                {QStringLiteral("code"), v.code},
                {QStringLiteral("exitCode"), v.exitCode},
                {QStringLiteral("messages"), QJsonArray()},
                {QStringLiteral("result"), QJsonObject()},
                {QStringLiteral("detail"), refused.error},
                {QStringLiteral("error"), refused.error},
                {QStringLiteral("usage"), UsageLines(refused).join(QLatin1Char('\n'))}};
  if (!refused.nearMisses.isEmpty()) o[QStringLiteral("suggestions")] = QJsonArray::fromStringList(refused.nearMisses);
  return o;
}

int ReportUsageError(const CliOptions& refused) {
  if (refused.json)
    PrintJson(UsageErrorJson(refused));
  else
    std::fputs(qUtf8Printable(UsageErrorText(refused)), stderr);
  return Judge(OpResult{}, /*lineRefused=*/true).exitCode;
}

int ShowHelp(bool json) {
  OpResult shown;
  shown.outcome = Outcome::Success;
  const Verdict v = Judge(shown);
  if (!json) {
    std::fputs(qPrintable(UsageText()), stdout);
    return v.exitCode;
  }
  PrintJson({{QStringLiteral("operation"), QStringLiteral("help")},
             {QStringLiteral("success"), true},
             {QStringLiteral("outcome"), OutcomeName(shown.outcome)},
             {QStringLiteral("code"), v.code},
             {QStringLiteral("exitCode"), v.exitCode},
             {QStringLiteral("messages"), QJsonArray()},
             {QStringLiteral("result"), QJsonObject()},
             {QStringLiteral("usage"), UsageText()}});
  return v.exitCode;
}

}  // namespace quorvin::cli
