// quorvinctl's command line against its grammar: where each word lands, and why a line that cannot
// run is refused, found before anything is opened.

#include <gtest/gtest.h>

#include "cli/CliOptions.h"
#include "cli/Grammar.h"

namespace quorvin::cli {
namespace {

std::string Error(const QStringList& args) { return ParseCli(args).error.toStdString(); }

TEST(CliParse, OptionsAndSwitchesSetTheirFields) {
  CliOptions o = ParseCli({"--lang", "zh", "--port", "ttyUSB0", "--baud", "9600", "--json", "backup", "download",
                           "f.bin", "--verify", "--snapshot"});
  ASSERT_EQ(o.error.toStdString(), "");
  EXPECT_EQ(o.language, QStringLiteral("zh"));
  EXPECT_EQ(o.port, "ttyUSB0");
  EXPECT_EQ(o.baud, "9600");
  EXPECT_TRUE(o.json && o.verify && o.snapshot && !o.force);
  ASSERT_TRUE(o.what);
  EXPECT_EQ(o.what->operation, "backup download");
  EXPECT_EQ(o.command, QStringList({"backup", "download", "f.bin"}));
  // A switch may stand before the argument; a switch's value is taken whatever it looks like.
  o = ParseCli({"restore", "--force", "snap"});
  EXPECT_TRUE(o.force);
  EXPECT_EQ(o.command.last(), "snap");
  EXPECT_EQ(ParseCli({"doctor", "--file", "--verify"}).checkFile, "--verify");
  EXPECT_EQ(ParseCli({"history", "--since", "2026-12-01"}).since, "2026-12-01");
  EXPECT_TRUE(ParseCli({"devices", "--probe"}).probe);
  EXPECT_TRUE(ParseCli({"version", "--help"}).help);
  // --version is the program's own and needs no command; `version` asks the device.
  o = ParseCli({"--version"});
  EXPECT_TRUE(o.toolVersion);
  EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
  EXPECT_FALSE(ParseCli({"version"}).toolVersion);
}

TEST(CliParse, ASwitchBeforeItsCommandIsTakenWhenTheCommandTakesIt) {
  CliOptions o = ParseCli({"--snapshot", "--json", "init-buttons"});
  EXPECT_EQ(o.error.toStdString(), "");
  EXPECT_TRUE(o.snapshot && o.json);
  EXPECT_EQ(ParseCli({"--since", "2026-12-01", "history"}).since, "2026-12-01");
  EXPECT_EQ(Error({"--verify", "version"}), "--verify does not go with version");
  // Its value took the command's place, or no command follows: the fix is spelt out.
  EXPECT_EQ(Error({"--lang", "en", "--file", "doctor"}),
            "--file goes after its command: quorvinctl --lang en doctor --file FILE");
  EXPECT_EQ(Error({"--snapshot"}), "--snapshot goes after its command");
  EXPECT_EQ(ParseCli({"--snapshot"}).usageOf.size(), 4u);
}

TEST(CliParse, AnOptionAfterTheCommandIsAnsweredWithTheLinePutRight) {
  const CliOptions o = ParseCli({"version", "--json"});
  EXPECT_EQ(o.error.toStdString(), "--json goes before the command: quorvinctl --json version");
  EXPECT_TRUE(o.json);  // the refusal is the one object asked for
  EXPECT_EQ(Error({"--port", "x", "upgrade", "my fw.bin", "--record", "r.txt"}),
            "--record goes before the command: quorvinctl --port x --record r.txt upgrade 'my fw.bin'");
}

TEST(CliParse, RefusedLinesSayWhy) {
  const struct {
    QStringList args;
    std::string error;
  } cases[] = {
      {{}, "no command given"},
      {{"frequency"}, "bad command: frequency"},
      {{"version", "extra"}, "bad command: version extra"},
      {{"--bogus", "version"}, "unknown option --bogus"},
      {{"--port"}, "--port needs a value"},
      {{"--lang", "fr", "version"}, "--lang takes zh or en"},
      {{"--port", "x", "--baud", "1200", "version"}, "--baud takes 9600, 57600 or 115200"},
      {{"--baud", "9600", "version"}, "--baud needs --port"},
      {{"version", "--baud", "9600"}, "--baud needs --port"},
      // Empty names would quietly mean the USB link, or whichever repeater is attached.
      {{"--port", "", "version"}, "--port needs a port name"},
      {{"--device", "", "version"}, "--device needs a device selector"},
      {{"upgrade"}, "upgrade needs FILE"},
      {{"upgrade", "--snapshot"}, "upgrade needs FILE"},
      {{"history", "--since"}, "--since needs a value"},
      {{"backup", "read", "f", "--verify"}, "--verify does not go with backup read"},
      {{"station", "r.toml"}, "station needs --report FILE"},
      {{"--ask-id", "version"}, "--ask-id works with station only"},
  };
  for (const auto& c : cases) EXPECT_EQ(Error(c.args), c.error) << c.args.join(' ').toStdString();
}

TEST(CliParse, JsonIsSeenWhereverItStands) {
  const QList<QStringList> lines = {
      {"--json", "--bogus", "version"},
      {"--bogus", "--json", "version"},
      {"--lang", "en", "--json", "frequency"},
      {"--json", "--port"},
      {"--json", "--lang", "fr", "version"},
      {"--json", "--baud", "9600", "version"},
      {"--json"},
      {"--json", "--port", "", "version"},
      {"frequency", "get", "--json"},
  };
  for (const QStringList& args : lines) {
    const CliOptions o = ParseCli(args);
    EXPECT_TRUE(o.json && !o.error.isEmpty()) << args.join(' ').toStdString();
  }
}

TEST(CliParse, NearMissesAreNamed) {
  const struct {
    QStringList args;
    QStringList near;
  } cases[] = {
      {{"verison"}, {"version"}},
      {{"udev", "rule"}, {"udev-rule"}},
      {{"--jsno", "version"}, {"--json"}},
      {{"backup", "download", "f", "--verfy"}, {"--verify"}},
      {{"xyzzy"}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCli(c.args).nearMisses, c.near) << c.args.join(' ').toStdString();
}

TEST(CliParse, ValuesNotInUtf8AsGivenAreNamed) {
  const QByteArray bytes("\xff.bin");
  const QString decoded = QString::fromUtf8(bytes);
  const auto parse = [&](const QStringList& args) {
    QList<QByteArray> raw;
    for (const QString& a : args) raw << (a == decoded ? bytes : a.toUtf8());
    return ParseCli(args, raw);
  };
  EXPECT_EQ(parse({"doctor", "--file", decoded}).notUtf8Option, "--file");
  EXPECT_EQ(parse({"--file", decoded, "doctor"}).notUtf8Option, "--file");
  EXPECT_EQ(parse({"--record", decoded, "version"}).notUtf8Option, "--record");
  // The FILE argument is judged by the run, on its bytes as given, wherever the switches stand.
  const CliOptions file = parse({"backup", "download", "--verify", decoded});
  EXPECT_EQ(file.notUtf8Option, "");
  EXPECT_EQ(file.fileArgBytes, bytes);
  // Without the bytes (Windows hands the arguments over as UTF-16), Qt's reading stands.
  EXPECT_EQ(ParseCli({"--record", QString::fromUtf8("Jos\xc3\xa9.rec"), "version"}).notUtf8Option, "");
}

}  // namespace
}  // namespace quorvin::cli
