// One repeater, one writer, the right unit: a unit being driven is held by a lock that every
// process on the machine meets, whatever its environment and whatever else is plugged in, and a
// snapshot goes back only onto the unit it was taken from.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "SimProcess.h"

namespace quorvin {
namespace {

using test::RunCtl;

QJsonObject Json(const test::CtlRun& r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }

// A download under way: its first packet is out and it sits in the device's pause, holding the unit.
void StartHolder(QProcess& holder, const QStringList& args, const QString& socket) {
  test::StartCtl(holder, args, socket);
  QString seen;
  ASSERT_TRUE(test::WaitForError(holder, "currently 1 data package", 15000, &seen)) << seen.toStdString();
}

TEST(Identity, OneLockForEveryProcessWhateverItsEnvironment) {
  test::SimProcess sim;
  ASSERT_TRUE(sim.Ready());
  QTemporaryDir dir;
  ASSERT_TRUE(test::WriteFile(dir.filePath("backup.bin"), test::Pattern(100, 1)));
  QProcess holder;
  StartHolder(holder, {"backup", "download", dir.filePath("backup.bin")}, sim.SocketPath());

  // As cron, sudo, ssh or a service would start it: another runtime folder or none, another home.
  QTemporaryDir elsewhere;
  const QList<std::function<void(QProcessEnvironment&)>> environments = {
      [](QProcessEnvironment& e) { e.remove("XDG_RUNTIME_DIR"); },
      [&](QProcessEnvironment& e) { e.insert("XDG_RUNTIME_DIR", elsewhere.path()); },
      [&](QProcessEnvironment& e) {
        e.insert("HOME", elsewhere.path());
        e.insert("TMPDIR", elsewhere.path());
      },
  };
  for (const auto& change : environments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    change(env);
    QProcess other;
    test::StartCtlIn(other, env, {"--json", "frequency", "set", "433920000"}, sim.SocketPath());
    ASSERT_TRUE(other.waitForFinished(15000));
    const QJsonObject o = QJsonDocument::fromJson(other.readAllStandardOutput()).object();
    EXPECT_EQ(other.exitCode(), 7) << QJsonDocument(o).toJson().toStdString();
    EXPECT_EQ(o["code"].toString(), "busy");
  }
  ASSERT_TRUE(holder.waitForFinished(30000));
  EXPECT_EQ(holder.exitCode(), 0);
  // Free again: the same command goes through.
  EXPECT_EQ(RunCtl({"frequency", "set", "433920000"}, sim.SocketPath()).exitCode, 0);
}

// Two units share a serial number, so unit 1 goes by its location; unplugging unit 2 makes the
// serial number unique and changes the unit's name, but not its lock.
TEST(Identity, TheLockStaysWhenASharedSerialStopsBeingShared) {
  test::SimProcess sim(test::SimProcess::Units{2}, {"--duplicate-serial"});
  ASSERT_TRUE(sim.Ready());
  QTemporaryDir dir;
  ASSERT_TRUE(test::WriteFile(dir.filePath("backup.bin"), test::Pattern(100, 2)));
  QProcess holder;
  StartHolder(holder, {"--device", "sim:1", "backup", "download", dir.filePath("backup.bin")}, sim.SocketPath());
  ASSERT_TRUE(QFile::remove(QDir(sim.SocketPath()).filePath("2.sock")));
  for (const QString selector : {"sim:1", "sn:QV0001"}) {
    const test::CtlRun r = RunCtl({"--json", "--device", selector, "frequency", "set", "433920000"}, sim.SocketPath());
    EXPECT_EQ(r.exitCode, 7) << selector.toStdString() << ": " << r.out.toStdString();
    EXPECT_EQ(Json(r)["result"].toObject()["device"].toString(), "sn:QV0001");
  }
  ASSERT_TRUE(holder.waitForFinished(30000));
  EXPECT_EQ(holder.exitCode(), 0);
}

// On a bench every unit plugged into one socket gets the same device path: the snapshot tells
// units apart by serial number, and a partial restore is said to be one.
TEST(Identity, RestoreKnowsTheUnitBySerialAndNamesWhatItCouldNotPutBack) {
  QTemporaryDir data;
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
  QTemporaryDir dir;
  const QString socket = dir.filePath("bench.sock");
  QString name;
  {
    test::SimProcess unitA({"--serial-number", "UNIT-A", "--frequency", "433920000"}, socket);
    ASSERT_TRUE(unitA.Ready());
    const test::CtlRun r = RunCtl({"--json", "snapshot"}, socket);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
    name = QFileInfo(Json(r)["result"].toObject()["snapshot"].toString()).fileName();
  }
  test::SimProcess unitB({"--serial-number", "UNIT-B"}, socket);
  ASSERT_TRUE(unitB.Ready());
  const test::CtlRun refused = RunCtl({"--lang", "en", "restore", name}, socket);
  EXPECT_EQ(refused.exitCode, 2) << refused.out.toStdString();
  EXPECT_TRUE(refused.out.contains("sn:UNIT-A") && refused.out.contains("sn:UNIT-B")) << refused.out.toStdString();
  EXPECT_EQ(RunCtl({"frequency", "get"}, socket).out.trimmed(), "315600000");  // nothing was sent

  // A frequency the unit cannot take: the backup goes back, the frequency does not, and it says so.
  const QString info = data.filePath("quorvin/snapshots/" + name + "/snapshot.json");
  for (const QByteArray& bad : {QByteArray("433920000.5")}) {
    QByteArray json = test::ReadFile(info);
    json.replace(QRegularExpression("\"frequency\": *[^,\\n]+").match(QString::fromUtf8(json)).captured(0).toUtf8(),
                 "\"frequency\": " + bad);
    ASSERT_TRUE(test::WriteFile(info, json));
    const test::CtlRun partial = RunCtl({"--json", "--lang", "en", "restore", name, "--force"}, socket);
    const QJsonObject o = Json(partial);
    EXPECT_EQ(partial.exitCode, 1) << bad.toStdString() << ": " << partial.out.toStdString();
    EXPECT_EQ(o["fault"].toString(), "out-of-range");
    EXPECT_TRUE(o["detail"].toString().startsWith("backup restored; frequency not restored"))
        << partial.out.toStdString();
    EXPECT_EQ(RunCtl({"frequency", "get"}, socket).out.trimmed(), "315600000");
  }
  qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
}  // namespace quorvin
