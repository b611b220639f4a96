// Several repeaters on one PC: quorvinctl against `quorvin-sim --units N`, and two quorvinctl
// processes on one repeater.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CtlProcess.h"
#include "support/SimProcess.h"

namespace quorvin::test {
namespace {

QJsonObject Json(const CtlRun& r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }

QStringList Serials(const QJsonObject& o) {
  QStringList serials;
  for (const auto& d : o["result"].toObject()["devices"].toArray()) serials << d.toObject()["serial"].toString();
  return serials;
}

TEST(CtlDevices, SeveralUnitsAreListedAndOnlyTheChosenOneIsDriven) {
  SimProcess sim(SimProcess::Units{3}, {});
  ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();

  const CtlRun list = RunCtl({"--json", "devices"}, sim.SocketPath());
  EXPECT_EQ(list.exitCode, 0) << list.out.toStdString();
  EXPECT_EQ(Serials(Json(list)), QStringList({"QV0001", "QV0002", "QV0003"}));
  EXPECT_EQ(Json(list)["result"].toObject()["devices"].toArray().at(2).toObject()["location"].toString(), "sim:3");

  // Without a choice nothing is guessed: status 2, and the list says what there is to choose from.
  CtlRun r = RunCtl({"--lang", "en", "frequency", "set", "400000000"}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.out.contains("sn:QV0001") && r.out.contains("sn:QV0003")) << r.out.toStdString();
  r = RunCtl({"--json", "version"}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(Json(r)["code"].toString(), "ambiguous-device");

  r = RunCtl({"--device", "sn:QV0002", "frequency", "set", "400000000"}, sim.SocketPath());
  ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
  // The environment chooses too, and the option wins over it.
  EXPECT_EQ(RunCtl({"frequency", "get"}, sim.SocketPath(), 30000, "sim:2").out.trimmed(), "400000000");
  EXPECT_EQ(RunCtl({"--device", "sim:1", "frequency", "get"}, sim.SocketPath(), 30000, "sim:2").out.trimmed(),
            "315600000");
  EXPECT_EQ(RunCtl({"--device", "sim:3", "frequency", "get"}, sim.SocketPath()).out.trimmed(), "315600000");

  const CtlRun probe = RunCtl({"--json", "devices", "--probe"}, sim.SocketPath());
  ASSERT_EQ(probe.exitCode, 0);
  const QJsonArray probed = Json(probe)["result"].toObject()["devices"].toArray();
  ASSERT_EQ(probed.size(), 3);
  EXPECT_EQ(probed.at(1).toObject()["frequency"].toInt(), 400000000);
  EXPECT_EQ(probed.at(0).toObject()["version"].toString(), "V1.0");

  r = RunCtl({"--json", "--device", "sn:NOPE", "version"}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(Json(r)["code"].toString(), "no-device");
}

TEST(CtlDevices, ASharedSerialNumberFallsBackToTheLocationWithAWarning) {
  SimProcess sim(SimProcess::Units{3}, {"--duplicate-serial"});
  ASSERT_TRUE(sim.Ready());
  const CtlRun list = RunCtl({"--json", "--lang", "en", "devices"}, sim.SocketPath());
  const QJsonArray devices = Json(list)["result"].toObject()["devices"].toArray();
  ASSERT_EQ(devices.size(), 3);
  EXPECT_EQ(devices.at(0).toObject()["identity"].toString(), "sim:1");
  EXPECT_TRUE(devices.at(1).toObject()["duplicateSerial"].toBool());
  EXPECT_EQ(devices.at(2).toObject()["identity"].toString(), "sn:QV0003");
  EXPECT_TRUE(Json(list)["messages"].toArray().at(0).toString().contains("QV0001"));

  const CtlRun shared = RunCtl({"--json", "--device", "sn:QV0001", "version"}, sim.SocketPath());
  EXPECT_EQ(shared.exitCode, 2);
  EXPECT_EQ(Json(shared)["result"].toObject()["devices"].toArray().size(), 2);
  EXPECT_EQ(RunCtl({"--device", "sim:2", "version"}, sim.SocketPath()).exitCode, 0);
}

TEST(CtlDevices, ASecondProcessOnOneRepeaterIsBusyOrWaitsItsTurn) {
  // Every reply comes 0.8 s late (within the 1 s a reply is waited for), so the first run holds the
  // repeater that long.
  SimProcess sim({"--delay-ms", "800"});
  ASSERT_TRUE(sim.Ready());
  QProcess first;
  StartCtl(first, {"--lang", "en", "frequency", "get"}, sim.SocketPath());
  QString seen;  // its progress line: the unit is claimed and the request on its way
  ASSERT_TRUE(WaitForError(first, "Reading frequency", 10'000, &seen)) << seen.toStdString();

  const CtlRun busy = RunCtl({"--json", "version"}, sim.SocketPath());
  EXPECT_EQ(busy.exitCode, 7);
  EXPECT_EQ(Json(busy)["code"].toString(), "busy");
  EXPECT_TRUE(Json(busy)["messages"].toArray().at(0).toString().contains(QString::number(first.processId())));

  const CtlRun waited = RunCtl({"--wait-lock", "frequency", "get"}, sim.SocketPath());
  EXPECT_EQ(waited.exitCode, 0) << waited.out.toStdString() << waited.err.toStdString();
  EXPECT_EQ(waited.out.trimmed(), "315600000");
  ASSERT_TRUE(first.waitForFinished(10000));
  EXPECT_EQ(first.exitCode(), 0);
}

}  // namespace
}  // namespace quorvin::test
