// quorvinctl doctor on this machine, which has no repeater attached (nor has CI): a script gets one
// JSON object and status 1, and a file too large for USB is called out.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CtlProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;

QJsonObject FindingOf(const QJsonObject& o, const QString& check) {
  for (const QJsonValue& f : o["result"].toObject()["findings"].toArray())
    if (f.toObject()["check"].toString() == check) return f.toObject();
  return {};
}

TEST(CtlDoctor, NoRepeaterIsAProblemInOneObject) {
  const CtlRun r = RunCtl({"--lang", "en", "--json", "doctor"}, {});
  EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
  QJsonParseError error{};
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
  EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1);
  EXPECT_EQ(o["exitCode"].toInt(), 1);
  EXPECT_EQ(o["code"].toString(), "problems-found");
  const QJsonObject device = FindingOf(o, "usb-device");
  EXPECT_FALSE(device["ok"].toBool(true)) << r.out.toStdString();
  EXPECT_FALSE(device["fix"].toString().isEmpty());
}

TEST(CtlDoctor, FileOverTheUsbLimitIsAProblem) {
  QTemporaryDir dir;
  QFile image(dir.filePath("image.bin"));
  ASSERT_TRUE(image.open(QIODevice::WriteOnly) && image.resize(4'000'000));
  image.close();
  const CtlRun r = RunCtl({"--lang", "en", "doctor", "--file", image.fileName()}, {});
  EXPECT_EQ(r.exitCode, 1);
  bool told = false;
  for (const QString& line : r.OutLines())
    told = told || (line.startsWith("PROBLEM") && line.contains(image.fileName()) && line.contains("3000000"));
  EXPECT_TRUE(told) << r.out.toStdString();
}

}  // namespace
}  // namespace quorvin
