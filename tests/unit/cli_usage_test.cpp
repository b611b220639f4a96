// What quorvinctl answers a refused line with, on standard error and as --json's object, and the
// usage --help prints, both drawn from the grammar.

#include <gtest/gtest.h>

#include <QJsonArray>

#include "cli/Usage.h"

namespace quorvin::cli {
namespace {

std::string Answer(const QStringList& args) { return UsageErrorText(ParseCli(args)).toStdString(); }

TEST(CliUsage, ARefusedLineShowsItsErrorItsCommandsLineAndTheWayToHelp) {
  // The command that takes as many words as were given: not `frequency set HZ`.
  EXPECT_EQ(Answer({"frequency", "read"}),
            "quorvinctl: bad command: frequency read\n"
            "did you mean `frequency get`?\n"
            "usage: quorvinctl [options] frequency get\n"
            "see quorvinctl --help\n");
  EXPECT_EQ(Answer({"backup"}),
            "quorvinctl: bad command: backup\n"
            "did you mean `backup download` or `backup read`?\n"
            "usage: quorvinctl [options] backup download FILE [--verify] [--snapshot]\n"
            "       quorvinctl [options] backup read FILE\n"
            "see quorvinctl --help\n");
  EXPECT_EQ(Answer({"--lang", "fr", "station", "r.toml"}),
            "quorvinctl: --lang takes zh or en\n"
            "usage: quorvinctl [options] --report FILE [--ask-id] station FILE\n"
            "see quorvinctl --help\n");
  EXPECT_EQ(Answer({"xyzzy"}),
            "quorvinctl: bad command: xyzzy\n"
            "usage: quorvinctl [options] COMMAND\n"
            "see quorvinctl --help\n");
}

TEST(CliUsage, TheJsonRefusalKeepsItsFields) {
  const QJsonObject o = UsageErrorJson(ParseCli({"--json", "frequency", "read"}));
  EXPECT_EQ(o["operation"].toString(), "frequency");
  EXPECT_FALSE(o["success"].toBool(true));
  EXPECT_EQ(o["outcome"].toString(), "usage-error");
  EXPECT_EQ(o["code"].toString(), "usage-error");
  EXPECT_EQ(o["exitCode"].toInt(), 2);
  EXPECT_TRUE(o["messages"].toArray().isEmpty() && o["result"].toObject().isEmpty());
  EXPECT_EQ(o["error"].toString(), "bad command: frequency read");
  EXPECT_EQ(o["detail"].toString(), o["error"].toString());
  EXPECT_EQ(o["usage"].toString(), "quorvinctl [options] frequency get");
  EXPECT_EQ(o["suggestions"].toArray(), QJsonArray({"frequency get"}));
}

TEST(CliUsage, HelpListsEveryCommandWithItsSwitches) {
  const QString text = UsageText();
  EXPECT_TRUE(text.startsWith("usage: quorvinctl [--lang zh|en] [--port NAME [--baud 9600|57600|115200]]"));
  for (const Command& c : CommandTable())
    EXPECT_TRUE(text.contains("\n  " + CommandForm(c))) << c.operation.toStdString();
  // Every switch has its row, and some command takes it.
  for (const Switch s : {Switch::Verify, Switch::Snapshot, Switch::Force, Switch::Since, Switch::File, Switch::Probe}) {
    EXPECT_EQ(SwitchRow(s).of, s);
    EXPECT_FALSE(CommandsTaking(s).empty()) << SwitchRow(s).name.toStdString();
  }
  EXPECT_TRUE(text.contains("exit status"));
}

}  // namespace
}  // namespace quorvin::cli
