#include "cli/CliOptions.h"

#include <QRegularExpression>
#include <algorithm>
#include <climits>

#include "cli/Grammar.h"

namespace quorvin::cli {

namespace {

// How many edits (a letter put in, left out, changed, or two neighbours swapped) turn one text
// into the other.
int Distance(const QString& a, const QString& b) {
  const qsizetype n = a.size();
  const qsizetype m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
  for (qsizetype i = 0; i <= n; ++i) d[i][0] = int(i);
  for (qsizetype j = 0; j <= m; ++j) d[0][j] = int(j);
  for (qsizetype i = 1; i <= n; ++i) {
    for (qsizetype j = 1; j <= m; ++j) {
      const int change = a[i - 1].toLower() == b[j - 1].toLower() ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[n][m];
}

// A slip of the keyboard rather than another word: about one edit in four letters.
bool Near(int distance, const QString& known) { return distance <= std::max<qsizetype>(1, known.size() / 4); }

// The option names nearest to one not in the grammar ("--verfy": "--verify").
QStringList NearOptions(const QString& typed) {
  QStringList best;
  int bestDistance = INT_MAX;
  for (const Option& opt : OptionTable()) {
    const int d = Distance(typed, opt.name);
    if (!Near(d, opt.name) || d > bestDistance) continue;
    if (d < bestDistance) best.clear();
    bestDistance = d;
    best << opt.name;
  }
  return best;
}

// The commands a line that names none probably meant: the ones its words begin (`backup`: backup
// download or backup read), else the nearest by spelling, a command that takes as many words as
// were given first (`frequency read`: frequency get, not frequency set HZ).
std::vector<const Command*> NearCommands(const QStringList& rest) {
  QStringList words;
  for (const QString& w : rest) {
    if (w.startsWith(QLatin1String("--"))) break;
    words << w;
  }
  std::vector<const Command*> near;
  for (const Command& c : CommandTable())
    if (c.words.size() > words.size() && c.words.mid(0, words.size()) == words) near.push_back(&c);
  if (!near.empty()) return near;
  const Command* pick = nullptr;
  int best = INT_MAX;
  bool pickFits = false;
  for (const Command& c : CommandTable()) {
    const QString known = c.words.join(QLatin1Char(' '));
    // Against as many words as the command has, and against all of them (`udev rule`: udev-rule).
    const int d = std::min(Distance(words.mid(0, c.words.size()).join(QLatin1Char(' ')), known),
                           Distance(words.join(QLatin1Char(' ')), known));
    if (!Near(d, known)) continue;
    const bool fits = words.size() == c.words.size() + (c.argument == Argument::None ? 0 : 1);
    if (d < best || (d == best && fits && !pickFits)) {
      pick = &c;
      best = d;
      pickFits = fits;
    }
  }
  if (pick) near.push_back(pick);
  return near;
}

// A word as a shell takes it back, for a line the user can copy.
QString ShellWord(const QString& w) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=@%+,-]+$"));
  if (plain.match(w).hasMatch()) return w;
  return QLatin1Char('\'') + QString(w).replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\'');
}

QString Line(const QStringList& words) {
  QStringList shown{QStringLiteral("quorvinctl")};
  for (const QString& w : words) shown << ShellWord(w);
  return shown.join(QLatin1Char(' '));
}

void Set(CliOptions& o, const Option& opt, const QString& value) {
  if (const auto* flag = std::get_if<bool CliOptions::*>(&opt.field)) o.*(*flag) = true;
  if (const auto* text = std::get_if<QString CliOptions::*>(&opt.field)) o.*(*text) = value;
  if (const auto* maybe = std::get_if<std::optional<QString> CliOptions::*>(&opt.field)) o.*(*maybe) = value;
}

}  // namespace

CliOptions ParseCli(const QStringList& args, const QList<QByteArray>& raw) {
  CliOptions o;
  // Qt decodes arguments as UTF-8, a sequence that is not turning into U+FFFD: such a value would
  // name another file or unit than the one given.
  const auto valueAt = [&](qsizetype k, const QString& option) {
    const bool faithful = raw.size() != args.size() || QString::fromUtf8(raw[k]).toUtf8() == raw[k];
    if (o.notUtf8Option.isEmpty() && !faithful) o.notUtf8Option = option;
  };
  // The first fault found is the one told; the walk goes on past it, so --json is seen wherever it
  // stands, and the command named still gives the refusal its usage line.
  const auto refuse = [&o](const QString& error, const QStringList& near = {},
                           const std::vector<const Command*>& usage = {}) {
    if (!o.error.isEmpty()) return;
    o.error = error;
    o.nearMisses = near;
    if (!usage.empty()) o.usageOf = usage;
  };
  // The value of `opt`, at args[k + 1]; false once the line is refused for it.
  const auto readValue = [&](const Option& opt, qsizetype& k, QString& value) {
    if (!opt.TakesValue()) return true;
    if (k + 1 >= args.size()) {
      refuse(opt.name + QStringLiteral(" needs a value"));
      return false;
    }
    value = args[++k];
    valueAt(k, opt.name);
    if (!opt.allowed.isEmpty() && !opt.allowed.contains(value)) {
      refuse(opt.name + QStringLiteral(" takes ") + OneOf(opt.allowed));
      return false;
    }
    if (!opt.nonEmpty.isEmpty() && value.isEmpty()) {
      refuse(opt.name + QStringLiteral(" needs ") + opt.nonEmpty);
      return false;
    }
    return true;
  };

  // Before the command: the options, and any of the command's switches, taken once the command
  // shows it takes them (`--snapshot init-buttons` is as clear as `init-buttons --snapshot`).
  QStringList given;                                       // the options set
  std::vector<std::pair<const Option*, qsizetype>> early;  // the switches, and where they stand
  qsizetype at = 0;
  for (; at < args.size() && args[at].startsWith(QLatin1String("--")); ++at) {
    const Option* opt = FindOption(args[at]);
    if (!opt) {
      refuse(QStringLiteral("unknown option ") + args[at], NearOptions(args[at]));
      continue;
    }
    QString value;
    if (!readValue(*opt, at, value)) continue;
    Set(o, *opt, value);
    if (opt->of)
      early.emplace_back(opt, at - (opt->TakesValue() ? 1 : 0));
    else
      given << opt->name;
  }
  if ((o.help || o.toolVersion) && o.error.isEmpty()) return o;
  const QStringList rest = args.mid(at);
  o.command = rest;
  if (rest.isEmpty()) {
    if (early.empty()) {
      refuse(QStringLiteral("no command given"));
      return o;
    }
    // A switch with no command after it (its value may have taken the command's place: `--file doctor`).
    const auto [sw, where] = early.front();
    const std::vector<const Command*> takers = CommandsTaking(*sw->of);
    QString error = sw->name + QStringLiteral(" goes after its command");
    if (takers.size() == 1) {
      const qsizetype after = where + (sw->TakesValue() ? 2 : 1);
      QStringList fixed = args.mid(0, where) + args.mid(after, at - after);
      fixed << takers.front()->words;
      if (takers.front()->argument != Argument::None) fixed << ArgumentName(takers.front()->argument);
      fixed << sw->name;
      if (sw->TakesValue()) fixed << sw->value;
      error += QStringLiteral(": ") + Line(fixed);
    }
    refuse(error, {}, takers);
    return o;
  }
  // Anywhere on the line: `version --baud 9600` is told that --baud needs --port, not where it goes.
  for (const Option& opt : OptionTable())
    if (!opt.needs.isEmpty() && args.contains(opt.name) && !given.contains(opt.needs))
      refuse(opt.name + QStringLiteral(" needs ") + opt.needs);

  const Command* c = nullptr;
  for (const Command& candidate : CommandTable())
    if (rest.mid(0, candidate.words.size()) == candidate.words && (!c || candidate.words.size() > c->words.size()))
      c = &candidate;
  if (!c) {
    const std::vector<const Command*> near = NearCommands(rest);
    QStringList forms;
    for (const Command* n : near) forms << n->words.join(QLatin1Char(' '));
    refuse(QStringLiteral("bad command: ") + rest.join(QLatin1Char(' ')), forms, near);
    return o;
  }
  o.what = c;
  o.usageOf = {c};
  for (const auto& sw : early)
    if (!c->Takes(*sw.first->of)) refuse(sw.first->name + QStringLiteral(" does not go with ") + c->operation);

  // After the command's words: its argument and its switches, in any order; a word that names an
  // option is that option, never the argument.
  QStringList command = c->words;
  bool argumentGiven = false;
  for (qsizetype k = at + c->words.size(); k < args.size(); ++k) {
    const QString& word = args[k];
    const Option* opt = FindOption(word);
    if (opt && opt->field == Field(&CliOptions::help)) {
      o.help = true;  // `version --help`: help is what was asked for
    } else if (opt && !opt->of) {
      // An option after the command: where it goes is told with the whole line put right, since
      // after a command its value could be taken for the command's argument.
      if (opt->field == Field(&CliOptions::json)) o.json = true;  // the refusal is an object too
      QStringList moved{opt->name};
      qsizetype end = k + 1;
      if (opt->TakesValue()) moved << (k + 1 < args.size() ? args[end++] : opt->value);
      const QStringList fixed = args.mid(0, at) + moved + args.mid(at, k - at) + args.mid(end);
      refuse(opt->name + QStringLiteral(" goes before the command: ") + Line(fixed));
      k = end - 1;
    } else if (opt) {
      QString value;
      if (!readValue(*opt, k, value)) continue;
      if (!c->Takes(*opt->of)) {
        refuse(opt->name + QStringLiteral(" does not go with ") + c->operation);
        continue;
      }
      Set(o, *opt, value);
    } else if (c->argument != Argument::None && !argumentGiven) {
      argumentGiven = true;
      command << word;
      if (raw.size() == args.size()) o.fileArgBytes = raw[k];
    } else if (word.startsWith(QLatin1String("--"))) {
      refuse(QStringLiteral("unknown option ") + word, NearOptions(word));
    } else {
      refuse(QStringLiteral("bad command: ") + rest.join(QLatin1Char(' ')));
    }
  }
  if (o.help && o.error.isEmpty()) return o;
  if (c->argument != Argument::None && !argumentGiven)
    refuse(c->operation + QStringLiteral(" needs ") + ArgumentName(c->argument));
  for (const Option& opt : OptionTable()) {
    if (opt.onlyWith.isEmpty()) continue;
    const bool set = given.contains(opt.name);
    if (!set && opt.required && c->operation == opt.onlyWith)
      refuse(opt.onlyWith + QStringLiteral(" needs ") + opt.name + QLatin1Char(' ') + opt.value);
    if (set && c->operation != opt.onlyWith)
      refuse(opt.name + QStringLiteral(" works with ") + opt.onlyWith + QStringLiteral(" only"));
  }
  o.command = command;
  return o;
}

}  // namespace quorvin::cli
