// Several repeaters over TCP, as the Windows build reaches them: quorvinctl against
// `quorvin-sim --hid-tcp 127.0.0.1:0 --units N`, every unit on the one port.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include "CtlProcess.h"
#include "support/SimProcess.h"

namespace quorvin::test {
namespace {

QJsonObject Json(const CtlRun& r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }
QJsonArray Devices(const CtlRun& r) { return Json(r)["result"].toObject()["devices"].toArray(); }

TEST(SimTcpUnitsE2e, EachUnitIsListedWithItsSerialAndDrivenAlone) {
  SimProcess sim(SimProcess::OverTcp{}, SimProcess::Units{3}, {});
  ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();
  ASSERT_TRUE(sim.SocketPath().endsWith(QLatin1String("/3"))) << sim.SocketPath().toStdString();

  const CtlRun list = RunCtl({"--json", "devices"}, sim.SocketPath());
  ASSERT_EQ(list.exitCode, 0) << list.out.toStdString();
  const QJsonArray devices = Devices(list);
  ASSERT_EQ(devices.size(), 3) << list.out.toStdString();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(devices.at(i).toObject()["serial"].toString(), QStringLiteral("QV000%1").arg(i + 1));
    EXPECT_EQ(devices.at(i).toObject()["location"].toString(), QStringLiteral("sim:%1").arg(i + 1));
  }
  EXPECT_EQ(Json(RunCtl({"--json", "version"}, sim.SocketPath()))["code"].toString(), "ambiguous-device");

  ASSERT_EQ(RunCtl({"--device", "sim:2", "frequency", "set", "400000000"}, sim.SocketPath()).exitCode, 0);
  EXPECT_EQ(RunCtl({"--device", "sn:QV0002", "frequency", "get"}, sim.SocketPath()).out.trimmed(), "400000000");
  EXPECT_EQ(RunCtl({"--device", "sim:1", "frequency", "get"}, sim.SocketPath()).out.trimmed(), "315600000");
  EXPECT_EQ(RunCtl({"--device", "sn:QV0003", "frequency", "get"}, sim.SocketPath()).out.trimmed(), "315600000");
}

TEST(SimTcpUnitsE2e, ASharedSerialIsWarnedAboutAndEachUnitHasItsOwnLock) {
  // Every reply comes 0.8 s late, so a run holds its unit that long.
  SimProcess sim(SimProcess::OverTcp{}, SimProcess::Units{2}, {"--duplicate-serial", "--delay-ms", "800"});
  ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();
  const CtlRun list = RunCtl({"--json", "--lang", "en", "devices"}, sim.SocketPath());
  ASSERT_EQ(Devices(list).size(), 2) << list.out.toStdString();
  EXPECT_TRUE(Devices(list).at(1).toObject()["duplicateSerial"].toBool());
  EXPECT_EQ(Devices(list).at(0).toObject()["identity"].toString(), "sim:1");
  EXPECT_TRUE(Json(list)["messages"].toArray().at(0).toString().contains("QV0001")) << list.out.toStdString();

  QProcess holder;
  StartCtl(holder, {"--device", "sim:1", "frequency", "get"}, sim.SocketPath());
  QThread::msleep(300);
  const CtlRun busy = RunCtl({"--json", "--device", "sim:1", "version"}, sim.SocketPath());
  EXPECT_EQ(busy.exitCode, 7) << busy.out.toStdString();
  const CtlRun other = RunCtl({"--device", "sim:2", "frequency", "get"}, sim.SocketPath());
  EXPECT_EQ(other.exitCode, 0) << other.out.toStdString() << other.err.toStdString();
  ASSERT_TRUE(holder.waitForFinished(10000));
  EXPECT_EQ(holder.exitCode(), 0);
}

TEST(SimTcpUnitsE2e, UnitsWithoutSerialNumbersComeAndGoWithReplugging) {
  SimProcess sim(SimProcess::OverTcp{}, SimProcess::Units{2}, {"--no-serial", "--replug-every", "400"});
  ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();
  bool sawNone = false;
  bool sawBoth = false;
  QDeadlineTimer deadline(8000);
  while (!(sawNone && sawBoth) && !deadline.hasExpired()) {
    const QJsonArray devices = Devices(RunCtl({"--json", "devices"}, sim.SocketPath()));
    sawNone = sawNone || devices.isEmpty();
    if (devices.size() == 2) {
      sawBoth = true;
      EXPECT_EQ(devices.at(1).toObject()["serial"].toString(), "");
      EXPECT_EQ(devices.at(1).toObject()["identity"].toString(), "sim:2");
    }
    QThread::msleep(50);
  }
  EXPECT_TRUE(sawNone) << "the units never went";
  EXPECT_TRUE(sawBoth) << "the units never came back";
}

}  // namespace
}  // namespace quorvin::test
