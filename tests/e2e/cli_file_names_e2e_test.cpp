// FILE arguments quorvinctl cannot take as given: a name whose bytes are not UTF-8 (Qt would
// read it as another name) and an empty name (which must not become the current folder). Both are
// refused before the device hears anything, and no file appears under another name.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;
using test::SimProcess;

// Runs quorvinctl in `dir` with `args`, the word "@RAW@" among them replaced by the bytes of
// `printfValue` (a printf format, e.g. "\\377.bin"): QProcess would encode a QString argument, so
// the shell makes the raw bytes.
CtlRun RunWithRawValue(const QStringList& args, const char* printfValue, const QString& socket, const QString& dir) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QUORVIN_HID_SOCKET"), socket);
  env.insert(QStringLiteral("RAW_VALUE"), QString::fromLatin1(printfValue));
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(dir);
  p.start(QStringLiteral("/bin/sh"), QStringList{"-c",
                                                 R"sh(raw=$(printf "$RAW_VALUE"); for a; do
                             if [ "$a" = @RAW@ ]; then set -- "$@" "$raw"; else set -- "$@" "$a"; fi; shift
                           done; exec "$0" "$@")sh",
                                                 QStringLiteral(QUORVINCTL_BINARY)} +
                                         args);
  CtlRun run;
  if (!p.waitForFinished(30'000)) return run;
  run.exitCode = p.exitCode();
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

// The same with the raw file name last, before the command's switches `after`.
CtlRun RunWithRawName(const QStringList& args, const char* printfName, const QString& socket, const QString& dir,
                      const QString& after = {}) {
  return RunWithRawValue(args + QStringList{"@RAW@"} + after.split(QLatin1Char(' '), Qt::SkipEmptyParts), printfName,
                         socket, dir);
}

// Names in `dir` as raw bytes, sorted.
QList<QByteArray> RawNames(const QString& dir) {
  QList<QByteArray> names;
  if (DIR* d = ::opendir(QFile::encodeName(dir).constData())) {
    while (const dirent* e = ::readdir(d)) {
      const QByteArray name(e->d_name);
      if (name != "." && name != "..") names << name;
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CtlFileNames, NamesThatAreNotUtf8AreRefusedBeforeAnythingIsSent) {
  QTemporaryDir dir;
  SimProcess sim({"--trace"});
  ASSERT_TRUE(sim.Ready());
  const QByteArray rawPath = QFile::encodeName(dir.path()) + "/\xff.bin";
  const int fd = ::open(rawPath.constData(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "firmware", 8), 8);
  ::close(fd);
  const QList<QByteArray> before = RawNames(dir.path());

  // A read-back would otherwise write its data under a name the user never gave.
  CtlRun r = RunWithRawName({"--lang", "en", "backup", "read"}, "\\377.bin", sim.SocketPath(), dir.path());
  EXPECT_EQ(r.exitCode, 2) << r.out.toStdString() << r.err.toStdString();
  ASSERT_EQ(r.OutLines().size(), 1) << r.out.toStdString();
  EXPECT_TRUE(r.OutLines()[0].endsWith(" is not valid UTF-8: rename the file and try again.")) << r.out.toStdString();
  EXPECT_EQ(RawNames(dir.path()), before);

  r = RunWithRawName({"--lang", "zh", "--json", "upgrade"}, "\\377.bin", sim.SocketPath(), dir.path());
  EXPECT_EQ(r.exitCode, 2);
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(o["outcome"].toString(), "invalid-input");
  EXPECT_EQ(o["code"].toString(), "invalid-input");
  EXPECT_TRUE(o["messages"].toArray().at(0).toString().contains(QString::fromUtf8("不是有效的 UTF-8 编码")))
      << r.out.toStdString();

  // The name is found before the command's own switches too.
  r = RunWithRawName({"--lang", "en", "backup", "download"}, "\\377.bin", sim.SocketPath(), dir.path(), "--verify");
  EXPECT_EQ(r.exitCode, 2) << r.out.toStdString() << r.err.toStdString();

  EXPECT_FALSE(sim.Output().contains("host>")) << sim.Output().toStdString();

  // A UTF-8 name beside it goes through.
  r = RunWithRawName({"--lang", "en", "backup", "read"}, "caf\\303\\251.bin", sim.SocketPath(), dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromUtf8("café.bin"))));
}

TEST(CtlFileNames, OptionValuesThatAreNotUtf8AreRefusedBeforeAnythingIsDone) {
  QTemporaryDir dir;
  SimProcess sim({"--trace"});
  ASSERT_TRUE(sim.Ready());
  ASSERT_TRUE(test::WriteFile(dir.filePath("r.toml"), "[[step]]\ndo = \"init-buttons\"\n"));
  const QList<QByteArray> before = RawNames(dir.path());
  const struct {
    QStringList args;
    const char* option;
  } cases[] = {
      {{"--report", "@RAW@", "station", "r.toml"}, "--report"},
      {{"--record", "@RAW@", "version"}, "--record"},
      {{"--device", "@RAW@", "version"}, "--device"},
      {{"doctor", "--file", "@RAW@"}, "--file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CtlRun r =
        RunWithRawValue(QStringList{"--lang", "en"} + c.args, "\\377rep.jsonl", sim.SocketPath(), dir.path());
    EXPECT_EQ(r.exitCode, 2) << r.out.toStdString() << r.err.toStdString();
    ASSERT_EQ(r.OutLines().size(), 1) << r.out.toStdString();
    EXPECT_TRUE(r.OutLines()[0].startsWith(QStringLiteral("The value given to %1 is not valid UTF-8").arg(c.option)))
        << r.out.toStdString();
  }
  // One object with --json, in the user's language.
  const CtlRun r = RunWithRawValue({"--lang", "zh", "--json", "--record", "@RAW@", "version"}, "\\377.rec",
                                   sim.SocketPath(), dir.path());
  EXPECT_EQ(r.exitCode, 2);
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(o["code"].toString(), "usage-error");
  EXPECT_TRUE(o["messages"].toArray().at(0).toString().contains(QString::fromUtf8("不是有效的 UTF-8 编码")))
      << r.out.toStdString();
  EXPECT_EQ(RawNames(dir.path()), before);
  EXPECT_FALSE(sim.Output().contains("host>")) << sim.Output().toStdString();
}

TEST(CtlFileNames, AnEmptyNameStaysEmpty) {
  SimProcess sim({"--trace"});
  ASSERT_TRUE(sim.Ready());
  for (const QStringList& command :
       {QStringList{"backup", "read"}, QStringList{"upgrade"}, QStringList{"backup", "download"}}) {
    SCOPED_TRACE(command.join(' ').toStdString());
    const CtlRun r = RunCtl(QStringList{"--lang", "en", "--json"} + command + QStringList{""}, sim.SocketPath());
    EXPECT_EQ(r.exitCode, 5) << r.out.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o["outcome"].toString(), "file-error");
    ASSERT_TRUE(o["result"].toObject().contains("file"));
    EXPECT_EQ(o["result"].toObject()["file"].toString(), "");
    EXPECT_FALSE(r.out.contains(QDir::currentPath())) << r.out.toStdString();
  }
  EXPECT_FALSE(sim.Output().contains("host>")) << sim.Output().toStdString();
}

}  // namespace
}  // namespace quorvin
